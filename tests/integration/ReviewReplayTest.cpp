// A recorded run reviewed through the real player: arrive on the start hint, step, mark, and
// check that the end frame written to the session log is the frame the replay ends on, read from
// the number the test camera burned into each picture.
#include "CaptureTestSupport.h"
#include "NumberedVideo.h"
#include "support/TestEnv.h"
#include "support/core/FrameNumbers.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QAbstractButton>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <functional>
#include <gtest/gtest.h>

namespace {

int burnedIn(const adapters::AvPlayer& player) {
    return testsupport::readFrameNumber(player.shownPicture()).value_or(-1);
}

// Waits until the player shows `frame` and returns the number burned into that picture.
int shownAt(const adapters::AvPlayer& player, int frame) {
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
    adapters::AvPlayer* player = nullptr;
    env.services.makePlayer = [&player](QWidget* parent) {
        player = new adapters::AvPlayer(parent);
        return player;
    };
    env.setup().txtVideoDir->setText(env.videoDir());
    const QString run = env.videoDir() + "/Annpass1.avi";
    ASSERT_TRUE(QFile::copy(rig.path("Annpass1.avi"), run));

    // The Capture screen's hand-over after "Start of Tricks" at frame 40.
    ports::Session& program = env.session();
    program.LogFileName = "SkivaneLog011805.txt";
    program.StartFrameHint = 40;
    program.CapturedFrameRate = kRate;
    program.CapturedFrameCount = static_cast<qint16>(frames);
    screens::frmSetStart& review = env.timer();
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

namespace {

// The review screen with the real player on a run of numbered frames, arrived at `hint`.
struct ReviewOfNumberedRun {
    explicit ReviewOfNumberedRun(int frames, const QStringList& codec, int hint) {
        env.services.makePlayer = [this](QWidget* parent) {
            player = new adapters::AvPlayer(parent);
            return player;
        };
        env.setup().txtVideoDir->setText(env.videoDir());
        run = testvideo::makeNumberedVideo(env.videoDir(), "Annpass1.avi", frames, codec);
        ports::Session& program = env.session();
        program.LogFileName = "SkivaneLog011805.txt";
        program.StartFrameHint = static_cast<qint16>(hint);
        program.CapturedFrameRate = 30;
        program.CapturedFrameCount = static_cast<qint16>(frames);
        env.timer().Text6->setPlainText(run);
        program.NavigationSource = "Capture";
        env.timer().show();
    }
    int loggedStart() const {
        const QRegularExpressionMatch m =
            QRegularExpression("Start: +(\\d+)End")
                .match(QString(env.readFile(env.videoDir() + "/SkivaneLog011805.txt")));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    testsupport::TestEnv env;
    adapters::AvPlayer* player = nullptr;
    QString run;
};

} // namespace

// A slider drag in a long group of pictures, marked before its picture is decoded: the frame
// logged is the one that then shows, never the one shown at the click.
TEST(ReviewReplay, MarkDuringAPendingDecodeLogsTheFrameThatEndsUpShown) {
    if (!testvideo::ffmpegHasEncoder("libx264"))
        GTEST_SKIP() << "libx264 is not in this ffmpeg";
    ReviewOfNumberedRun review(
        240, {"-c:v", "libx264", "-g", "250", "-bf", "3", "-pix_fmt", "yuv420p"}, 10);
    ASSERT_FALSE(review.run.isEmpty());
    ASSERT_EQ(shownAt(*review.player, 10), 10);

    review.player->setPlayerPosition(200);
    ASSERT_NE(review.player->shownFrame(), 200); // still decoding
    EXPECT_EQ(review.player->PlayerPosition(), 10);
    review.env.timer().cmdMarkStart_Click();
    review.env.timer().cmdMarkStart_Click(); // a second click while waiting marks nothing more
    ASSERT_TRUE(QTest::qWaitFor([&] { return review.loggedStart() >= 0; }, 15000));
    EXPECT_EQ(review.loggedStart(), 200);
    EXPECT_EQ(review.env.readFile(review.run + ".info"), (review.run + ", 200\r\n").toLocal8Bit());
    EXPECT_EQ(review.env.readFile(review.env.videoDir() + "/SkivaneLog011805.txt").count("Start:"),
              1);
}

// Keypad 4 and 6 (Num Lock on or off), the arrow keys and both pairs of step buttons move the
// picture one frame per press, with the player holding the focus as the operator leaves it.
TEST(ReviewReplay, EachKeyAndStepButtonMovesOneFrame) {
    ReviewOfNumberedRun review(60, {"-c:v", "mjpeg", "-q:v", "3"}, 30);
    ASSERT_FALSE(review.run.isEmpty());
    adapters::AvPlayer& player = *review.player;
    screens::frmSetStart& screen = review.env.timer();
    ASSERT_EQ(shownAt(player, 30), 30);
    auto key = [&](int k, Qt::KeyboardModifiers mods) {
        return [&player, k, mods] {
            QKeyEvent press(QEvent::KeyPress, k, mods);
            QCoreApplication::sendEvent(&player, &press);
            QKeyEvent release(QEvent::KeyRelease, k, mods);
            QCoreApplication::sendEvent(&player, &release);
        };
    };
    auto button = [](QAbstractButton* b) { return [b] { b->click(); }; };
    const auto playerButtons = player.findChildren<QAbstractButton*>();
    ASSERT_EQ(playerButtons.size(), 2);
    const struct {
        const char* name;
        std::function<void()> press;
        int step;
    } rows[] = {
        {"keypad 6, Num Lock on", key(Qt::Key_6, Qt::KeypadModifier), 1},
        {"keypad 4, Num Lock on", key(Qt::Key_4, Qt::KeypadModifier), -1},
        {"keypad 6, Num Lock off", key(Qt::Key_Right, Qt::KeypadModifier), 1},
        {"keypad 4, Num Lock off", key(Qt::Key_Left, Qt::KeypadModifier), -1},
        {"right arrow", key(Qt::Key_Right, Qt::NoModifier), 1},
        {"left arrow", key(Qt::Key_Left, Qt::NoModifier), -1},
        {"screen's >", button(screen.Command4), 1},
        {"screen's <", button(screen.Command1), -1},
        {"player's >", button(playerButtons[1]), 1},
        {"player's <", button(playerButtons[0]), -1},
    };
    int at = 30;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.press();
        QTest::qWait(350); // a few polls of the arrow keys
        at += row.step;
        EXPECT_EQ(shownAt(player, at), at);
        EXPECT_EQ(player.PlayerPosition(), at);
        at = player.shownFrame();
    }
}
