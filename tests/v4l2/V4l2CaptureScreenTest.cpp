// A USB camera unplugged in the middle of a run recorded through the Capture screen of the
// program as main.cpp wires it: the run is ended as ESC ends it and handed over with one plain
// message, and the Setup screen follows the camera out of its list and back in.
#include "integration/CaptureFileReader.h"
#include "integration/CaptureTestSupport.h"
#include "v4l2/V4l2Emulator.h"

#include "support/RealProgramEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kWebcam = QStringLiteral("/dev/video43");

// Plugged before the program lists its devices, gone with the test.
struct PluggedWebcam {
    PluggedWebcam() { v4l2emu::plug(v4l2emu::webcam(kWebcam)); }
    ~PluggedWebcam() { v4l2emu::unplugAll(); }
};

QStringList entries(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

// The kernel fails the stream at once (ENODEV); udev tells of the removal a moment later, either
// once the run is on the review screen or before the program has seen the stream fail.
void unpluggedMidRecording(bool udevFirst) {
    PluggedWebcam webcam;
    testsupport::RealProgramEnv env;
    engine::DeviceEventSource udev;
    env.realControl.setDeviceEventSource(&udev);
    auto post = [&](bool added, const QString& name) {
        udev.post(testsupport::deviceEvent(engine::DeviceEvent::Kind::Video, added, kWebcam, name));
    };
    env.settings->WriteSetting(QStringLiteral("device"), QStringLiteral("0"));
    env.settings->WriteSetting(QStringLiteral("videoresolution"), QStringLiteral("0"));
    env.storeVideoDir();
    env.screens.start();
    screens::MainForm& setup = env.setup();
    ASSERT_EQ(setup.Combo1->currentText(), "USB Camera");
    ASSERT_TRUE(env.realControl.Connected());
    setup.EdtRate->setText(QStringLiteral("25"));
    setup.cmdGoCapture_Click();
    QCoreApplication::processEvents();
    screens::PreviewForm& form = env.capture();
    ASSERT_TRUE(form.isVisible());
    form.txtSkierName->setText(QStringLiteral("Ann"));
    env.dialogs.clear();

    // "Start Recording" waits for the camera's first picture.
    ASSERT_TRUE(capture_test::waitUntil([&] { return form.cmdStartCapture->isEnabled(); }, 10000));
    form.cmdStartCapture_Click();
    ASSERT_TRUE(env.realControl.recording()) << env.dialogs.texts().join('|').toStdString();
    ASSERT_TRUE(capture_test::waitUntil([&] { return env.realControl.FramesCaptured() >= 20; }));
    form.cmdStartTimer_Click();
    ASSERT_TRUE(capture_test::waitUntil([&] { return env.realControl.FramesCaptured() >= 35; }));
    v4l2emu::unplug(kWebcam);
    if (udevFirst)
        post(false, QString());
    ASSERT_TRUE(capture_test::waitUntil([&] { return !env.realControl.recording(); }, 10000))
        << "the recording went on after its camera was gone";
    QCoreApplication::processEvents();

    // Ended as ESC ends it: countdowns stopped, buttons idle, the run handed over.
    const QString file = env.videoDir() + QStringLiteral("/Annpass1.avi");
    EXPECT_FALSE(form.Timer40->isActive());
    EXPECT_FALSE(form.passTimer->isActive());
    EXPECT_FALSE(form.cmdEndCapture->isEnabled());
    EXPECT_FALSE(form.cmdStartTimer->isEnabled());
    EXPECT_TRUE(form.cmdGoSetup->isEnabled());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(env.timer().isVisible());
    EXPECT_EQ(env.timer().Text6->toPlainText(), file);

    // The file keeps every frame written, and the read-outs say how many.
    const capture_test::Recording r = capture_test::readRecording(file);
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    EXPECT_GE(r.headerFrames, 35);
    EXPECT_EQ(static_cast<int>(r.places.size()), r.headerFrames);
    EXPECT_EQ(form.LblFrame->text(), QString::number(r.headerFrames));
    EXPECT_EQ(setup.LblFrames->text(), QString::number(r.headerFrames));
    EXPECT_EQ(env.session().CapturedFrameCount, r.headerFrames);

    // Then udev: the camera leaves the Setup screen's list, which shows it disconnected. No
    // second box: the Capture screen is no longer on view.
    if (!udevFirst)
        post(false, QString());
    QCoreApplication::processEvents();
    EXPECT_FALSE(env.realControl.Connected());
    EXPECT_FALSE(entries(*setup.Combo1).contains("USB Camera"));
    EXPECT_EQ(setup.CmdConnect->text(), "Connect");
    EXPECT_EQ(setup.ResolutionCombo->count(), 0);
    EXPECT_FALSE(setup.ResolutionCombo->isEnabled());
    EXPECT_TRUE(env.timer().isVisible());

    // One plain message says what happened and what was kept.
    ASSERT_EQ(env.dialogs.boxes.size(), 1u) << env.dialogs.texts().join('|').toStdString();
    const ports::MessageBoxRequest& box = env.dialogs.boxes[0];
    EXPECT_EQ(box.text,
              QStringLiteral("Warning: The recording %1 was ended: the camera USB Camera was "
                             "unplugged. The %2 frames recorded until then (%3 s) are kept.")
                  .arg(file)
                  .arg(r.headerFrames)
                  .arg(r.headerFrames / 25.0, 0, 'f', 1));
    EXPECT_EQ(box.title, ports::kAppTitle);
    EXPECT_EQ(box.icon, ports::Icon::None);
    EXPECT_EQ(box.buttons, ports::Buttons::Ok);
    env.dialogs.clear();

    // Plugged in again: listed again, and offered.
    v4l2emu::plug(v4l2emu::webcam(kWebcam));
    env.dialogs.answers.push_back(ports::Answer::Yes);
    post(true, QStringLiteral("USB Camera"));
    QCoreApplication::processEvents();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u) << env.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(env.dialogs.boxes[0].text,
              "USB Camera is plugged into your computer. Do you want to use it?");
    EXPECT_TRUE(entries(*setup.Combo1).contains("USB Camera"));
    EXPECT_EQ(env.realControl.VideoDeviceName(env.realControl.VideoDeviceIndex()), "USB Camera");
}

} // namespace

TEST(V4l2CaptureScreen, CameraUnpluggedMidRecordingEndsTheRunAndLeavesTheLists) {
    for (const bool udevFirst : {false, true}) {
        SCOPED_TRACE(udevFirst ? "udev first" : "stream first");
        unpluggedMidRecording(udevFirst);
    }
}
