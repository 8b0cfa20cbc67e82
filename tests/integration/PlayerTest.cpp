// The player widget as the review screen uses it: real files written by the ffmpeg program,
// decoded on the player's worker thread, pictures checked by the frame number they carry.
#include "NumberedVideo.h"
#include "support/core/FrameNumbers.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/widgets/PictureWidget.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

constexpr int kFrames = 90;

struct Files {
    QTemporaryDir dir;
    QString mjpeg, h264, raw, ffv1, mpeg4;
    QString mpeg4b, h264open; // reordered pictures, an open group in MP4
};

Files* files() {
    static std::unique_ptr<Files> f;
    if (!f) {
        f = std::make_unique<Files>();
        const QString d = f->dir.path();
        f->mjpeg =
            testvideo::makeNumberedVideo(d, "mjpeg.avi", kFrames, {"-c:v", "mjpeg", "-q:v", "3"});
        f->raw = testvideo::makeNumberedVideo(d, "raw.avi", kFrames,
                                              {"-c:v", "rawvideo", "-pix_fmt", "bgr24"});
        f->ffv1 = testvideo::makeNumberedVideo(d, "ffv1.avi", kFrames, {"-c:v", "ffv1"});
        f->mpeg4 = testvideo::makeNumberedVideo(d, "mpeg4.avi", kFrames,
                                                {"-c:v", "mpeg4", "-g", "20", "-q:v", "3"});
        f->mpeg4b = testvideo::makeNumberedVideo(
            d, "mpeg4b.avi", kFrames, {"-c:v", "mpeg4", "-bf", "2", "-g", "20", "-q:v", "3"});
        if (testvideo::ffmpegHasEncoder("libx264")) {
            f->h264 = testvideo::makeNumberedVideo(
                d, "h264.avi", kFrames,
                {"-c:v", "libx264", "-g", "25", "-bf", "3", "-pix_fmt", "yuv420p"});
            f->h264open =
                testvideo::makeNumberedVideo(d, "h264open.mp4", kFrames,
                                             {"-c:v", "libx264", "-g", "25", "-bf", "3",
                                              "-x264-params", "open-gop=1", "-pix_fmt", "yuv420p"});
        }
    }
    return f.get();
}

bool waitFor(const std::function<bool()>& ready, int ms = 10000) {
    return QTest::qWaitFor(ready, ms);
}

int shownNumber(const adapters::AvPlayer& p) {
    return testsupport::readFrameNumber(p.shownPicture()).value_or(-1);
}

// Opens the file and waits for its first picture.
bool load(adapters::AvPlayer& p, const QString& file) {
    p.setPlayerFileName(file);
    return waitFor([&] { return p.frameCount() > 0 && p.shownFrame() == 0; });
}

// Sets the position and waits until that frame is on the screen.
int showAt(adapters::AvPlayer& p, int frame) {
    p.setPlayerPosition(frame);
    if (!waitFor([&] { return p.shownFrame() == frame; }))
        return -2;
    return shownNumber(p);
}

TEST(Player, EveryCodecShowsTheFrameAskedForBothWays) {
    Files* f = files();
    for (const QString& file :
         {f->raw, f->mjpeg, f->h264, f->ffv1, f->mpeg4, f->mpeg4b, f->h264open}) {
        if (file.isEmpty())
            continue; // libx264 missing from this ffmpeg
        SCOPED_TRACE(file.toStdString());
        adapters::AvPlayer p;
        ASSERT_TRUE(load(p, file));
        EXPECT_EQ(p.PlayerFileName(), file);
        EXPECT_EQ(p.frameCount(), kFrames);
        EXPECT_EQ(shownNumber(p), 0);
        std::mt19937 rng(11);
        std::uniform_int_distribution<int> pick(0, kFrames - 1);
        for (int i = 0; i < 12; ++i) {
            const int n = pick(rng);
            EXPECT_EQ(showAt(p, n), n);
            EXPECT_EQ(p.PlayerPosition(), n);
            // One step each way, as the operator does when looking for the start.
            if (n > 0) {
                EXPECT_EQ(showAt(p, n - 1), n - 1);
            }
            if (n + 1 < kFrames) {
                EXPECT_EQ(showAt(p, n + 1), n + 1);
            }
        }
    }
}

