// The real control end to end: effects in the recorded picture, and its settings dialogs shown
// and answered. Its lists, errors and live pictures need no screen: unit/CaptureServiceTest.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"
#include "support/core/ControlErrors.h"

#include "ui/widgets/SettingsDialog.h"

#include <QApplication>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

using namespace capture_test;
namespace errors = ports::errors;
using testsupport::errorOf;

namespace {

// Answers the next modal dialog: moves slider `index` to `value`, then closes it.
void answerDialog(int index, int value, QString* label = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* d = qobject_cast<widgets::SettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        ASSERT_LT(index, d->settingCount());
        if (label)
            *label = d->label(index);
        d->slider(index)->setValue(value);
        d->accept();
    });
}

// What dialog `code` shows in slider `index` when it opens next.
int shownValue(adapters::AvCaptureControl& ctl, int code, size_t index) {
    return ctl.dialogSettings(code).settings.at(index).value;
}

} // namespace

TEST(CaptureControl, EffectsChangeTheRecordedPicture) {
    TestCameraRig rig;
    const QString cat = ports::kEffectCategory;
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
            EXPECT_EQ(testsupport::readFrameNumber(c.undo(r.pictures[size_t(i)])), i);
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

TEST(CaptureControl, DialogsApplyTheirChangesAtOnce) {
    adapters::AvCaptureControl ctl;
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
    EXPECT_EQ(shownValue(ctl, 35, 0), 40);

    ctl.SetEffect(0, ports::kEffectCategory,
                  ctl.FindEffect(ports::kEffectCategory, "Brightness/Contrast"));
    ASSERT_TRUE(ctl.HasDialog(35 + 4096));
    answerDialog(3, -30, &label); // after the camera's three: the effect's first setting
    ctl.ShowDialog(35 + 4096, "");
    EXPECT_EQ(label, "Brightness");
    EXPECT_EQ(shownValue(ctl, 35 + 4096, 3), -30);

    ctl.setVideoCompressor(0);
    ASSERT_TRUE(ctl.HasDialog(256));
    answerDialog(0, 55);
    ctl.ShowDialog(256, "");
    EXPECT_EQ(shownValue(ctl, 256, 0), 55);

    ctl.setAudioDeviceIndex(ctl.testToneIndex());
    ASSERT_TRUE(ctl.HasDialog(1032));
    answerDialog(0, 150);
    ctl.ShowDialog(1032, "");
    EXPECT_EQ(shownValue(ctl, 1032, 0), 150);
}
