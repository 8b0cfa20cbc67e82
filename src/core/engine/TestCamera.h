#pragma once
// The built-in test camera and test tone: what the program records on a machine without a camera
// and what every recording test records from. Each frame shows its number as the pattern of
// FramePattern.h, a background that differs per channel and a square that moves one step per
// frame. The tone's samples are a function of the absolute sample number, and the sample numbers
// of frame k start at k * rate / fps, so sound and picture line up exactly in a recording.
#include "core/engine/AvPtr.h"

#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

namespace engine {

struct ColorFormatInfo {
    QString name;
    AVPixelFormat format;
};

// Picture sizes and pixel formats the test camera offers, in list order.
const std::vector<QSize>& testCameraSizes();
const std::vector<ColorFormatInfo>& testCameraFormats();
constexpr int kTestChannelMin = 2;
constexpr int kTestChannelMax = 5;
constexpr int kTestCameraMaxFps = 120;

// The test camera's own picture settings (its video source dialog).
struct TestCameraLook {
    int brightness = 0; // -100 .. 100, added to the background
    int tint = 0;       // 0 .. 359, hue turned on the background
    bool operator==(const TestCameraLook&) const = default;
};

class TestCameraPicture {
public:
    // `format` must satisfy canvasSupports(); `size` has even sides.
    TestCameraPicture(QSize size, AVPixelFormat format);

    // The picture of frame `index` (pts = index). Runs on the device thread.
    FramePtr render(int64_t index, int channel, const TestCameraLook& look);

    QSize size() const { return m_size; }
    AVPixelFormat format() const { return m_format; }

private:
    void buildBackground(int channel, const TestCameraLook& look);
    FramePtr newFrame();

    QSize m_size;
    AVPixelFormat m_format;
    BufferPoolPtr m_pool;
    int m_bufferSize = 0;
    FramePtr m_background;
    int m_backgroundChannel = -1;
    TestCameraLook m_backgroundLook;
};

constexpr int kToneFrequencyHz = 1000;
// Loud during the first frame of every second, quiet otherwise: the loud onsets sit exactly on
// the sample numbers of frames 0, fps, 2 fps, ...
constexpr double kToneLoud = 0.8;
constexpr double kToneQuiet = 0.2;

// First sample number of frame `frameIndex` (also the number of samples before it).
inline int64_t toneSamplesBefore(int64_t frameIndex, int rate, int fps) {
    return frameIndex * rate / fps;
}

// Fills `count` interleaved sample frames from absolute sample number `first`.
void fillTone(int16_t* out, int64_t first, int count, int channels, int rate, int fps);

} // namespace engine
