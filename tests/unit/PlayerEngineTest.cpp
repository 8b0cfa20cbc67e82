// The player engine on real recordings of the test camera, decoded on its worker thread: how the
// play clock walks the selection, when the callbacks waiting for a picture run, and that nothing
// of a file opened before reaches the screen. Pictures are checked by the frame number they carry.
#include "core/engine/PlayerEngine.h"
#include "core/engine/AviWriter.h"
#include "core/engine/TestCamera.h"
#include "support/core/FrameNumbers.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr int kFps = 25;
const QSize kSmall(160, 120);
const QSize kBig(320, 240);

// An uncompressed recording of `frames` test-camera pictures at kFps.
QString record(const QString& path, QSize size, int frames) {
    engine::RecordingSettings s;
    s.path = path;
    s.width = size.width();
    s.height = size.height();
    s.sourceFormat = AV_PIX_FMT_YUV420P;
    s.fps = kFps;
    engine::TestCameraPicture camera(size, AV_PIX_FMT_YUV420P);
    engine::AviWriter writer(s);
    for (int n = 0; n < frames; ++n)
        if (!writer.writeVideo(camera.render(n, engine::kTestChannelMin, {}).get()))
            return {};
    return writer.finish() ? path : QString();
}

struct Files {
    QTemporaryDir dir;
    QString small = record(dir.filePath("small.avi"), kSmall, 40);
    QString big = record(dir.filePath("big.avi"), kBig, 60);
    QString missing = dir.filePath("missing.avi");
};

const Files& files() {
    static const auto f = std::make_unique<Files>();
    return *f;
}

bool waitFor(const std::function<bool()>& ready) {
    return QTest::qWaitFor(ready, 10000);
}

int shownNumber(const engine::PlayerEngine& e) {
    return testsupport::readFrameNumber(e.shownPicture()).value_or(-1);
}

bool load(engine::PlayerEngine& e, const QString& path) {
    e.open(path);
    return waitFor([&] { return e.frameCount() > 0 && e.shownFrame() == 0; });
}

