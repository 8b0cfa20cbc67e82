// Recording on the Capture screen, driven tick by tick: the capture and pass countdowns, Start
// of Tricks, time-out, ESC, the hand-over to the Timer & Review screen and the error boxes.
#include "PreviewFormTestFixture.h"

#include "core/ports/ControlError.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/widgets/PictureWidget.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextEdit>

namespace {
const QString kNoMark = QStringLiteral(" ");
}

class RecordingTest : public CaptureScreenTest {
protected:
    void SetUp() override {
        CaptureScreenTest::SetUp();
        form().txtSkierName->setText(QStringLiteral("Ann"));
        arriveFrom(QStringLiteral("Setup"));
        takeBoxes();
        file = video(QStringLiteral("Annpass1.avi"));
    }

    // One second: a tick of each running countdown; the capture counter advances 30 frames.
    void tick(int seconds = 1) {
        for (int i = 0; i < seconds; ++i) {
            env.control.framesCaptured += 30;
            const bool pass = form().passTimer->isActive();
            if (form().Timer40->isActive())
                form().Timer40_Timer();
            if (pass)
                form().passTimer_Timer();
        }
    }

    bool recordingState() const {
        screens::PreviewForm& f = const_cast<RecordingTest*>(this)->form();
        return !f.cmdStartCapture->isEnabled() && f.cmdStartTimer->isEnabled() &&
               f.cmdEndCapture->isEnabled() && f.Timer40->isActive() &&
               !f.cmdGoToTimer->isEnabled() && !f.cmdGoSetup->isEnabled();
    }

    // Idle again and handed over to the Timer & Review screen with `path`.
    void expectHandedOver(const QString& path) {
        screens::PreviewForm& f = form();
        EXPECT_TRUE(f.cmdStartCapture->isEnabled());
        EXPECT_TRUE(f.mnuStart->isEnabled());
        EXPECT_FALSE(f.cmdStartTimer->isEnabled());
        EXPECT_FALSE(f.cmdEndCapture->isEnabled());
        EXPECT_FALSE(f.Timer40->isActive());
        EXPECT_FALSE(f.passTimer->isActive());
        EXPECT_TRUE(f.cmdGoToTimer->isEnabled());
        EXPECT_TRUE(f.cmdGoSetup->isEnabled());
        EXPECT_FALSE(env.control.recording);
        EXPECT_EQ(env.timer().Text6->toPlainText(), path);
        EXPECT_EQ(env.session().NavigationSource, QStringLiteral("Capture"));
        EXPECT_TRUE(env.timer().isVisible());
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(env.session().CapturedFrameRate, double(env.control.frameRate));
        EXPECT_EQ(env.session().CapturedFrameCount, env.control.framesCaptured);
        EXPECT_EQ(setup().LblFrames->text(), QString::number(env.control.framesCaptured));
    }

    QString sound(const char* name) const {
        return env.appDir() + QLatin1Char('/') + QString::fromLatin1(name);
    }

    QString file;
};

TEST_F(RecordingTest, StartRecordingEntersTheRecordingState) {
    form().cmdStartCapture_Click();
    EXPECT_TRUE(recordingState());
    EXPECT_FALSE(form().mnuStart->isEnabled());
    EXPECT_FALSE(form().passTimer->isActive());
    EXPECT_EQ(form().Timer40->interval(), 1000);
    EXPECT_EQ(form().lblStartFrame->text(), kNoMark);
    EXPECT_EQ(form().captime->text(), QStringLiteral("40"));
    EXPECT_EQ(form().runTime->text(), QStringLiteral("20"));
    EXPECT_EQ(env.control.streamFileName, file);
    EXPECT_TRUE(env.control.recording);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(takeBoxes().isEmpty());

    tick();
    EXPECT_EQ(form().captime->text(), QStringLiteral(" 39"));
    EXPECT_EQ(form().LblFrame->text(), QStringLiteral("30"));
    // The menu cannot start a second recording over the running one.
    form().mnuStart->trigger();
    EXPECT_EQ(env.control.startCount, 1);
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("Ann"));
}

