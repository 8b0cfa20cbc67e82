// The program killed while it writes a pass clip: the hidden part file it leaves is removed at
// the next start, and nothing of it is taken for a clip.
#include "CaptureTestSupport.h"
#include "NumberedVideo.h"

#include "core/engine/PassClip.h"
#include "support/TestEnv.h"
#include "ui/screens/setup/MainForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {
const char* kRunVar = "SKIVANE_KILLED_CLIP_RUN";
const char* kSignalVar = "SKIVANE_KILLED_CLIP_SIGNAL";
} // namespace

// The clip-writing program of AKilledPassClipLeavesNothingAfterTheNextStart: writes the clip of
// the given run and stops part way, waiting to be killed.
TEST(RobustnessKillHelper, WritesAPassClipUntilKilled) {
    const QString run = qEnvironmentVariable(kRunVar);
    const QString signal = qEnvironmentVariable(kSignalVar);
    if (run.isEmpty() || signal.isEmpty())
        GTEST_SKIP() << "runs only as the clip writer of AKilledPassClipLeaves...";
    engine::PassClipRequest request;
    request.run = run;
    request.startFrame = 60;
    request.endFrame = 60 + 599;
    engine::writePassClip(request, [&](int done, int) {
        if (done == 100) {
            QFile(signal).open(QIODevice::WriteOnly); // tells the test it may kill now
            for (;;)
                QThread::msleep(100);
        }
        return true;
    });
}

TEST(Robustness, AKilledPassClipLeavesNothingAfterTheNextStart) {
    testsupport::TestEnv env;
    const QString run = testvideo::makeNumberedVideo(env.videoDir(), "Annpass1.avi", 800,
                                                     {"-c:v", "mjpeg", "-q:v", "5"});
    ASSERT_FALSE(run.isEmpty());
    const QString signal = env.root() + "/clipping";
    QProcess helper;
    QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
    penv.insert(kRunVar, run);
    penv.insert(kSignalVar, signal);
    helper.setProcessEnvironment(penv);
    helper.setProgram(QCoreApplication::applicationFilePath());
    helper.setArguments({"--gtest_filter=RobustnessKillHelper.WritesAPassClip*"});
    helper.start();
    ASSERT_TRUE(helper.waitForStarted());
    ASSERT_TRUE(capture_test::waitUntil(
        [&] { return QFileInfo::exists(signal) || helper.state() != QProcess::Running; }, 120000));
    ASSERT_EQ(helper.state(), QProcess::Running) << helper.readAllStandardOutput().toStdString();
    helper.kill(); // SIGKILL part way through the clip
    helper.waitForFinished();

    const QStringList hidden =
        QDir(env.videoDir()).entryList({".Annpass1-pass.part.*"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(hidden.size(), 1) << "the killed clip left its part file";
    EXPECT_GT(QFileInfo(env.videoDir() + '/' + hidden[0]).size(), 0);
    EXPECT_TRUE(QDir(env.videoDir()).entryList({"Annpass1-pass*"}, QDir::Files).isEmpty());

    // The next start of the program on the same folder.
    env.storeVideoDir();
    env.screens.start();
    EXPECT_TRUE(capture_test::waitUntil(
        [&] {
            return QDir(env.videoDir())
                .entryList({".Annpass1-pass.part.*"}, QDir::Files | QDir::Hidden)
                .isEmpty();
        },
        5000));
    EXPECT_TRUE(QFileInfo::exists(run));
}