TEST(PlayerEngine, PlayClockWalksTheSelection) {
    qint64 now = 1000000;
    engine::PlayerEngine engine([&now] { return now; });
    ASSERT_FALSE(files().small.isEmpty());
    ASSERT_TRUE(load(engine, files().small)); // 40 frames
    struct Tick {
        qint64 ms; // since play()
        int frame; // asked for after the tick
    };
    struct Case {
        double start, end;
        int from, to; // the frames played
        std::vector<Tick> ticks;
    };
    const Case cases[] = {
        {10, 20, 10, 20, {{0, 10}, {39, 10}, {40, 11}, {399, 19}, {400, 20}}},
        // Past the file's ends: its first to its last frame.
        {-5, 1000, 0, 39, {{0, 0}, {1000, 25}, {1559, 38}, {1560, 39}}},
        // Halves go to the even neighbour.
        {2.5, 3.5, 2, 4, {{0, 2}, {40, 3}, {79, 3}, {80, 4}}},
        // An end before the start plays the start frame alone.
        {20, 10, 20, 20, {{0, 20}}},
        // A late tick goes straight to the frame due.
        {0, 30, 0, 30, {{1, 0}, {500, 12}, {501, 12}, {2000, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "selection " << c.start << " to " << c.end);
        std::vector<std::pair<double, double>> sounds;
        auto heard = QObject::connect(&engine, &engine::PlayerEngine::soundStarted,
                                      [&](const QString& path, double from, double to) {
                                          EXPECT_EQ(path, files().small);
                                          sounds.emplace_back(from, to);
                                      });
        engine.setSelectionStart(c.start);
        engine.setSelectionEnd(c.end);
        const qint64 start = now;
        engine.play();
        QObject::disconnect(heard);
        ASSERT_EQ(sounds.size(), 1u);
        EXPECT_DOUBLE_EQ(sounds[0].first, c.from / double(kFps));
        EXPECT_DOUBLE_EQ(sounds[0].second, (c.to + 1) / double(kFps));
        EXPECT_EQ(engine.requestedFrame(), c.from);
        for (const Tick& t : c.ticks) {
            EXPECT_TRUE(engine.isPlaying()) << "before " << t.ms << " ms";
            now = start + t.ms;
            engine.tick();
            EXPECT_EQ(engine.requestedFrame(), t.frame) << "at " << t.ms << " ms";
        }
        EXPECT_FALSE(engine.isPlaying());
        now += 10000;
        engine.tick(); // stopped: the clock moves nothing
        EXPECT_EQ(engine.requestedFrame(), c.to);
        EXPECT_TRUE(waitFor([&] { return engine.shownFrame() == c.to; }));
        EXPECT_EQ(shownNumber(engine), c.to);
        EXPECT_EQ(engine.position(), c.to);
    }

    // Stopped half-way, the player stays on the frame it was at.
    engine.setSelectionStart(5);
    engine.setSelectionEnd(35);
    const qint64 start = now;
    engine.play();
    now = start + 200;
    engine.tick();
    engine.stop();
    EXPECT_FALSE(engine.isPlaying());
    now = start + 1000;
    engine.tick();
    EXPECT_EQ(engine.requestedFrame(), 10);
}

// whenShown waits for the picture of the position last asked for, and runs once.
TEST(PlayerEngine, WhenShownRunsOnceThePictureAskedForIsShown) {
    const Files& f = files();
    struct Case {
        const char* name;
        std::function<void(engine::PlayerEngine&)> before;
        bool atOnce;
        int shownAtRun; // the frame on the screen when it runs; -1 none
    };
    const Case cases[] = {
        {"nothing open", [](engine::PlayerEngine&) {}, true, -1},
        {"file closed", [](engine::PlayerEngine& e) { e.open({}); }, true, -1},
        {"frame shown", [&](engine::PlayerEngine& e) { ASSERT_TRUE(load(e, f.small)); }, true, 0},
        {"first picture on its way", [&](engine::PlayerEngine& e) { e.open(f.small); }, false, 0},
        {"asked again while opening",
         [&](engine::PlayerEngine& e) {
             e.open(f.small);
             e.setPosition(20);
         },
         false, 20},
        {"a jump",
         [&](engine::PlayerEngine& e) {
             ASSERT_TRUE(load(e, f.big));
             e.setPosition(50);
         },
         false, 50},
        {"unreadable file", [&](engine::PlayerEngine& e) { e.open(f.missing); }, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine::PlayerEngine engine;
        c.before(engine);
        int runs = 0;
        int shownAtRun = -2;
        int numberAtRun = -2;
        int askedAtRun = -2;
        engine.whenShown([&] {
            ++runs;
            shownAtRun = engine.shownFrame();
            numberAtRun = shownNumber(engine);
            askedAtRun = engine.requestedFrame();
        });
        // A jump may find its picture kept already; then it was shown when it was asked for.
        const bool kept = engine.shownFrame() == 50;
        EXPECT_EQ(runs, c.atOnce || kept ? 1 : 0);
        EXPECT_TRUE(waitFor([&] { return runs > 0; }));
        EXPECT_EQ(shownAtRun, c.shownAtRun);
        EXPECT_EQ(numberAtRun, c.shownAtRun);
        if (c.shownAtRun >= 0) {
            EXPECT_EQ(askedAtRun, c.shownAtRun);
        }
        // Once only: another picture shown later does not run it again.
        if (engine.frameCount() > 0) {
            engine.setPosition(3);
            EXPECT_TRUE(waitFor([&] { return engine.shownFrame() == 3; }));
        }
        EXPECT_EQ(runs, 1);
    }
}

// Waits, without letting the GUI thread take its queued signals, until the worker has answered
// for `frame` of the open file (its picture is kept), or a moment for an unreadable file. Its
// answers then wait in the queue, to arrive after whatever the test does next.
void letWorkerAnswer(const engine::PlayerEngine& e, int frame) {
    QElapsedTimer t;
    t.start();
    const int limitMs = QFileInfo::exists(e.path()) ? 5000 : 200;
    while (!e.frameCache().contains(frame) && t.elapsed() < limitMs)
        QThread::msleep(2);
}

// Each open is a generation: the answers of the worker for the file opened before, arriving
// after the next open, change nothing.
TEST(PlayerEngine, NothingOfAFileOpenedBeforeIsShown) {
    const Files& f = files();
    struct Case {
        const char* name;
        QString first;
        int jump; // shown first, then a jump to this frame on its way; -1 opened only
        QString second;
        bool ok;
        int frames;
    };
    const Case cases[] = {
        {"opened while the one before opens", f.big, -1, f.small, true, 40},
        {"opened while a jump is decoded", f.big, 55, f.small, true, 40},
        {"unreadable, then readable", f.missing, -1, f.small, true, 40},
        {"readable, then unreadable", f.big, -1, f.missing, false, 0},
        {"shown, then closed", f.big, 55, {}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine::PlayerEngine engine;
        int waitFrame = 0;
        if (c.jump >= 0) {
            ASSERT_TRUE(load(engine, c.first));
            engine.setPosition(c.jump);
            waitFrame = c.jump;
        } else {
            engine.open(c.first);
        }
        letWorkerAnswer(engine, waitFrame);
        std::vector<bool> opened;
        std::vector<std::pair<int, QSize>> shown;
        QObject::connect(&engine, &engine::PlayerEngine::fileOpened,
                         [&](bool ok) { opened.push_back(ok); });
        QObject::connect(&engine, &engine::PlayerEngine::frameShown, [&](int frame) {
            shown.emplace_back(frame, engine.shownPicture().size());
        });
        engine.open(c.second);
        EXPECT_EQ(engine.shownFrame(), -1);
        EXPECT_TRUE(engine.shownPicture().isNull());
        // The stale answers come first: the worker answers in order.
        EXPECT_TRUE(waitFor([&] { return !opened.empty() && (!c.ok || !shown.empty()); }));
        EXPECT_EQ(engine.path(), c.second);
        EXPECT_EQ(engine.frameCount(), c.frames);
        EXPECT_EQ(opened, std::vector<bool>{c.ok});
        const std::vector<std::pair<int, QSize>> expected =
            c.ok ? std::vector<std::pair<int, QSize>>{{0, kSmall}}
                 : std::vector<std::pair<int, QSize>>{};
        EXPECT_EQ(shown, expected);
    }
}

} // namespace