TEST_F(RecordingTest, NoMarkTimesOutAfterFortyTicksWithSevenSecondHint) {
    form().mnuStart->trigger();
    tick(39);
    EXPECT_EQ(form().captime->text(), QStringLiteral(" 1"));
    EXPECT_TRUE(recordingState());
    EXPECT_EQ(env.control.stopCount, 0);
    tick();
    EXPECT_EQ(env.control.stopCount, 2); // the time-out stops, then the end procedure again
    EXPECT_EQ(env.session().StartFrameHint, 210);
    EXPECT_EQ(form().captime->text(), QStringLiteral("40"));
    EXPECT_EQ(form().LblFrame->text(), QStringLiteral("1200"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral(" 2"));
    expectHandedOver(file);
    EXPECT_TRUE(env.sound.played.isEmpty());
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(RecordingTest, MarkAtTwelveSecondsRunsThePassAndStopsTwentyFiveLater) {
    form().cmdStartCapture_Click();
    tick(12);
    form().cmdStartTimer_Click();
    EXPECT_EQ(form().lblStartFrame->text(), QStringLiteral("360"));
    EXPECT_EQ(env.session().StartFrameHint, 360);
    EXPECT_EQ(env.sound.played, QStringList{sound("StartSound.wav")});
    EXPECT_EQ(form().captime->text(), QStringLiteral("25"));
    EXPECT_EQ(form().runTime->text(), QStringLiteral("20"));
    EXPECT_TRUE(form().passTimer->isActive());
    EXPECT_EQ(form().passTimer->interval(), 1000);

    tick();
    EXPECT_EQ(form().captime->text(), QStringLiteral(" 24"));
    EXPECT_EQ(form().runTime->text(), QStringLiteral(" 19"));
    tick(19);
    EXPECT_EQ(form().runTime->text(), QStringLiteral(" 0"));
    EXPECT_FALSE(form().passTimer->isActive());
    EXPECT_EQ(env.sound.played.last(), sound("StopSound.wav"));
    EXPECT_TRUE(recordingState()); // the pass is over, the recording goes on
    tick(4);
    EXPECT_TRUE(recordingState());
    EXPECT_EQ(form().captime->text(), QStringLiteral(" 1"));
    tick();
    EXPECT_EQ(env.session().StartFrameHint, 360);
    EXPECT_EQ(env.sound.played.size(), 2);
    EXPECT_EQ(env.control.framesCaptured, (12 + 25) * 30);
    expectHandedOver(file);
}

TEST_F(RecordingTest, SecondMarkRestartsBothCountdownsBeyondFortySeconds) {
    form().cmdStartCapture_Click();
    tick(5);
    form().cmdStartTimer_Click();
    tick(22);
    form().cmdStartTimer_Click();
    EXPECT_EQ(form().captime->text(), QStringLiteral("25"));
    EXPECT_EQ(form().runTime->text(), QStringLiteral("20"));
    EXPECT_TRUE(form().passTimer->isActive());
    EXPECT_EQ(env.session().StartFrameHint, 27 * 30);
    tick(24);
    EXPECT_TRUE(recordingState()); // 51 s after the start
    tick();
    EXPECT_EQ(env.session().StartFrameHint, 27 * 30);
    EXPECT_EQ(env.sound.played, (QStringList{sound("StartSound.wav"), sound("StopSound.wav"),
                                             sound("StartSound.wav"), sound("StopSound.wav")}));
    expectHandedOver(file);
}

TEST_F(RecordingTest, BarefootPassIsFifteenSeconds) {
    setup().cb15->setChecked(true);
    form().cmdStartCapture_Click();
    EXPECT_EQ(form().runTime->text(), QStringLiteral("15"));
    tick(3);
    form().cmdStartTimer_Click();
    EXPECT_EQ(form().runTime->text(), QStringLiteral("15"));
    EXPECT_EQ(form().captime->text(), QStringLiteral("25"));
    tick(14);
    EXPECT_TRUE(form().passTimer->isActive());
    tick();
    EXPECT_EQ(form().runTime->text(), QStringLiteral(" 0"));
    EXPECT_EQ(env.sound.played.last(), sound("StopSound.wav"));
    tick(9);
    EXPECT_TRUE(recordingState());
    tick();
    expectHandedOver(file);
    EXPECT_EQ(form().runTime->text(), QStringLiteral("15")); // the time-out resets it
}

TEST_F(RecordingTest, EscBeforeTheMarkEndsWithSevenSecondHintFromAnyControl) {
    setup().EdtRate->setText(QStringLiteral("25"));
    form().cmdStartCapture_Click();
    tick(10);
    // The key goes to the pass box; the screen sees it first.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form().txtPass, &esc);
    EXPECT_EQ(env.control.stopCount, 1);
    EXPECT_EQ(env.session().StartFrameHint, 175);
    EXPECT_EQ(form().captime->text(), QStringLiteral(" 30")); // kept, reset at the next arrival
    EXPECT_EQ(form().txtPass->text(), QStringLiteral(" 2"));
    expectHandedOver(file);

    // Other keys do nothing.
    form().show();
    form().Form_KeyDown(13, 0);
    EXPECT_TRUE(form().isVisible());
}

TEST_F(RecordingTest, SecondEscDuringTheStopEndsTheRunOnlyOnce) {
    form().cmdStartCapture_Click();
    tick(5);
    // While stopping, the control reports its counters; the status handler lets pending
    // events run, among them a second ESC the operator pressed.
    QObject::connect(&env.control, &ports::CaptureControl::CaptureStatus, &form(),
                     [this](int code) {
                         if (code == 301)
                             env.control.emitCaptureStatus(510, QStringLiteral("final"));
                     });
    QCoreApplication::postEvent(form().txtPass,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    form().Form_KeyDown(27, 0);
    expectHandedOver(file);
    QCoreApplication::processEvents(); // nothing of the second ESC is left over either
    EXPECT_EQ(form().txtPass->text(), QStringLiteral(" 2"));
    EXPECT_EQ(env.control.stopCount, 1);
}

TEST_F(RecordingTest, EscWhileIdleSaysSoAndHandsNothingOver) {
    env.session().StartFrameHint = 99;
    env.session().NavigationSource.clear();
    form().Form_KeyDown(27, 0);
    EXPECT_EQ(env.control.stopCount, 0);
    EXPECT_EQ(env.session().StartFrameHint, 99);
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1")); // the pass does not advance
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(env.screens.timerExists() && env.timer().isVisible());
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    EXPECT_TRUE(QDir(env.videoDir()).entryList({QStringLiteral("*.avi*")}).isEmpty());
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("No recording is running, so there is no run to hand over. Press "
                             "\"Start Recording\" to record a run."));
    EXPECT_EQ(env.dialogs.boxes[0].title, QStringLiteral("Skivane Alert"));
}

TEST_F(RecordingTest, OnlyPassTextsTheLogCanReadBackAreRecorded) {
    for (const char* bad : {"1000", "32767", "99999999999999999999", "", "   "}) {
        form().txtPass->setText(QString::fromLatin1(bad));
        form().cmdStartCapture_Click();
        EXPECT_EQ(env.control.startCount, 0) << bad;
        EXPECT_FALSE(form().Timer40->isActive());
        EXPECT_EQ(env.dialogs.boxes.size(), 1u);
        if (!env.dialogs.boxes.empty()) {
            EXPECT_EQ(env.dialogs.boxes[0].title, QStringLiteral("Input Error"));
            EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
        }
        EXPECT_EQ(takeBoxes(),
                  QStringList{QStringLiteral("The pass must be 1 to 3 characters, such as 2 or 2a; "
                                             "\"%1\" is not. Nothing was recorded.")
                                  .arg(QString::fromLatin1(bad))});
    }
    EXPECT_TRUE(QDir(env.videoDir()).entryList({QStringLiteral("*.avi")}).isEmpty());
    form().txtPass->setText(QStringLiteral("2R"));
    form().cmdStartCapture_Click();
    EXPECT_EQ(env.control.streamFileName, video(QStringLiteral("Annpass2R.avi")));
}

TEST_F(RecordingTest, RecordingLostWithItsFolderIsReportedAtOnceAndNotHandedOver) {
    form().cmdStartCapture_Click();
    tick(2);
    ASSERT_TRUE(QDir(env.videoDir()).removeRecursively());
    tick(1); // the next second notices
    EXPECT_FALSE(env.control.recording);
    EXPECT_FALSE(form().Timer40->isActive());
    EXPECT_TRUE(form().cmdStartCapture->isEnabled());
    EXPECT_TRUE(form().cmdGoSetup->isEnabled());
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1"));
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(env.screens.timerExists() && env.timer().isVisible());
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(env.videoDir())); // nothing made again
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("The recording was lost: the file %1 no longer exists (was the "
                             "video folder removed or renamed?). The run was not handed over to "
                             "the Timer & Review screen and the pass number stays 1.")
                  .arg(file));
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
}

