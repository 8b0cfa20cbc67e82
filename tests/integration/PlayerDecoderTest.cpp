// The frame decoder on real files written by the ffmpeg program: every codec the recorder
// writes and the reordered streams of cameras and phones (B-frames, open groups, a first time
// stamp that is not 0), positions forward and backward, cut-off recordings and files that are
// not video.
#include "NumberedVideo.h"
#include "core/engine/FrameDecoder.h"
#include "support/core/FrameAt.h"
#include "support/core/FrameNumbers.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace {

struct Codec {
    const char* label;
    const char* encoder; // must be listed by `ffmpeg -encoders`
    QStringList args;
    const char* container = "avi";
};

const Codec kCodecs[] = {
    {"raw", "rawvideo", {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}},
    {"mjpeg", "mjpeg", {"-c:v", "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p"}},
    {"h264", "libx264", {"-c:v", "libx264", "-g", "25", "-bf", "3", "-pix_fmt", "yuv420p"}},
    {"ffv1", "ffv1", {"-c:v", "ffv1"}},
    {"mpeg4", "mpeg4", {"-c:v", "mpeg4", "-g", "20", "-q:v", "3"}},
    {"mpeg4-b", "mpeg4", {"-c:v", "mpeg4", "-bf", "2", "-g", "20", "-q:v", "3"}},
    {"h264-b-mp4",
     "libx264",
     {"-c:v", "libx264", "-g", "25", "-bf", "3", "-pix_fmt", "yuv420p"},
     "mp4"},
    {"h264-open",
     "libx264",
     {"-c:v", "libx264", "-g", "25", "-bf", "3", "-x264-params", "open-gop=1", "-pix_fmt",
      "yuv420p"}},
    {"h264-open-mp4",
     "libx264",
     {"-c:v", "libx264", "-g", "25", "-bf", "3", "-x264-params", "open-gop=1", "-pix_fmt",
      "yuv420p"},
     "mp4"},
    // One group of pictures for the whole file: every step back decodes from its start, passing
    // over the pictures nothing refers to.
    {"h264-long", "libx264", {"-c:v", "libx264", "-g", "250", "-bf", "3", "-pix_fmt", "yuv420p"}},
    {"h264-long-mp4",
     "libx264",
     {"-c:v", "libx264", "-g", "250", "-bf", "3", "-pix_fmt", "yuv420p"},
     "mp4"},
    {"h264-long-late-start",
     "libx264",
     {"-c:v", "libx264", "-g", "250", "-bf", "3", "-pix_fmt", "yuv420p", "-output_ts_offset",
      "7.3"},
     "mkv"},
    {"h264-late-start",
     "libx264",
     {"-c:v", "libx264", "-g", "25", "-bf", "2", "-pix_fmt", "yuv420p", "-output_ts_offset", "7.3"},
     "mkv"},
};

constexpr int kFrames = 90;

class DecoderCodecs : public ::testing::TestWithParam<Codec> {};

int numberAt(engine::FrameDecoder& d, int n) {
    return testsupport::readFrameNumber(testsupport::frameAt(d, n)).value_or(-1);
}

TEST_P(DecoderCodecs, EveryPositionShowsItsOwnFrame) {
    const Codec& c = GetParam();
    if (!testvideo::ffmpegHasEncoder(c.encoder))
        GTEST_SKIP() << c.encoder << " is not in this ffmpeg";
    QTemporaryDir dir;
    const QString file = testvideo::makeNumberedVideo(
        dir.path(), QString("%1.%2").arg(c.label, c.container), kFrames, c.args);
    ASSERT_FALSE(file.isEmpty());
    // The decoder's pictures are made in buffers of a pool that outlives it.
    engine::PicturePool pool(64u << 20);
    engine::FrameDecoder d;
    d.setDecoderPool(pool);
    ASSERT_TRUE(d.open(file)) << d.error().toStdString();
    EXPECT_EQ(d.frameCount(), kFrames);
    EXPECT_EQ(d.frameRate().num / d.frameRate().den, 30);
    EXPECT_EQ(d.frameSize(), QSize(320, 240));

    // Forward through the whole file, then backward, then random jumps both ways.
    for (int n = 0; n < kFrames; ++n)
        ASSERT_EQ(numberAt(d, n), n) << c.label << " forward";
    for (int n = kFrames - 1; n >= 0; --n)
        ASSERT_EQ(numberAt(d, n), n) << c.label << " backward";
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> pick(0, kFrames - 1);
    for (int i = 0; i < 40; ++i) {
        const int n = pick(rng);
        ASSERT_EQ(numberAt(d, n), n) << c.label << " jump";
    }
    // Positions past either end show the first and the last frame.
    EXPECT_EQ(numberAt(d, -5), 0);
    EXPECT_EQ(numberAt(d, kFrames + 10), kFrames - 1);

    // A decoder opened afresh on the file takes the buffers the first one gave back.
    d.close();
    const engine::PicturePool::Counters first = pool.counters();
    EXPECT_EQ(first.bytesOut, 0u) << "every buffer came back with the decoder";
    if (c.label != std::string("raw")) { // raw pictures are the file's own packets
        EXPECT_GT(first.made, 0u);
    }
    engine::FrameDecoder again;
    again.setDecoderPool(pool);
    ASSERT_TRUE(again.open(file));
    for (int n = 0; n < kFrames; ++n)
        ASSERT_EQ(numberAt(again, n), n) << c.label << " forward, reopened";
    EXPECT_LE(pool.counters().made - first.made, 2u) << "buffers made anew, of " << first.made;
}