TEST(Player, BurstOfPositionsEndsOnTheLastOne) {
    Files* f = files();
    const QString file = f->h264.isEmpty() ? f->mpeg4 : f->h264;
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, file));
    int shown = 0;
    QObject::connect(&p, &adapters::AvPlayer::frameShown, [&](int) { ++shown; });
    // Held arrow keys and a dragged slider: many positions without waiting for any.
    for (int i = 0; i < 40; ++i)
        p.setPlayerPosition((i * 37) % kFrames);
    p.setPlayerPosition(61);
    EXPECT_EQ(p.requestedFrame(), 61); // before its picture arrives
    ASSERT_TRUE(waitFor([&] { return p.shownFrame() == 61; }));
    EXPECT_EQ(shownNumber(p), 61);
    EXPECT_EQ(p.PlayerPosition(), 61);
    QTest::qWait(300);
    EXPECT_EQ(p.shownFrame(), 61); // nothing older arrives after the last one
    EXPECT_LT(shown, 41);
}

// The worker decodes ahead into the cache it shares with the player; a step to a kept frame is
// shown inside setPlayerPosition, with no round trip to the worker, and counts a hit.
TEST(Player, AStepToAKeptFrameShowsAtOnceAndCountsAHit) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    ASSERT_EQ(showAt(p, 30), 30);
    const engine::FrameCache& cache = p.frameCache();
    ASSERT_TRUE(waitFor([&] { return cache.contains(31); }));
    const engine::FrameCache::Counters before = cache.counters();
    p.setPlayerPosition(31);
    EXPECT_EQ(p.shownFrame(), 31);
    EXPECT_EQ(shownNumber(p), 31);
    EXPECT_EQ(cache.counters().hits, before.hits + 1);
    EXPECT_EQ(cache.counters().misses, before.misses);
    ASSERT_FALSE(cache.contains(80));
    EXPECT_EQ(showAt(p, 80), 80);
    EXPECT_EQ(cache.counters().misses, before.misses + 1);
    EXPECT_LE(cache.bytes(), cache.budget());
    // Another file starts from an empty cache: nothing of the first one is shown for it.
    p.setPlayerFileName(files()->raw);
    EXPECT_FALSE(cache.contains(30) || cache.contains(31) || cache.contains(80));
}

TEST(Player, PositionsAreClampedToTheFile) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    EXPECT_EQ(showAt(p, kFrames - 1), kFrames - 1);
    p.setPlayerPosition(kFrames + 500);
    EXPECT_EQ(p.PlayerPosition(), kFrames - 1);
    p.setPlayerPosition(-7);
    EXPECT_EQ(p.PlayerPosition(), 0);
    ASSERT_TRUE(waitFor([&] { return p.shownFrame() == 0; }));
    EXPECT_EQ(shownNumber(p), 0);
}

TEST(Player, ReadoutShowsFrameAndSeconds) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    EXPECT_EQ(showAt(p, 45), 45);
    EXPECT_EQ(p.readoutText(), "Frame 45   1.50 s");
    EXPECT_EQ(showAt(p, 7), 7);
    EXPECT_EQ(p.readoutText(), "Frame 7   0.23 s");
}

