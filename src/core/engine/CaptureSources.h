#pragma once
// Where pictures and sound come from: the test camera, a V4L2 camera or an ALSA sound source.
// A source is opened on the thread that makes it (a V4L2 camera's live picture on a thread of its
// own, so that a camera slow to start never holds the GUI thread) and then read on the device
// thread only.
#include "core/engine/AvPtr.h"
#include "core/engine/Effects.h"
#include "core/engine/TestCamera.h"

#include <QSize>
#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace engine {

// Settings that change while pictures flow: read by the device and recording threads, written
// by the GUI thread.
class LiveSettings {
public:
    std::atomic<int> channel{kTestChannelMin};
    std::atomic<int> gainPercent{100}; // sound input gain

    TestCameraLook look() const {
        std::lock_guard lock(m_mutex);
        return m_look;
    }
    void setLook(const TestCameraLook& look) {
        std::lock_guard lock(m_mutex);
        m_look = look;
    }
    EffectChoice effect(int* generation) const {
        std::lock_guard lock(m_mutex);
        *generation = m_effectGeneration;
        return m_effect;
    }
    void setEffect(const EffectChoice& effect) {
        std::lock_guard lock(m_mutex);
        m_effect = effect;
        ++m_effectGeneration;
    }
    int effectGeneration() const {
        std::lock_guard lock(m_mutex);
        return m_effectGeneration;
    }

private:
    mutable std::mutex m_mutex;
    TestCameraLook m_look;
    EffectChoice m_effect;
    int m_effectGeneration = 0;
};

class VideoSource {
public:
    virtual ~VideoSource() = default;
    virtual QSize size() const = 0;
    virtual AVPixelFormat format() const = 0;
    // The next picture, its pts the time it was taken in microseconds (any origin; the frame
    // clock of the session turns it into a slot). nullptr when the stop was requested or the
    // device failed (then error() says why). Runs on the device thread.
    virtual FramePtr read(std::stop_token stop) = 0;
    virtual QString error() const = 0;
    // True when the pictures come as the camera's JPEGs (CameraJpeg.h), without pixels.
    virtual bool deliversJpeg() const { return false; }
    // After read() gave no picture without a stop: true when the source has none for now but
    // goes on (a network camera being reconnected), false when it has failed for good. A source
    // that can wait returns from read() at least every kWaitingTick while it has no picture, so
    // that the recording goes on through the outage. Device thread.
    virtual bool waiting() const { return false; }
    static constexpr std::chrono::milliseconds kWaitingTick{200};
};

// The test camera. Paced: one frame per 1/fps of real time. Unpaced: frames as fast as they are
// taken (tests and benchmarks), each stamped with the time it stands for. Either way the frame
// number drawn into picture n is the slot it takes at its own rate.
class TestCameraSource final : public VideoSource {
public:
    TestCameraSource(QSize size, AVPixelFormat format, int fps, bool paced,
                     std::shared_ptr<LiveSettings> live);
    QSize size() const override { return m_picture.size(); }
    AVPixelFormat format() const override { return m_picture.format(); }
    FramePtr read(std::stop_token stop) override;
    QString error() const override { return {}; }

private:
    TestCameraPicture m_picture;
    int m_fps;
    bool m_paced;
    std::shared_ptr<LiveSettings> m_live;
    int64_t m_next = 0;
    std::chrono::steady_clock::time_point m_start;
};

// Sound made on the device thread together with the pictures (the test tone): the samples of
// the slots the device hands on, so that the sound track follows the frame clock exactly.
class SlotSound {
public:
    virtual ~SlotSound() = default;
    // Interleaved samples of slots [from, to); nullopt once the sound has failed (error()).
    virtual std::optional<std::vector<int16_t>> samples(int64_t from, int64_t to) = 0;
    virtual QString error() const = 0;
};

