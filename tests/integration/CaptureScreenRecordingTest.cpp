// One real run through the Capture screen: the started program connected to the test camera,
// Start Recording, Start of Tricks, ESC; the file on disk is read back frame by frame.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "support/TestEnv.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"
#include "ui/widgets/PictureWidget.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

TEST(CaptureScreenRecording, RealRunFromTheTestCameraIsHandedOverFrameExact) {
    adapters::AvCaptureControl control; // outlives the screens, as in main.cpp
    testsupport::TestEnv env;
    control.setDeviceEventSource(nullptr); // no hot-plug from this machine during the run
    env.services.capture = &control;
    env.services.makePlayer = [](QWidget* parent) { return new adapters::AvPlayer(parent); };
    env.storeVideoDir();
    env.settings->WriteSetting(QStringLiteral("device"),
                               QString::number(control.testCameraIndex()));
    env.settings->WriteSetting(QStringLiteral("videoresolution"), QStringLiteral("0"));
    control.setAudioDeviceIndex(control.testToneIndex());
    env.screens.start();
    ASSERT_TRUE(control.Connected());
    env.setup().EdtRate->setText(QStringLiteral("25"));

    env.setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    screens::PreviewForm& form = env.capture();
    ASSERT_TRUE(form.isVisible());
    form.txtSkierName->setText(QStringLiteral("Ann Lee"));
    env.dialogs.clear();
    // The camera's live picture in Grabora1, made to fit it.
    auto* live = qobject_cast<widgets::PictureWidget*>(form.Grabora1);
    ASSERT_NE(live, nullptr);
    ASSERT_TRUE(capture_test::waitUntil([&] { return live->picturesShown() >= 3; }, 10000));
    const QSize shown = live->picture().size();
    EXPECT_TRUE(shown.width() <= live->width() && shown.height() <= live->height());
    EXPECT_TRUE(shown.width() >= live->width() - 2 || shown.height() >= live->height() - 2)
        << shown.width() << "x" << shown.height() << " in " << live->width() << "x"
        << live->height();

    form.cmdStartCapture_Click();
    ASSERT_TRUE(env.dialogs.texts().isEmpty()) << env.dialogs.texts().join('|').toStdString();
    ASSERT_TRUE(control.recording());
    const QString file = env.videoDir() + QStringLiteral("/Ann Leepass1.avi");
    EXPECT_EQ(form.CaptureFileName, file);

    ASSERT_TRUE(capture_test::waitUntil([&] { return control.FramesCaptured() >= 20; }));
    form.cmdStartTimer_Click();
    const int hint = env.session().StartFrameHint;
    EXPECT_GE(hint, 20);
    EXPECT_EQ(form.lblStartFrame->text(), QString::number(hint));
    EXPECT_TRUE(env.sound.played.last().endsWith(QStringLiteral("/StartSound.wav")));
    ASSERT_TRUE(capture_test::waitUntil([&] { return control.FramesCaptured() >= hint + 15; }));

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.cmdStartTimer, &esc);
    EXPECT_FALSE(control.recording());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(env.timer().Text6->toPlainText(), file);
    EXPECT_EQ(env.session().NavigationSource, QStringLiteral("Capture"));
    EXPECT_EQ(env.session().CapturedFrameRate, 25.0);
    EXPECT_EQ(form.txtPass->text(), QStringLiteral(" 2"));
    EXPECT_TRUE(env.dialogs.texts().isEmpty()) << env.dialogs.texts().join('|').toStdString();

    const int count = env.session().CapturedFrameCount;
    EXPECT_GE(count, hint + 15);
    EXPECT_EQ(env.setup().LblFrames->text(), QString::number(count));
    ASSERT_TRUE(QFileInfo(file).isFile());
    const capture_test::Recording r = capture_test::readRecording(file);
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    EXPECT_EQ(r.headerFrames, count);
    ASSERT_EQ(static_cast<int>(r.numbers.size()), count);
    // The picture at the start hint is the one the operator marked.
    EXPECT_EQ(r.numbers[static_cast<size_t>(hint)], hint);
    EXPECT_EQ(r.numbers.back(), count - 1);
}
