// A recorded run reviewed through the real player: arrive on the start hint, step, mark, and
// check that the end frame written to the session log is the frame the replay ends on, read from
// the number the test camera burned into each picture.
#include "CaptureTestSupport.h"
#include "core/engine/FramePattern.h"
#include "support/TestEnv.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

namespace {

int burnedIn(const av::AvPlayer& player) {
    return av::readFrameNumber(player.shownPicture()).value_or(-1);
}

// Waits until the player shows `frame` and returns the number burned into that picture.
int shownAt(const av::AvPlayer& player, int frame) {
    if (!QTest::qWaitFor([&] { return player.shownFrame() == frame; }, 15000))
        return -2;
    return burnedIn(player);
}

} // namespace

TEST(ReviewReplay, TheLoggedEndFrameIsTheFrameTheReplayEndsOn) {
    constexpr int kRate = 15;
    capture_test::TestCameraRig rig;
    rig.ctl.setVideoCompressor(0); // Motion JPEG
    rig.record("Annpass1.avi", kRate, 25);
    ASSERT_EQ(rig.ctl.FramesDropped(), 0);
    const qint64 frames = rig.ctl.FramesCaptured();
    ASSERT_EQ(frames, 25 * kRate);

    testsupport::TestEnv env;
    av::AvPlayer* player = nullptr;
    env.services.makePlayer = [&player](QWidget* parent) {
        player = new av::AvPlayer(parent);
        return player;
    };
    env.setup().txtVideoDir->setText(env.videoDir());
    const QString run = env.videoDir() + "/Annpass1.avi";
    ASSERT_TRUE(QFile::copy(rig.path("Annpass1.avi"), run));

    // The Capture screen's hand-over after "Start of Tricks" at frame 40.
    platform::Session& program = env.session();
    program.LogFileName = "SkivaneLog011805.txt";
    program.StartFrameHint = 40;
    program.CapturedFrameRate = kRate;
    program.CapturedFrameCount = static_cast<qint16>(frames);
    frmSetStart& review = env.timer();
    review.Text6->setPlainText(run);
    program.NavigationSource = "Capture";
    review.show();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(shownAt(*player, 40), 40);
    EXPECT_EQ(review.passFrames, 20 * kRate);

    // The operator steps to the real start: two frames on, one back.
    review.Command4_Click();
    review.Command4_Click();
    EXPECT_EQ(shownAt(*player, 42), 42);
    review.Command1_Click();
    EXPECT_EQ(shownAt(*player, 41), 41);

    review.Text7->setText("1"); // a short replay: one second before the end
    review.cmdMarkStart_Click();
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();

    const QByteArray log = env.readFile(env.videoDir() + "/SkivaneLog011805.txt");
    const QRegularExpressionMatch m =
        QRegularExpression("Start: +(\\d+)End: +(\\d+)File: (.*)\r\n$").match(QString(log));
    ASSERT_TRUE(m.hasMatch()) << log.toStdString();
    EXPECT_EQ(m.captured(1).toInt(), 41);
    EXPECT_EQ(m.captured(3), run);
    const int loggedEnd = m.captured(2).toInt();
    EXPECT_EQ(loggedEnd, 41 + 20 * kRate);
    EXPECT_EQ(env.readFile(run + ".info"), (run + ", 41\r\n").toLocal8Bit());

    // The replay runs on its own; the loop timer ends it after the pause on the end frame.
    ASSERT_TRUE(review.Timer1->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !review.Timer1->isActive(); }, 15000));
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->shownFrame(), loggedEnd);
    EXPECT_EQ(burnedIn(*player), loggedEnd);
}
