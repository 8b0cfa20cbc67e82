// The video folder removed while the program runs (a card pulled, a folder deleted by hand):
// the screens that need it say so, marking a run names the log that could not be written, and
// nothing crashes.
#include "CaptureTestSupport.h"

#include "core/app/SessionLog.h"
#include "support/RealProgramEnv.h"
#include "ui/screens/LogView.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

using testsupport::RealProgramEnv;

namespace {
const QString kPathError = "The Log File Folder you specified does not exist. Please change it "
                           "to a Folder that does exist.";
} // namespace

TEST(Robustness, VideoFolderRemovedWhileRunning) {
    // A short real run kept outside the video folder, to be reviewed after the folder is gone.
    capture_test::TestCameraRig rig;
    rig.ctl.setVideoCompressor(0);
    rig.record("Annpass1.avi", 10, 3);

    RealProgramEnv env;
    env.chooseTestCamera();
    env.storeVideoDir();
    env.screens.start();
    ASSERT_TRUE(env.setup().isVisible());
    const QString logPath = env.videoDir() + '/' + app::logFileNameFor(env.clock);
    ASSERT_TRUE(QFileInfo(logPath).isFile());
    env.dialogs.clear();

    // Review first, while the folder is there; the run comes from elsewhere.
    env.setup().cmdGoTimer_Click();
    QCoreApplication::processEvents();
    screens::frmSetStart& review = env.timer();
    ASSERT_TRUE(review.isVisible());
    const QString run = rig.path("Annpass1.avi");
    env.dialogs.files = {run};
    review.Command6_Click();
    ASSERT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();

    ASSERT_TRUE(QDir(env.videoDir()).removeRecursively());

    // Marking: the log cannot be written; the message names it, the companion file is written.
    ASSERT_TRUE(QTest::qWaitFor([&] { return env.player() && env.player()->shownFrame() == 0; }));
    review.Command4_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return env.player()->shownFrame() == 1; }));
    review.cmdMarkStart_Click();
    const QStringList texts = env.dialogs.texts();
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_TRUE(
        texts[0].startsWith("The run could not be written to the session log " + logPath + ": "))
        << texts.join('|').toStdString();
    EXPECT_EQ(env.readFile(run + ".info"), (run + ", 1\r\n").toLocal8Bit());
    EXPECT_FALSE(QFileInfo::exists(env.videoDir())) << "marking does not make the folder again";
    review.Timer1->stop();
    env.dialogs.clear();

    // The log viewer shows an empty list.
    review.cmdViewLog_Click();
    screens::LogView* viewer = env.screens.logView();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->lstLog->count(), 0);
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    viewer->cmdDismiss_Click();

    // Back on Setup: both ways on need the folder and say so.
    review.cmdGoToSetup_Click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(env.setup().isVisible());
    env.dialogs.clear();
    env.setup().cmdGoCapture_Click();
    env.setup().cmdGoTimer_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 2u);
    for (const auto& box : env.dialogs.boxes) {
        EXPECT_EQ(box.text, kPathError);
        EXPECT_EQ(box.title, "Path Error");
    }
    EXPECT_TRUE(env.setup().isVisible());
    EXPECT_FALSE(env.capture().isVisible());
    EXPECT_FALSE(review.isVisible());

    // The folder back: the program goes on.
    ASSERT_TRUE(QDir().mkpath(env.videoDir()));
    env.dialogs.clear();
    env.setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(env.capture().isVisible());
}