TEST(Player, PlayStopsOnTheSelectionEndAndShowsIt) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    std::vector<int> seen;
    QObject::connect(&p, &adapters::AvPlayer::frameShown, [&](int n) { seen.push_back(n); });
    p.setPlayerSelectionStart(30);
    p.setPlayerSelectionEnd(45);
    QElapsedTimer clock;
    clock.start();
    p.PlayerPlay();
    EXPECT_TRUE(p.isPlaying()); // returns at once, playing goes on
    ASSERT_TRUE(waitFor([&] { return !p.isPlaying() && p.shownFrame() == 45; }, 5000));
    // 15 frames at 30 frames per second: half a second of real time, not a jump to the end.
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_EQ(shownNumber(p), 45);
    EXPECT_EQ(p.PlayerPosition(), 45);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 30);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    QTest::qWait(200);
    EXPECT_EQ(p.shownFrame(), 45);
}

TEST(Player, SelectionBeforeTheFilePlaysFromFrameZero) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    ASSERT_EQ(showAt(p, 50), 50);
    std::vector<int> seen;
    QObject::connect(&p, &adapters::AvPlayer::frameShown, [&](int n) { seen.push_back(n); });
    p.setPlayerSelectionStart(-51);
    p.setPlayerSelectionEnd(6);
    p.PlayerPlay();
    ASSERT_TRUE(waitFor([&] { return !p.isPlaying() && p.shownFrame() == 6; }, 5000));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(shownNumber(p), 6);
}

TEST(Player, StopKeepsTheFileAndThePosition) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    p.setPlayerSelectionStart(0);
    p.setPlayerSelectionEnd(kFrames - 1);
    p.PlayerPlay();
    QTest::qWait(200);
    p.PlayerStop();
    EXPECT_FALSE(p.isPlaying());
    const int at = static_cast<int>(p.PlayerPosition());
    EXPECT_GT(at, 0);
    EXPECT_LT(at, kFrames - 1);
    ASSERT_TRUE(waitFor([&] { return p.shownFrame() == at; }));
    QTest::qWait(200);
    EXPECT_EQ(p.PlayerPosition(), at);
    EXPECT_EQ(shownNumber(p), at);
    EXPECT_EQ(showAt(p, at + 1), at + 1);
}

TEST(Player, FilesThatCannotBeOpenedLeaveThePlayerEmpty) {
    QTemporaryDir dir;
    QFile junk(dir.path() + "/junk.avi");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'x'));
    junk.close();

    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    bool failed = false;
    QObject::connect(&p, &adapters::AvPlayer::fileOpened, [&](bool ok) { failed = !ok; });
    for (const QString& bad : {junk.fileName(), dir.path() + "/missing.avi"}) {
        failed = false;
        p.setPlayerFileName(bad);
        ASSERT_TRUE(waitFor([&] { return failed; }));
        EXPECT_EQ(p.frameCount(), 0);
        EXPECT_TRUE(p.shownPicture().isNull());
        EXPECT_EQ(p.PlayerFileName(), bad);
        p.setPlayerPosition(12);
        p.setPlayerSelectionStart(0);
        p.setPlayerSelectionEnd(30);
        p.PlayerPlay();
        QTest::qWait(100);
        EXPECT_EQ(p.PlayerPosition(), 0);
        EXPECT_FALSE(p.isPlaying());
        EXPECT_TRUE(p.shownPicture().isNull());
    }
    // A good file afterwards plays as usual.
    ASSERT_TRUE(load(p, files()->mjpeg));
    EXPECT_EQ(showAt(p, 20), 20);
}

TEST(Player, CutOffRecordingPlaysUpToItsLastFrame) {
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), "cut.avi", kFrames, {"-c:v", "mjpeg"});
    ASSERT_FALSE(file.isEmpty());
    QFile f(file);
    ASSERT_TRUE(f.resize(f.size() / 2));
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, file));
    const int last = p.frameCount() - 1;
    EXPECT_GT(last, kFrames / 4);
    EXPECT_LT(last, kFrames);
    p.setPlayerSelectionStart(last - 10);
    p.setPlayerSelectionEnd(last + 30); // past the end of what was written
    p.PlayerPlay();
    ASSERT_TRUE(waitFor([&] { return !p.isPlaying() && p.shownFrame() == last; }, 5000));
    EXPECT_EQ(shownNumber(p), last);
}