INSTANTIATE_TEST_SUITE_P(Codecs, DecoderCodecs, ::testing::ValuesIn(kCodecs), [](const auto& info) {
    std::string name = info.param.label;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

// A step back in a long group of pictures decodes from its key frame but not every picture on the
// way: those that no other picture refers to, well before the frame asked for, are skipped, and
// the frames asked for are still exactly themselves (the file-wide check is above).
TEST(DecoderSkipping, PicturesNothingRefersToAreNotDecodedOnTheWay) {
    if (!testvideo::ffmpegHasEncoder("libx264"))
        GTEST_SKIP() << "libx264 is not in this ffmpeg";
    QTemporaryDir dir;
    const QString file = testvideo::makeNumberedVideo(dir.path(), "long.avi", kFrames,
                                                      {"-c:v", "libx264", "-g", "250", "-bf", "3"});
    ASSERT_FALSE(file.isEmpty());
    engine::FrameDecoder d;
    ASSERT_TRUE(d.open(file)) << d.error().toStdString();
    ASSERT_EQ(d.keyFrameAtOrBefore(kFrames - 1), 0);
    ASSERT_EQ(numberAt(d, kFrames - 1), kFrames - 1);
    for (int n : {kFrames - 2, kFrames / 2, 40, 12}) {
        const quint64 before = d.picturesDecoded();
        ASSERT_EQ(numberAt(d, n), n);
        const quint64 decoded = d.picturesDecoded() - before;
        EXPECT_LE(decoded, static_cast<quint64>(n + 1)) << n;
        if (n > 30) { // far from the key frame, the B-pictures before it are passed over
            EXPECT_LT(decoded, static_cast<quint64>(n * 3 / 4)) << n;
        }
    }
    // Decoding on from a frame reached that way goes through every picture, in order; a jump
    // further along the group decodes on from there and passes over pictures too.
    for (int n = 13; n < 30; ++n)
        ASSERT_EQ(numberAt(d, n), n);
    const quint64 before = d.picturesDecoded();
    ASSERT_EQ(numberAt(d, 85), 85);
    EXPECT_LT(d.picturesDecoded() - before, static_cast<quint64>((85 - 29) * 3 / 4));
}

// In an open group the last pictures before a key frame come after it in the file and refer to
// the group before; an MP4 seeks on presentation times. A step to such a picture decodes the group
// before the key frame, not the two groups before it, and a run on its way there goes on without
// seeking again.
TEST(DecoderSkipping, ThePicturesBeforeAnOpenGroupDecodeOneGroup) {
    if (!testvideo::ffmpegHasEncoder("libx264"))
        GTEST_SKIP() << "libx264 is not in this ffmpeg";
    constexpr int kGroup = 50;
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), "open.mp4", 3 * kGroup,
                                     {"-c:v", "libx264", "-g", QString::number(kGroup), "-bf", "3",
                                      "-x264-params", "open-gop=1", "-pix_fmt", "yuv420p"});
    ASSERT_FALSE(file.isEmpty());
    engine::FrameDecoder d;
    ASSERT_TRUE(d.open(file)) << d.error().toStdString();
    ASSERT_EQ(d.keyFrames().size(), 3u);
    for (int k : {d.keyFrames()[2], d.keyFrames()[1]}) {
        for (int n : {k + 1, k, k - 1, k - 2}) {
            // Every picture decoded on the way (nothing passed over), so that the count is the
            // length decoded.
            ASSERT_TRUE(d.seekToKeyFor(n));
            const quint64 before = d.picturesDecoded();
            std::optional<int> at;
            while ((at = d.decodeNext()) && *at < n)
                ASSERT_TRUE(d.canContinueTo(n)) << n << " from " << *at;
            ASSERT_EQ(at, n);
            EXPECT_EQ(testsupport::readFrameNumber(d.currentImage()), n);
            EXPECT_LE(d.picturesDecoded() - before, static_cast<quint64>(kGroup + 8)) << n;
        }
    }
}

