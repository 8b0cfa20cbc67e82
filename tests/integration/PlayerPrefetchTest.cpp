// The decode worker's prefetching on numbered files: what it decodes while the player is idle
// never changes what is shown (the picture for frame n is always frame n), and a request does
// not wait for prefetching to finish.
#include "NumberedVideo.h"
#include "core/engine/DecodeWorker.h"
#include "support/core/FrameNumbers.h"
#include "ui/adapters/AvPlayer.h"

#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>
#include <random>

namespace {

// A long-GOP file: H.264 when the ffmpeg program has it, else MPEG-4 part 2.
QString longGopFile(const QString& dir, int frames, int gop) {
    const QString g = QString::number(gop);
    if (testvideo::ffmpegHasEncoder("libx264"))
        return testvideo::makeNumberedVideo(dir, "gop.avi", frames,
                                            {"-c:v", "libx264", "-g", g, "-keyint_min", g,
                                             "-sc_threshold", "0", "-pix_fmt", "yuv420p"});
    return testvideo::makeNumberedVideo(dir, "gop.avi", frames,
                                        {"-c:v", "mpeg4", "-g", g, "-q:v", "3"});
}

int shownNumber(const adapters::AvPlayer& player) {
    return testsupport::readFrameNumber(player.shownPicture()).value_or(-1);
}

TEST(PlayerPrefetch, WhatIsShownIsAlwaysTheFrameAskedFor) {
    QTemporaryDir dir;
    const QString file = longGopFile(dir.path(), 120, 30);
    ASSERT_FALSE(file.isEmpty());
    adapters::AvPlayer player;
    player.resize(400, 320);
    player.show();
    player.setPlayerFileName(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.shownFrame() == 0; }, 20000));
    auto stepTo = [&](int n) {
        player.setPlayerPosition(n);
        return QTest::qWaitFor([&] { return player.shownFrame() == n; }, 20000);
    };
    // Idle on a key frame: the end of the previous group is decoded in the background and the
    // step back is shown from the cache.
    ASSERT_TRUE(stepTo(60));
    EXPECT_EQ(shownNumber(player), 60);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.frameCache().contains(59); }, 20000));
    const quint64 hits = player.frameCache().counters().hits;
    ASSERT_TRUE(stepTo(59));
    EXPECT_GT(player.frameCache().counters().hits, hits);
    EXPECT_EQ(shownNumber(player), 59);
    // A held "<" across a group boundary, a held ">" back, with and without idle time, and jumps,
    // each followed at once by a step back (its picture is still held from the jump's decode).
    std::vector<int> path;
    for (int n = 58; n >= 25; --n)
        path.push_back(n);
    for (int n = 26; n <= 40; ++n)
        path.push_back(n);
    std::mt19937 rng(3);
    for (int i = 0; i < 12; ++i) {
        const int to = std::uniform_int_distribution<int>(1, 119)(rng);
        path.push_back(to);
        path.push_back(to - 1);
    }
    int i = 0;
    for (int n : path) {
        ASSERT_TRUE(stepTo(n)) << n;
        ASSERT_EQ(shownNumber(player), n) << "step " << i;
        if (++i % 5 == 0)
            QTest::qWait(50); // idle: prefetching runs
    }
}

TEST(PlayerPrefetch, ARequestDoesNotWaitForPrefetching) {
    QTemporaryDir dir;
    const QString file = longGopFile(dir.path(), 600, 300);
    ASSERT_FALSE(file.isEmpty());
    QImage one(320, 240, QImage::Format_RGB32);
    auto cache =
        std::make_shared<engine::FrameCache>(static_cast<std::size_t>(one.sizeInBytes()) * 40);
    engine::DecodeWorker worker(cache);
    QThread thread;
    worker.moveToThread(&thread);
    thread.start();
    // Noted on the worker thread as the picture leaves it.
    QMutex mutex;
    int shownFrame = -1;
    QImage picture;
    quint64 prefetchedAtShow = 0;
    bool kept299AtShow = true;
    QObject::connect(
        &worker, &engine::DecodeWorker::frameReady, &worker,
        [&](quint64, int frame, QImage p) {
            QMutexLocker lock(&mutex);
            shownFrame = frame;
            picture = p;
            prefetchedAtShow = worker.prefetched();
            kept299AtShow = cache->contains(299);
        },
        Qt::DirectConnection);
    auto shown = [&] {
        QMutexLocker lock(&mutex);
        return shownFrame;
    };
    // Frame 300 is a key frame: idle there, the worker goes on to decode all of the previous
    // group (from frame 0) to have frame 299 ready. Asked for with the open, before the worker
    // had any idle time to get frame 299 on its own.
    worker.requestOpen(1, file);
    worker.requestFrame(1, 300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == 300; }, 20000));
    const quint64 before = worker.prefetched();
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker.prefetched() >= before + 4; }, 20000));
    const quint64 asked = worker.prefetched();
    worker.requestFrame(1, 450);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == 450; }, 20000));
    // At most the picture in hand was finished first; the previous group was left unfinished.
    QMutexLocker lock(&mutex);
    EXPECT_LE(prefetchedAtShow, asked + 1);
    EXPECT_FALSE(kept299AtShow);
    EXPECT_EQ(testsupport::readFrameNumber(picture).value_or(-1), 450);
    lock.unlock();
    worker.stop();
    thread.quit();
    thread.wait();
}