// The test camera's tone (TestCamera.h): loud on the first frame of every second.
class TestTone : public SlotSound {
public:
    TestTone(int rate, int channels, int fps) : m_rate(rate), m_channels(channels), m_fps(fps) {}
    std::optional<std::vector<int16_t>> samples(int64_t from, int64_t to) override;
    QString error() const override { return {}; }

private:
    int m_rate;
    int m_channels;
    int m_fps;
};

// A V4L2 camera read through libavdevice: raw pictures, or the JPEGs of a Motion JPEG camera as
// they came (the first one decoded too, for its pixel format).
class V4l2Source final : public VideoSource {
public:
    // Throws ports::ControlError(kDeviceOpenFailed) when the device cannot be opened with
    // these settings. `pixelFormat` is a V4L2 fourcc name as listed by V4l2Device ("YUYV",
    // "MJPG", ...). `name` is the camera's name for the messages (one unplugged mid-stream).
    // The opening waits for the camera's first picture (up to 5 s), which tells the decoded
    // pixel format, unless `knownFormat` gives it (learnt from an opening a moment before), or
    // `stop` gives up the wait.
    V4l2Source(const QString& devnode, const QString& name, QSize size, const QString& pixelFormat,
               int input, int fps, AVPixelFormat knownFormat = AV_PIX_FMT_NONE,
               std::stop_token stop = {});
    QSize size() const override { return m_size; }
    AVPixelFormat format() const override { return m_format; }
    FramePtr read(std::stop_token stop) override;
    QString error() const override { return m_error; }
    bool deliversJpeg() const override { return m_jpeg; }

private:
    static int interrupted(void* opaque);
    FramePtr readJpeg(std::stop_token stop);
    // The next packet into m_packet, waiting up to 5 s while the device has none. False when
    // the camera ends or the read is stopped; m_error then says why (empty when stopped).
    bool readPacket(const std::stop_token& stop);
    std::stop_token m_stop;
    QString m_name;
    bool m_jpeg = false;
    InputFormatPtr m_input;
    CodecContextPtr m_decoder;
    PacketPtr m_packet;
    FramePtr m_pending;  // the first picture, read while opening
    FramePtr m_sentJpeg; // the JPEG of that picture (Motion JPEG cameras)
    std::chrono::steady_clock::time_point m_waitingSince; // no picture since
    QSize m_size;
    AVPixelFormat m_format = AV_PIX_FMT_NONE;
    AVRational m_timeBase{1, 1000000};
    QString m_error;
};

// An ALSA capture source read through libavdevice: signed 16-bit interleaved sound.
class AlsaSource {
public:
    // Throws ports::ControlError(kDeviceOpenFailed).
    AlsaSource(const QString& alsaName, int rate, int channels);
    // The next block of sample frames; empty at a failure (error()). Runs on the sound thread.
    std::vector<int16_t> read(std::stop_token stop);
    QString error() const { return m_error; }
    int channels() const { return m_channels; }
    int rate() const { return m_rate; }

private:
    static int interrupted(void* opaque);
    std::stop_token m_stop;
    InputFormatPtr m_input;
    PacketPtr m_packet;
    int m_channels;
    int m_rate;
    QString m_error;
};

// Opens libavdevice's inputs once.
void registerDevices();

// A decoded camera picture's capture time in microseconds: its own time stamp in `timeBase`,
// or, without one, the moment it came. Device thread.
int64_t captureTimeUs(const AVFrame* picture, AVRational timeBase);

// True when `picture` keeps the format and size the source was opened with (an unset format
// accepts any).
bool keepsFormat(const AVFrame* picture, AVPixelFormat format, QSize size);

// What a camera's decoder gave: a picture, stamped with its capture time (captureTimeUs), or
// none, with avcodec_receive_frame's code (AVERROR(EAGAIN): the decoder wants a packet) or, for
// a picture that left the format and size the source was opened with, the reason.
struct DecodedPicture {
    FramePtr picture;
    int rc = 0;
    QString error;
};
DecodedPicture receivePicture(AVCodecContext* decoder, AVRational timeBase, AVPixelFormat format,
                              QSize size);

} // namespace engine
