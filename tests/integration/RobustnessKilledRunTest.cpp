// The program killed in the middle of a recording: the next start finds the run, reviews it and
// marks it like any other.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "core/app/SessionLog.h"
#include "core/app/TextNumbers.h"
#include "support/RealProgramEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTextEdit>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

using testsupport::RealProgramEnv;

namespace {

const char* kFolderVar = "SKIVANE_KILLED_RUN_FOLDER";
const char* kSignalVar = "SKIVANE_KILLED_RUN_SIGNAL";
constexpr int kRate = 5;       // a 20 s pass is 100 frames
constexpr int kFramesIn = 160; // frames on disk before the kill

} // namespace

// The recording program of AKilledRecordingReopensAndCanBeMarked: the real program records a
// run through its Capture screen into the given folder and is killed while it records.
TEST(RobustnessKillHelper, RecordsThroughTheCaptureScreenUntilKilled) {
    const QString folder = qEnvironmentVariable(kFolderVar);
    const QString signal = qEnvironmentVariable(kSignalVar);
    if (folder.isEmpty() || signal.isEmpty())
        GTEST_SKIP() << "runs only as the recording process of AKilledRecordingReopens...";
    RealProgramEnv env;
    env.chooseTestCamera();
    env.settings->WriteSetting("logpath", folder);
    env.screens.start();
    ASSERT_TRUE(env.realControl.Connected());
    env.setup().EdtRate->setText(QString::number(kRate));
    env.setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    env.capture().txtSkierName->setText("Ann");
    env.capture().cmdStartCapture_Click();
    ASSERT_TRUE(env.realControl.recording());
    ASSERT_TRUE(capture_test::waitUntil([&] { return env.realControl.FramesCaptured() >= 20; }));
    env.capture().cmdStartTimer_Click();
    ASSERT_TRUE(capture_test::waitUntil(
        [&] { return env.realControl.FramesCaptured() >= kFramesIn; }, 30000));
    QFile(signal).open(QIODevice::WriteOnly); // tells the test it may kill now
    capture_test::waitUntil([] { return false; }, 60000);
}

TEST(Robustness, AKilledRecordingReopensAndCanBeMarked) {
    RealProgramEnv env;
    const QString signal = env.root() + "/recording";
    QProcess helper;
    QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
    penv.insert(kFolderVar, env.videoDir());
    penv.insert(kSignalVar, signal);
    helper.setProcessEnvironment(penv);
    helper.setProgram(QCoreApplication::applicationFilePath());
    helper.setArguments({"--gtest_filter=RobustnessKillHelper.*"});
    helper.start();
    ASSERT_TRUE(helper.waitForStarted());
    ASSERT_TRUE(capture_test::waitUntil(
        [&] { return QFileInfo::exists(signal) || helper.state() != QProcess::Running; }, 60000));
    ASSERT_EQ(helper.state(), QProcess::Running) << helper.readAllStandardOutput().toStdString()
                                                 << helper.readAllStandardError().toStdString();
    helper.kill(); // SIGKILL in the middle of the recording: no trailer, no index
    helper.waitForFinished();
    const QString run = env.videoDir() + "/Annpass1.avi";
    ASSERT_TRUE(QFileInfo(run).isFile());
    const QString logPath = env.videoDir() + '/' + app::logFileNameFor(env.clock);
    const QByteArray logBefore = env.readFile(logPath);
    ASSERT_FALSE(logBefore.isEmpty()) << "the killed program had opened the day's log";

    // The next start of the program on the same folder.
    env.chooseTestCamera();
    env.storeVideoDir();
    env.screens.start();
    env.dialogs.clear();
    env.setup().cmdGoTimer_Click();
    QCoreApplication::processEvents();
    screens::frmSetStart& review = env.timer();
    ASSERT_TRUE(review.isVisible());
    env.dialogs.files = {run};
    review.Command6_Click();
    ASSERT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(review.Text6->toPlainText(), run);
    EXPECT_EQ(review.framesPerSecond, kRate);
    // Its length is every picture that reached the disk before the kill (those still queued
    // for writing are lost with the process).
    const capture_test::Recording onDisk = capture_test::readRecording(run);
    ASSERT_TRUE(onDisk.opened) << onDisk.error.toStdString();
    ASSERT_GE(onDisk.numbers.size(), 111u) << "too short for a pass from frame 10";
    EXPECT_EQ(review.fileFrames, static_cast<qint64>(onDisk.numbers.size()));
    for (size_t i = 0; i < onDisk.numbers.size(); ++i)
        ASSERT_EQ(onDisk.numbers[i], static_cast<int>(i));
    ASSERT_NE(env.player(), nullptr);

    for (int i = 0; i < 10; ++i)
        review.Command4_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return env.player()->shownFrame() == 10; }, 15000));
    review.Text7->setText("1");
    review.cmdMarkStart_Click();
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();

    const QByteArray entry =
        (app::runEntryLine(env.clock, "Ann", "1", 10, 10 + 20 * kRate, run) + "\r\n").toLocal8Bit();
    EXPECT_EQ(env.readFile(logPath),
              logBefore + (app::sessionLine(env.clock) + "\r\n").toLocal8Bit() + entry);
    EXPECT_EQ(env.readFile(run + ".info"), (run + ", 10\r\n").toLocal8Bit());

    // The replay of the pass end runs and stops on the end frame.
    ASSERT_TRUE(review.Timer1->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !review.Timer1->isActive(); }, 20000));
    EXPECT_EQ(env.player()->shownFrame(), 10 + 20 * kRate);
}