// Idle, the worker decodes the picture before each key frame of a long group, so that a back
// step from a key frame decodes nothing and still shows exactly the frame asked for; only while
// allowed (the player is seen).
// A decode worker on a thread of its own, as the player runs it, and every picture it sends: the
// frame, the number read from the picture and the pictures decoded until then.
struct WorkerRig {
    struct Shown {
        int frame = -1, number = -1;
        quint64 decoded = 0;
    };
    explicit WorkerRig(
        std::shared_ptr<engine::FrameCache> cache = std::make_shared<engine::FrameCache>())
        : worker(std::move(cache)) {
        worker.moveToThread(&thread);
        thread.start();
        QObject::connect(
            &worker, &engine::DecodeWorker::frameReady, &worker,
            [this](quint64, int frame, QImage p) {
                QMutexLocker lock(&mutex);
                shown.push_back(
                    {frame, testsupport::readFrameNumber(p).value_or(-1), worker.decoded()});
            },
            Qt::DirectConnection);
    }
    ~WorkerRig() {
        worker.stop();
        thread.quit();
        thread.wait();
    }
    Shown last() {
        QMutexLocker lock(&mutex);
        return shown.empty() ? Shown{} : shown.back();
    }
    // Asks for `frame` and waits until it is sent; false when it did not come within 20 s.
    bool show(int frame) {
        worker.requestFrame(1, frame);
        return QTest::qWaitFor([&] { return last().frame == frame; }, 20000);
    }
    engine::DecodeWorker worker;
    QThread thread;
    QMutex mutex;
    std::vector<Shown> shown;
};

TEST(PlayerPrefetch, TheFrameBeforeAKeyFrameIsReadyWithoutDecoding) {
    QTemporaryDir dir;
    const QString file = longGopFile(dir.path(), 120, 30);
    ASSERT_FALSE(file.isEmpty());
    // A small cache, so that the frames before the key frames are not simply in the window.
    QImage one(320, 240, QImage::Format_RGB32);
    WorkerRig rig(
        std::make_shared<engine::FrameCache>(static_cast<std::size_t>(one.sizeInBytes()) * 40));
    auto idle = [&] { // nothing decoded for 300 ms
        quint64 last = rig.worker.decoded();
        for (int calm = 0; calm < 6;) {
            QThread::msleep(50);
            const quint64 now = rig.worker.decoded();
            calm = now == last ? calm + 1 : 0;
            last = now;
        }
        return last;
    };
    auto jump = [&](int frame) { // the pictures decoded to show it
        const quint64 before = idle();
        if (!rig.show(frame))
            return quint64(999);
        const WorkerRig::Shown s = rig.last();
        EXPECT_EQ(s.number, frame);
        return s.decoded - before;
    };
    // Not allowed (a hidden player): the frame before the key frame 30 is decoded when asked.
    rig.worker.allowKeyTails(false);
    rig.worker.requestOpen(1, file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.last().frame >= 0; }, 20000));
    EXPECT_GT(jump(29), 0u);
    // Allowed: from there a jump to the frame before the key frame 90, and from there to the one
    // before 60, each shown without a picture decoded (reaching it from the key frame before
    // takes a whole group's references).
    rig.worker.allowKeyTails(true);
    EXPECT_EQ(jump(89), 0u);
    EXPECT_EQ(jump(59), 0u);
}

// Idle in the middle of a long group, then steps forward: the worker's sweep for the pictures
// before the next key frame must not take the decoder away from the frames the steps need, or
// each step past the window decodes the group again from its key frame.
TEST(PlayerPrefetch, StepsForwardAfterIdleInALongGroupAreNotDecodedAgain) {
    QTemporaryDir dir;
    const QString file = longGopFile(dir.path(), 200, 150);
    ASSERT_FALSE(file.isEmpty());
    WorkerRig rig;
    rig.worker.requestOpen(1, file);
    ASSERT_TRUE(rig.show(100));
    QThread::msleep(1500); // idle: the window around frame 100 and whatever else the worker does
    const quint64 before = rig.worker.decoded();
    for (int f = 101; f <= 112; ++f) {
        ASSERT_TRUE(rig.show(f));
        EXPECT_EQ(rig.last().number, f);
        QThread::msleep(100); // a held ">" at ten steps a second
    }
    // Twelve steps and the window ahead of them; decoding the group again from its key frame
    // would be a hundred pictures more.
    EXPECT_LT(rig.worker.decoded() - before, 40u);
}

} // namespace