TEST_F(RecordingTest, NextRecordingAfterArrivalUsesTheNextPass) {
    form().cmdStartCapture_Click();
    tick(40);
    arriveFrom(QStringLiteral("Timer"));
    EXPECT_EQ(form().captime->text(), QStringLiteral("40"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral(" 2"));
    EXPECT_TRUE(takeBoxes().isEmpty()); // pass 2 is free and not above 2
    form().cmdStartCapture_Click();
    EXPECT_EQ(env.control.streamFileName, video(QStringLiteral("Annpass2.avi")));
    EXPECT_TRUE(recordingState());
}

TEST_F(RecordingTest, RefusedStartShowsHexErrorAndChangesNothingElse) {
    env.control.connected = false;
    form().cmdStartCapture_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, QStringLiteral("Eror code: 80040002 Not connected"));
    EXPECT_EQ(env.dialogs.boxes[0].title, QStringLiteral("Error"));
    EXPECT_EQ(env.dialogs.boxes[0].buttons, ports::Buttons::Ok);
    EXPECT_TRUE(form().cmdStartCapture->isEnabled());
    EXPECT_FALSE(form().cmdStartTimer->isEnabled());
    EXPECT_FALSE(form().Timer40->isActive());
    EXPECT_TRUE(form().cmdGoSetup->isEnabled());
    EXPECT_EQ(form().lblStartFrame->text(), kNoMark);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(RecordingTest, FileAppearingAfterTheNameCheckIsNeverReplaced) {
    // Another program writes the run file between the name check and the start: the control
    // creates its file exclusively and refuses.
    env.control.failOn[QStringLiteral("StartStreamCapture")] =
        ports::ControlError(ports::errors::kFileExists, QStringLiteral("File exists"));
    touchVideo(QStringLiteral("Annpass1.avi"));
    env.control.failOn.clear();
    form().ComposeCaptureFileName();
    EXPECT_EQ(form().CaptureFileName, file);
    // The name check itself already avoids it ...
    form().cmdStartCapture_Click();
    EXPECT_EQ(env.control.streamFileName, video(QStringLiteral("AnnXpass1.avi")));
    EXPECT_EQ(env.readFile(file), QByteArray("earlier run"));
    form().Form_KeyDown(27, 0);
    takeBoxes();

    // ... and when the control still finds a file there, its error is shown and nothing starts.
    form().show();
    env.control.failOn[QStringLiteral("StartStreamCapture")] =
        ports::ControlError(ports::errors::kFileExists, QStringLiteral("File exists"));
    form().cmdStartCapture_Click();
    EXPECT_EQ(takeBoxes(), QStringList{QStringLiteral("Eror code: 80040005 File exists")});
    EXPECT_FALSE(form().Timer40->isActive());
    EXPECT_TRUE(form().cmdStartCapture->isEnabled());
    EXPECT_EQ(env.readFile(file), QByteArray("earlier run"));
}

TEST_F(RecordingTest, FrameCountsBeyondSixteenBitsAreKeptAtTheTop) {
    form().cmdStartCapture_Click();
    env.control.framesCaptured = 40000;
    form().cmdStartTimer_Click();
    EXPECT_EQ(form().lblStartFrame->text(), QStringLiteral("40000"));
    EXPECT_EQ(env.session().StartFrameHint, 32767);
    env.control.framesCaptured = 70000;
    form().Form_KeyDown(27, 0);
    EXPECT_EQ(env.session().CapturedFrameCount, 32767);
    EXPECT_EQ(setup().LblFrames->text(), QStringLiteral("70000"));
}

TEST_F(RecordingTest, FailingStopIsReportedAndTheRunStillHandedOver) {
    form().cmdStartCapture_Click();
    tick(3);
    env.control.failOn[QStringLiteral("StopCapture")] =
        ports::ControlError(ports::errors::kBusy, QStringLiteral("Device busy"));
    form().Form_KeyDown(27, 0);
    EXPECT_EQ(takeBoxes(), QStringList{QStringLiteral("Eror code: 80040007 Device busy")});
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(form().cmdStartCapture->isEnabled());
    EXPECT_EQ(env.timer().Text6->toPlainText(), file);
    EXPECT_FALSE(form().isVisible());
}

TEST_F(RecordingTest, ControlNotificationsGoToTheSetupScreen) {
    env.control.framesCaptured = 12;
    env.control.framesDropped = 1;
    env.control.samplesCaptured = 4410;
    env.control.captureTime = 400;
    env.control.emitCaptureStatus(510, QStringLiteral("Captured 12 frames"));
    EXPECT_EQ(setup().LblFrames->text(), QStringLiteral("12"));
    EXPECT_EQ(setup().LblFrmDrop->text(), QStringLiteral("1"));
    EXPECT_EQ(setup().LblSamples->text(), QStringLiteral("4410"));
    EXPECT_EQ(setup().LblTime->text(), QStringLiteral("400"));
    EXPECT_EQ(setup().LblStatus->text(), QStringLiteral("Captured 12 frames"));

    env.control.emitCaptureStatus(200, QStringLiteral("Opening"));
    EXPECT_EQ(setup().LblStatus->text(), QStringLiteral("Opening"));
    setup().CmdCap->setText(QStringLiteral("Stop"));
    env.control.emitCaptureStatus(301, QStringLiteral("ignored"));
    EXPECT_EQ(setup().CmdCap->text(), QStringLiteral("Capture Stream"));
    EXPECT_EQ(setup().LblStatus->text(), QStringLiteral("Opening"));

    env.control.emitStatusMessage(7, QStringLiteral("Ready"));
    EXPECT_EQ(setup().LblStatus->text(), QStringLiteral("Ready"));
    env.control.emitWarningMessage(3, QStringLiteral("Disk almost full"));
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, QStringLiteral("Warning: Disk almost full"));
    EXPECT_EQ(env.dialogs.boxes[0].title, ports::kAppTitle);
}

