// The control's lists, their index errors, effects, channels, dialogs and the live picture.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "ui/widgets/CaptureDialogWidget.h"
#include "ui/widgets/PreviewWidget.h"

#include <QApplication>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

using namespace capture_test;
using platform::ControlError;
namespace errors = platform::errors;

namespace {

template <typename F> qint32 errorOf(F&& f) {
    try {
        f();
    } catch (const ControlError& e) {
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
    return 0;
}

// Answers the next modal dialog: moves slider `index` to `value`, then closes it.
void answerDialog(int index, int value, QString* label = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* d = qobject_cast<av::CaptureSettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        ASSERT_LT(index, d->settingCount());
        if (label)
            *label = d->label(index);
        d->slider(index)->setValue(value);
        d->accept();
    });
}

} // namespace

TEST(CaptureControl, DeviceListsAndTheirIndexErrors) {
    av::AvCaptureControl ctl;
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
    av::AvCaptureControl ctl;
    ctl.setDeviceEventSource(nullptr);
    const QString cat = platform::kEffectCategory;
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

TEST(CaptureControl, EffectsChangeTheRecordedPicture) {
    TestCameraRig rig;
    const QString cat = platform::kEffectCategory;
    struct Case {
        const char* effect;
        std::function<QImage(QImage)> undo; // turns the picture back so the number reads
    };
    const std::vector<Case> cases{
        {"Mirror", [](QImage i) { return i.mirrored(true, false); }},
        {"Upside Down", [](QImage i) { return i.mirrored(false, true); }},
        {"Negative",
         [](QImage i) {
             i.invertPixels();
             return i;
         }},
        {"Deinterlace", [](QImage i) { return i; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        rig.ctl.SetEffect(0, cat, rig.ctl.FindEffect(cat, c.effect));
        const QString name = QStringLiteral("%1.avi").arg(c.effect).remove(' ');
        rig.record(name, 10, 1);
        const Recording r = readRecording(rig.path(name), true);
        ASSERT_EQ(r.pictures.size(), 10u); // an effect that holds a frame back still gives it up
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(av::readFrameNumber(c.undo(r.pictures[size_t(i)])), i);
            if (QString(c.effect) != "Deinterlace") {
                EXPECT_EQ(r.numbers[size_t(i)], std::nullopt)
                    << "the effect left the picture as it was";
            }
        }
    }
    rig.ctl.SetEffect(0, cat, rig.ctl.FindEffect(cat, "Grayscale"));
    rig.record("gray.avi", 10, 1);
    const Recording gray = readRecording(rig.path("gray.avi"), true);
    ASSERT_FALSE(gray.pictures.empty());
    const QImage& img = gray.pictures[0];
    int coloured = 0;
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7) {
            const QRgb p = img.pixel(x, y);
            coloured += std::abs(qRed(p) - qGreen(p)) > 12 || std::abs(qGreen(p) - qBlue(p)) > 12;
        }
    EXPECT_EQ(coloured, 0);
    EXPECT_EQ(gray.numbers[0], 0);
}

TEST(CaptureControl, LivePictureFollowsTheCameraAndItsChannel) {
    av::AvCaptureControl ctl;
    ctl.setDeviceEventSource(nullptr);
    std::unique_ptr<QWidget> owner(ctl.previewWidget()); // the caller owns the widget
    auto* widget = qobject_cast<av::PreviewWidget*>(owner.get());
    ASSERT_NE(widget, nullptr);
    widget->resize(400, 400);
    ctl.Connect(ctl.testCameraIndex());
    ctl.setVideoResolution(0);
    ctl.setFrameRate(50);
    ctl.setPreview(true);
    ASSERT_TRUE(waitUntil([&] { return widget->framesShown() >= 3; }, 10000));
    const QImage first = widget->frame();
    // Fitted inside the widget with the camera's 4:3 shape.
    EXPECT_EQ(first.width(), 400);
    EXPECT_EQ(first.height(), 300);
    const auto n1 = av::readFrameNumber(first);
    ASSERT_TRUE(n1.has_value());
    ASSERT_TRUE(waitUntil([&] {
        const auto n = av::readFrameNumber(widget->frame());
        return n && *n > *n1;
    }));
    // Another channel, another background (sampled away from the pattern and the square).
    auto background = [&] { return widget->frame().pixel(200, 200); };
    const QRgb before = background();
    ctl.setCurrentChannel(3);
    const qint64 shown = widget->framesShown();
    ASSERT_TRUE(waitUntil([&] { return widget->framesShown() > shown + 2; }));
    EXPECT_NE(background(), before);
    ctl.setPreview(false);
    const qint64 stopped = widget->framesShown();
    waitUntil([] { return false; }, 200);
    EXPECT_LE(widget->framesShown(), stopped + 1);
    owner.reset();
    ctl.setPreview(true); // the widget is gone: no picture to make, nothing breaks
    waitUntil([] { return false; }, 100);
    ctl.setPreview(false);
}

TEST(CaptureControl, DialogsApplyTheirChangesAtOnce) {
    av::AvCaptureControl ctl;
    ctl.setDeviceEventSource(nullptr);
    EXPECT_EQ(errorOf([&] { ctl.ShowDialog(35, ""); }), errors::kNotSupported);
    ctl.Connect(ctl.testCameraIndex());
    EXPECT_TRUE(ctl.HasDialog(35));
    EXPECT_FALSE(ctl.HasDialog(35 + 4096)); // no effect selected
    EXPECT_FALSE(ctl.HasDialog(256));       // uncompressed
    EXPECT_FALSE(ctl.HasDialog(1032));      // no sound source
    EXPECT_FALSE(ctl.HasDialog(999));
    EXPECT_EQ(errorOf([&] { ctl.ShowDialog(999, ""); }), errors::kNotSupported);

    QString label;
    answerDialog(0, 40, &label);
    ctl.ShowDialog(35, "");
    EXPECT_EQ(label, "Brightness");
    EXPECT_EQ(ctl.testCameraLook().brightness, 40);

    ctl.SetEffect(0, platform::kEffectCategory,
                  ctl.FindEffect(platform::kEffectCategory, "Brightness/Contrast"));
    ASSERT_TRUE(ctl.HasDialog(35 + 4096));
    answerDialog(3, -30, &label); // after the camera's three: the effect's first setting
    ctl.ShowDialog(35 + 4096, "");
    EXPECT_EQ(label, "Brightness");
    EXPECT_EQ(ctl.effectValues().at(0), -30);

    ctl.setVideoCompressor(0);
    ASSERT_TRUE(ctl.HasDialog(256));
    answerDialog(0, 55);
    ctl.ShowDialog(256, "");
    EXPECT_EQ(ctl.compressorQuality(), 55);

    ctl.setAudioDeviceIndex(ctl.testToneIndex());
    ASSERT_TRUE(ctl.HasDialog(1032));
    answerDialog(0, 150);
    ctl.ShowDialog(1032, "");
    EXPECT_EQ(ctl.audioGain(), 150);
}
