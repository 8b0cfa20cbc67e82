// The capture engine behind the control, with no screen: its lists and their index errors,
// effects, channels and the live pictures it delivers.
#include "core/engine/CaptureService.h"
#include "support/core/ControlErrors.h"
#include "support/core/FrameNumbers.h"
#include "support/core/Wait.h"

#include <gtest/gtest.h>

namespace errors = ports::errors;
using testsupport::errorOf;
using testsupport::waitUntil;

namespace {

// The engine alone: a dialog is only made, never shown.
class EngineOnly : public engine::CaptureService {
public:
    void ShowDialog(int code, const QString&) override { dialogSettings(code); }
};

} // namespace

TEST(CaptureControl, DeviceListsAndTheirIndexErrors) {
    EngineOnly ctl;
    ctl.setDeviceEventSource(nullptr);
    const int cam = ctl.testCameraIndex();
    ASSERT_GE(cam, 0);
    EXPECT_EQ(ctl.VideoDeviceName(cam), "Skivane Test Camera");
    EXPECT_EQ(ctl.AudioDeviceName(ctl.testToneIndex()), "Skivane Test Tone");
    EXPECT_EQ(errorOf([&] { ctl.VideoDeviceName(ctl.VideoDeviceCount()); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.VideoDeviceName(-1); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.Connect(ctl.VideoDeviceCount()); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.AudioDeviceName(-1); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.setAudioDeviceIndex(ctl.AudioDeviceCount()); }),
              errors::kInvalidIndex);
    ctl.setAudioDeviceIndex(-1);

    // Not connected: no device lists, and they cannot be set.
    EXPECT_FALSE(ctl.Connected());
    ctl.Disconnect(); // safe while not connected
    EXPECT_EQ(ctl.VideoResolutionCount(), 0);
    EXPECT_EQ(errorOf([&] { ctl.setVideoResolution(0); }), errors::kNotConnected);
    EXPECT_EQ(errorOf([&] { ctl.StartStreamCapture(); }), errors::kNotConnected);
    EXPECT_FALSE(ctl.HasDialog(35));

    ctl.Connect(cam);
    EXPECT_TRUE(ctl.Connected());
    EXPECT_EQ(ctl.VideoDeviceIndex(), cam);
    ASSERT_EQ(ctl.VideoResolutionCount(), 4);
    EXPECT_EQ(ctl.VideoResolutionName(0), "320x240");
    EXPECT_EQ(ctl.VideoResolutionName(3), "1920x1080");
    EXPECT_EQ(ctl.VideoResolution(), 1);
    EXPECT_EQ(errorOf([&] { ctl.VideoResolutionName(4); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.setVideoResolution(-1); }), errors::kInvalidIndex);
    ctl.setVideoResolution(2);
    EXPECT_EQ(ctl.VideoResolution(), 2);
    ASSERT_EQ(ctl.ColorFormatCount(), 4);
    EXPECT_EQ(ctl.ColorFormatName(1), "YUY2");
    EXPECT_EQ(errorOf([&] { ctl.setColorFormat(4); }), errors::kInvalidIndex);
    EXPECT_EQ(ctl.VideoInputCount(), 1);
    EXPECT_EQ(ctl.VideoInputIndex(), 0);
    EXPECT_EQ(errorOf([&] { ctl.setVideoInputIndex(1); }), errors::kInvalidIndex);

    // The test camera's channels 2 to 5.
    EXPECT_TRUE(ctl.HasChannels());
    EXPECT_EQ(ctl.ChannelMin(), 2);
    EXPECT_EQ(ctl.ChannelMax(), 5);
    ctl.setCurrentChannel(4);
    EXPECT_EQ(ctl.CurrentChannel(), 4);
    EXPECT_EQ(errorOf([&] { ctl.setCurrentChannel(6); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.setCurrentChannel(1); }), errors::kInvalidValue);

    // Compressors: -1 is none (uncompressed video, PCM sound).
    ASSERT_GE(ctl.VideoCompressorCount(), 1);
    EXPECT_EQ(ctl.VideoCompressorName(0), "Motion JPEG");
    EXPECT_EQ(ctl.VideoCompressor(), -1);
    EXPECT_EQ(errorOf([&] { ctl.setVideoCompressor(ctl.VideoCompressorCount()); }),
              errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.setVideoCompressor(-2); }), errors::kInvalidIndex);
    EXPECT_EQ(ctl.AudioCompressor(), -1);
    EXPECT_EQ(errorOf([&] { ctl.AudioCompressorName(ctl.AudioCompressorCount()); }),
              errors::kInvalidIndex);

    // Values the control cannot use.
    EXPECT_EQ(errorOf([&] { ctl.setFrameRate(0); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.setFrameRate(1000); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.setTimeLimit(-1); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.setAudioSampleRate(4000); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.setAudioBitsPerSample(12); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.setAudioChannels(3); }), errors::kInvalidValue);
    ctl.setAudioSampleRate(8000); // the setup screen's own format rule may write 8 kHz
    EXPECT_EQ(ctl.AudioSampleRate(), 8000);

    ctl.Disconnect();
    EXPECT_FALSE(ctl.Connected());
    EXPECT_EQ(ctl.VideoResolutionCount(), 0);
    EXPECT_FALSE(ctl.HasChannels());
}