TEST_F(RecordingTest, NavigationButtons) {
    form().cmdGoSetup_Click();
    EXPECT_EQ(env.session().NavigationSource, QStringLiteral("Capture"));
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(setup().isVisible());
    form().show();
    form().cmdGoToTimer_Click();
    EXPECT_EQ(env.session().NavigationSource, QStringLiteral("CaptureGoToTimer"));
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(env.timer().isVisible());
}

// The live picture says what the camera does, and "Start Recording" waits for its pictures; a
// recording goes on through an outage. A recording that ends by itself (a full disk, a camera
// unplugged) is ended by the screen at once, as ESC ends it.
TEST_F(RecordingTest, TheScreenFollowsTheCameraAndARecordingThatEndsByItself) {
    auto* live = qobject_cast<widgets::PictureWidget*>(form().Grabora1);
    ASSERT_NE(live, nullptr);
    env.control.emitCameraState(false, QStringLiteral("Connecting to Lake…"));
    EXPECT_EQ(live->caption(), QStringLiteral("Connecting to Lake…"));
    EXPECT_FALSE(form().cmdStartCapture->isEnabled());
    EXPECT_FALSE(form().mnuStart->isEnabled());
    EXPECT_TRUE(form().cmdGoSetup->isEnabled());
    EXPECT_TRUE(form().cmdGoToTimer->isEnabled());
    env.control.emitCameraState(true, QString());
    EXPECT_EQ(live->caption(), QString());
    EXPECT_TRUE(form().cmdStartCapture->isEnabled());
    EXPECT_TRUE(form().mnuStart->isEnabled());

    form().cmdStartCapture_Click();
    tick(3);
    env.control.emitCameraState(false, QStringLiteral("Lake is lost: no picture.\nReconnecting…"));
    EXPECT_TRUE(recordingState()) << "an outage ends no recording";
    EXPECT_EQ(live->caption(), QStringLiteral("Lake is lost: no picture.\nReconnecting…"));
    form().cmdStartTimer_Click();
    tick(2);

    // The control ends the recording by itself; the file holds fewer frames than were counted.
    env.control.recording = false;
    env.control.framesCaptured = 140;
    env.control.emitCaptureStatus(301, QStringLiteral("Recording ended"));
    EXPECT_FALSE(form().Timer40->isActive());
    EXPECT_FALSE(form().passTimer->isActive());
    EXPECT_FALSE(form().cmdEndCapture->isEnabled());
    EXPECT_FALSE(form().cmdStartTimer->isEnabled());
    EXPECT_FALSE(form().cmdStartCapture->isEnabled()) << "the camera still sends nothing";
    EXPECT_EQ(form().LblFrame->text(), QStringLiteral("140"));
    EXPECT_EQ(env.control.stopCount, 1);
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(env.timer().Text6->toPlainText(), file);
    EXPECT_EQ(env.session().CapturedFrameCount, 140);
    EXPECT_TRUE(takeBoxes().isEmpty()) << "the control's own warning is the one message";
    env.control.emitCameraState(true, QString());
    EXPECT_TRUE(form().cmdStartCapture->isEnabled());
}