TEST(Player, FullScreenAndBackWithEsc) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    EXPECT_EQ(p.PlayerDisplaySize(), 4);
    p.setPlayerDisplaySize(3);
    EXPECT_EQ(p.PlayerDisplaySize(), 3);
    ASSERT_NE(p.fullScreenWindow(), nullptr);
    EXPECT_TRUE(p.fullScreenWindow()->isWindow());
    EXPECT_TRUE(p.fullScreenWindow()->isFullScreen());
    // Pictures go to the full-screen window while it is up.
    EXPECT_EQ(showAt(p, 33), 33);
    auto* big = static_cast<widgets::PictureWidget*>(p.fullScreenWindow());
    EXPECT_EQ(testsupport::readFrameNumber(big->picture()).value_or(-1), 33);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(p.fullScreenWindow(), &esc);
    EXPECT_EQ(p.PlayerDisplaySize(), 4);
    EXPECT_EQ(p.fullScreenWindow(), nullptr);
}

TEST(Player, KeysAreReportedWithVirtualKeyNumbers) {
    adapters::AvPlayer p;
    std::vector<std::pair<int, int>> keys;
    QObject::connect(&p, &adapters::AvPlayer::PlayerKey,
                     [&](int code, int shift) { keys.emplace_back(code, shift); });
    auto press = [&](int key, Qt::KeyboardModifiers mods) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QCoreApplication::sendEvent(&p, &e);
    };
    press(Qt::Key_4, Qt::KeypadModifier);
    press(Qt::Key_6, Qt::KeypadModifier | Qt::ShiftModifier);
    press(Qt::Key_Left, Qt::KeypadModifier); // keypad 4 with Num Lock off
    press(Qt::Key_Left, Qt::NoModifier);
    press(Qt::Key_Right, Qt::NoModifier);
    press(Qt::Key_4, Qt::NoModifier);
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_Escape, Qt::NoModifier);
    const std::vector<std::pair<int, int>> expected{{100, 0}, {102, 1}, {100, 0}, {37, 0},
                                                    {39, 0},  {52, 0},  {65, 2},  {27, 0}};
    EXPECT_EQ(keys, expected);
}

TEST(Player, SeekControlsFollowSeekEnabled) {
    adapters::AvPlayer p;
    ASSERT_TRUE(load(p, files()->mjpeg));
    const auto controls = [&] {
        std::vector<QWidget*> w;
        for (QAbstractSlider* s : p.findChildren<QAbstractSlider*>())
            w.push_back(s);
        for (QAbstractButton* b : p.findChildren<QAbstractButton*>())
            w.push_back(b);
        return w;
    };
    ASSERT_GE(controls().size(), 3u);
    p.setPlayerSeekEnabled(false);
    for (QWidget* w : controls())
        EXPECT_FALSE(w->isEnabled());
    p.setPlayerSeekEnabled(true);
    for (QWidget* w : controls())
        EXPECT_TRUE(w->isEnabled());
    // The step button moves one frame.
    ASSERT_EQ(showAt(p, 10), 10);
    for (QAbstractButton* b : p.findChildren<QAbstractButton*>())
        if (b->text() == ">")
            b->click();
    // The position is the frame shown: 11 once its picture came (at once when prefetched).
    ASSERT_TRUE(waitFor([&] { return p.shownFrame() == 11; }));
    EXPECT_EQ(p.PlayerPosition(), 11);
    EXPECT_EQ(shownNumber(p), 11);
}

TEST(PlayerPicture, KeepsTheAspectRatio) {
    widgets::PictureWidget w;
    w.resize(400, 400);
    w.setPicture(QImage(320, 240, QImage::Format_RGB32));
    EXPECT_EQ(w.pictureRect(), QRect(0, 50, 400, 300));
    w.resize(800, 300);
    EXPECT_EQ(w.pictureRect(), QRect(200, 0, 400, 300));
}

} // namespace
