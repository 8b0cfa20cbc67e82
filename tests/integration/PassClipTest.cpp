// The pass clip: the timed window with 2 s either side, the pass clock burned in, the run's own
// frames in order; a cancelled clip leaves nothing behind.
#include "NumberedVideo.h"

#include "core/engine/FrameDecoder.h"
#include "core/engine/PassClip.h"
#include "core/engine/SegmentText.h"
#include "support/core/FrameAt.h"
#include "support/core/FrameNumbers.h"
#include "support/core/SegmentTextCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// 30 fps numbered video; a barefoot pass of 15 s is 450 frames.
constexpr int kFrames = 600;
constexpr int kStart = 70;
constexpr int kEnd = kStart + 450;

class PassClip : public ::testing::Test {
protected:
    void SetUp() override {
        run = testvideo::makeNumberedVideo(dir.path(), "Annpass1.avi", kFrames,
                                           {"-c:v", "mjpeg", "-q:v", "3"}, 640, 360);
        ASSERT_FALSE(run.isEmpty());
        request.run = run;
        request.startFrame = kStart;
        request.endFrame = kEnd;
    }
    bool shows(const QImage& picture, const QString& text, QPoint at) {
        return testsupport::showsSegmentText(picture, text, at.x(), at.y(),
                                             engine::passClockLayout(picture.size()).height);
    }
    QTemporaryDir dir;
    QString run;
    engine::PassClipRequest request;
};

TEST_F(PassClip, HoldsTheWindowWithTheClockBurnedIn) {
    const engine::PassClipResult clip = engine::writePassClip(request);
    ASSERT_TRUE(clip.ok) << clip.error.toStdString();
    EXPECT_EQ(clip.path,
              dir.filePath(engine::passClipUsesH264() ? "Annpass1-pass.mp4" : "Annpass1-pass.avi"));
    EXPECT_EQ(clip.firstFrame, kStart - 60);
    EXPECT_EQ(clip.frames, 450 + 2 * 60 + 1);
    EXPECT_TRUE(clip.shortfall.isEmpty()) << clip.shortfall.toStdString();

    engine::FrameDecoder decoded;
    ASSERT_TRUE(decoded.open(clip.path)) << decoded.error().toStdString();
    EXPECT_EQ(decoded.frameCount(), clip.frames);
    const engine::PassClockLayout at = engine::passClockLayout(decoded.frameSize());
    struct Expect {
        int runFrame;
        const char* clock;
        bool end;
    };
    for (const Expect& e : {Expect{kStart - 60, "-2.00", false}, Expect{kStart, "0.00", false},
                            Expect{kStart + 1, "0.03", false}, Expect{kEnd - 1, "14.97", false},
                            Expect{kEnd, "15.00", true}, Expect{kEnd + 60, "15.00", true}}) {
        SCOPED_TRACE(e.runFrame);
        const QImage picture = testsupport::frameAt(decoded, e.runFrame - clip.firstFrame);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(testsupport::readFrameNumber(picture), e.runFrame); // the run's own picture
        EXPECT_TRUE(shows(picture, e.clock, at.clock));
        EXPECT_TRUE(shows(picture, QString::number(e.runFrame), at.frame));
        EXPECT_EQ(shows(picture, "End", at.end), e.end);
    }

    // A second clip of the same run gets a name of its own.
    request.marginFrames = 0;
    const engine::PassClipResult second = engine::writePassClip(request);
    ASSERT_TRUE(second.ok) << second.error.toStdString();
    EXPECT_TRUE(second.path.contains("-pass-2."));
    EXPECT_EQ(second.frames, 451);
    EXPECT_TRUE(QFileInfo::exists(clip.path));
}

TEST_F(PassClip, CancelOrFailureLeavesNoFile) {
    int calls = 0;
    const engine::PassClipResult cancelled =
        engine::writePassClip(request, [&](int done, int total) {
            ++calls;
            EXPECT_EQ(total, 571);
            return done < 5;
        });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(calls, 5);

    request.startFrame = kFrames + 10; // not in the file
    request.endFrame = request.startFrame + 450;
    const engine::PassClipResult outside = engine::writePassClip(request);
    EXPECT_FALSE(outside.ok);
    EXPECT_TRUE(
        outside.error.startsWith("The pass (frames 610 to 1060) lies outside the recording"))
        << outside.error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Annpass1.avi"});
}

TEST_F(PassClip, SaysWhatItHolds) {
    struct Case {
        int start, end, margin;
        const char* says; // the shortfall sentence
    };
    for (const Case& c :
         {Case{kFrames - 70, kFrames - 31, 60,
               "The recording ends at frame 599, 1.00 s after the end of the pass: the clip "
               "stops there, short of the 2.00 s after it."},
          Case{kFrames - 20, kFrames + 150, 0,
               "The recording ends at frame 599, before the end of the pass (frame 750): the "
               "clip stops there and never shows \"End\"."}}) {
        SCOPED_TRACE(c.start);
        request.startFrame = c.start;
        request.endFrame = c.end;
        request.marginFrames = c.margin;
        const engine::PassClipResult clip = engine::writePassClip(request);
        ASSERT_TRUE(clip.ok) << clip.error.toStdString();
        EXPECT_EQ(clip.shortfall.toStdString(), c.says);
        EXPECT_EQ(clip.firstFrame + clip.frames - 1, kFrames - 1);
        QFile::remove(clip.path);
    }
}

} // namespace