TEST(CaptureControl, EffectsAndTheirErrors) {
    EngineOnly ctl;
    ctl.setDeviceEventSource(nullptr);
    const QString cat = ports::kEffectCategory;
    ASSERT_GE(ctl.EffectCount(cat), 5);
    EXPECT_EQ(ctl.EffectCount("Video Effect 2"), 0);
    EXPECT_EQ(ctl.EffectName(cat, 1), "Mirror");
    EXPECT_EQ(ctl.FindEffect(cat, "upside down"), 2);
    EXPECT_LT(ctl.FindEffect(cat, "Sepia"), 0);
    EXPECT_LT(ctl.FindEffect("Video Effect 2", "Mirror"), 0);
    EXPECT_EQ(errorOf([&] { ctl.EffectName(cat, ctl.EffectCount(cat)); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.EffectName("Video Effect 2", 0); }), errors::kInvalidValue);
    EXPECT_EQ(errorOf([&] { ctl.SetEffect(1, cat, 0); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.SetEffect(0, cat, ctl.EffectCount(cat)); }), errors::kInvalidIndex);
    EXPECT_EQ(errorOf([&] { ctl.CurrentEffect(1); }), errors::kInvalidIndex);
    EXPECT_EQ(ctl.CurrentEffect(0), -1);
    ctl.SetEffect(0, cat, 3);
    EXPECT_EQ(ctl.CurrentEffect(0), 3);
    ctl.SetEffect(0, cat, -1);
    EXPECT_EQ(ctl.CurrentEffect(0), -1);
}

TEST(CaptureControl, LivePictureFollowsTheCameraAndItsChannel) {
    EngineOnly ctl;
    ctl.setDeviceEventSource(nullptr);
    std::vector<QImage> pictures;
    QObject::connect(&ctl, &ports::CaptureControl::PreviewFrame, &ctl,
                     [&](const QImage& picture) { pictures.push_back(picture); });
    ctl.setPreviewSize(QSize(400, 400));
    ctl.Connect(ctl.testCameraIndex());
    ctl.setVideoResolution(0);
    ctl.setFrameRate(50);
    ctl.setPreview(true);
    ASSERT_TRUE(waitUntil([&] { return pictures.size() >= 3; }, 10000));
    const QImage first = pictures.back();
    // Fitted inside the preview size with the camera's 4:3 shape.
    EXPECT_EQ(first.width(), 400);
    EXPECT_EQ(first.height(), 300);
    const auto n1 = testsupport::readFrameNumber(first);
    ASSERT_TRUE(n1.has_value());
    ASSERT_TRUE(waitUntil([&] {
        const auto n = testsupport::readFrameNumber(pictures.back());
        return n && *n > *n1;
    }));
    // Another channel, another background (sampled away from the pattern and the square).
    auto background = [&] { return pictures.back().pixel(200, 200); };
    const QRgb before = background();
    ctl.setCurrentChannel(3);
    const size_t shown = pictures.size();
    ASSERT_TRUE(waitUntil([&] { return pictures.size() > shown + 2; }));
    EXPECT_NE(background(), before);
    // Pictures come only while the live picture is on.
    ctl.setPreview(false);
    const size_t stopped = pictures.size();
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(pictures.size(), stopped);
    // Nowhere to show them (the screen is gone): none are made, nothing breaks.
    ctl.setPreviewSize(QSize());
    ctl.setPreview(true);
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(pictures.size(), stopped);
    ctl.setPreview(false);
}