// A run heading for a frame is asked, on its way, for the pictures from a lower frame on (a held
// "<" overtook it). Where the decoder does not reorder, it returns them from there; where it
// does, a picture after skipped ones might be numbered wrong, so it returns none below the first
// limit. Either way every picture returned is exactly its frame.
TEST(DecoderSkipping, ARunOnItsWayReturnsLowerPicturesWhereNoneIsReordered) {
    if (!testvideo::ffmpegHasEncoder("libx264"))
        GTEST_SKIP() << "libx264 is not in this ffmpeg";
    struct Case {
        const char* bFrames;
        bool lowered;
    };
    for (const Case& c : {Case{"0", true}, Case{"3", false}}) {
        QTemporaryDir dir;
        const QString file = testvideo::makeNumberedVideo(
            dir.path(), "run.avi", kFrames, {"-c:v", "libx264", "-g", "250", "-bf", c.bFrames});
        ASSERT_FALSE(file.isEmpty());
        engine::FrameDecoder d;
        ASSERT_TRUE(d.open(file)) << d.error().toStdString();
        ASSERT_TRUE(d.seekToKeyFor(80, 70));
        bool passed = false;
        ASSERT_FALSE(d.decodeNextOrPass(passed).has_value()); // frame 0 is not wanted
        ASSERT_TRUE(passed);
        ASSERT_TRUE(d.headFor(80, 30));
        const std::optional<int> first = d.decodeNext();
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(*first <= 30, c.lowered) << c.bFrames << " B-frames: " << *first;
        EXPECT_EQ(testsupport::readFrameNumber(d.currentImage()), *first);
    }
}

class DecoderCutOff : public ::testing::TestWithParam<Codec> {};

// A recording cut off half-way has no index: it still opens and plays up to its last frame.
TEST_P(DecoderCutOff, PlaysUpToItsLastFrame) {
    const Codec& c = GetParam();
    if (!testvideo::ffmpegHasEncoder(c.encoder))
        GTEST_SKIP() << c.encoder << " is not in this ffmpeg";
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), QString("%1.avi").arg(c.label), kFrames, c.args);
    ASSERT_FALSE(file.isEmpty());
    QFile f(file);
    ASSERT_TRUE(f.resize(f.size() / 2));

    engine::FrameDecoder d;
    ASSERT_TRUE(d.open(file)) << d.error().toStdString();
    const int count = d.frameCount();
    EXPECT_GT(count, kFrames / 4);
    EXPECT_LT(count, kFrames);
    EXPECT_EQ(numberAt(d, 0), 0);
    EXPECT_EQ(numberAt(d, count / 2), count / 2);
    EXPECT_EQ(numberAt(d, count - 2), count - 2);
    // With B-frames the cut may fall inside the last picture's data: that picture is shown as
    // far as it decodes. Without them the last frame is whole.
    if (c.label != std::string("h264-b")) {
        EXPECT_EQ(numberAt(d, count - 1), count - 1);
    }
    EXPECT_FALSE(testsupport::frameAt(d, count + 20).isNull());
    EXPECT_EQ(numberAt(d, 1), 1);
}

const Codec kCutCodecs[] = {
    kCodecs[1],
    {"h264", "libx264", {"-c:v", "libx264", "-g", "25", "-bf", "0", "-pix_fmt", "yuv420p"}},
    {"h264-b", "libx264", {"-c:v", "libx264", "-g", "25", "-bf", "3", "-pix_fmt", "yuv420p"}},
};

INSTANTIATE_TEST_SUITE_P(Codecs, DecoderCutOff, ::testing::ValuesIn(kCutCodecs),
                         [](const auto& info) {
                             std::string name = info.param.label;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// A recording that repeated a slot has an empty chunk there: that frame shows the picture
// before it, and every other frame keeps its own number.
TEST(DecoderGaps, AnEmptyChunkShowsThePictureBefore) {
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), "gaps.avi", 30,
                                     {"-vf", "select=not(eq(n\\,10)+eq(n\\,20))", "-fps_mode",
                                      "passthrough", "-c:v", "mjpeg", "-q:v", "3"});
    ASSERT_FALSE(file.isEmpty());
    engine::FrameDecoder d;
    ASSERT_TRUE(d.open(file)) << d.error().toStdString();
    ASSERT_EQ(d.frameCount(), 30);
    auto expected = [](int n) { return n == 10 || n == 20 ? n - 1 : n; };
    for (int n = 0; n < 30; ++n)
        EXPECT_EQ(numberAt(d, n), expected(n)) << "forward " << n;
    for (int n : {21, 20, 11, 10, 29, 9, 20})
        EXPECT_EQ(numberAt(d, n), expected(n)) << "jump " << n;
}

TEST(DecoderFailures, FilesThatAreNotVideoDoNotOpen) {
    QTemporaryDir dir;
    engine::FrameDecoder d;
    EXPECT_FALSE(d.open(dir.path() + "/missing.avi"));
    EXPECT_FALSE(d.isOpen());
    EXPECT_TRUE(testsupport::frameAt(d, 3).isNull());

    QFile text(dir.path() + "/notes.avi");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("RIFF\x10\0\0\0AVI LIST this is not a recording at all");
    text.close();
    EXPECT_FALSE(d.open(text.fileName()));
    EXPECT_FALSE(d.isOpen());
    EXPECT_FALSE(d.decodeNext().has_value());

    QFile empty(dir.path() + "/empty.avi");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(d.open(empty.fileName()));
}

} // namespace
