// The AVI writer's own count of the frames in its file, checked against the file read back.
#include "core/engine/AviWriter.h"
#include "core/engine/TestCamera.h"
#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"
#include "support/core/FileSizeLimit.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

engine::RecordingSettings settings(const QString& path) {
    engine::RecordingSettings s;
    s.path = path;
    s.width = 320;
    s.height = 240;
    s.sourceFormat = AV_PIX_FMT_YUV420P;
    s.fps = 25;
    s.audio = true;
    s.sampleRate = 8000;
    s.channels = 1;
    s.bitsPerSample = 16;
    return s;
}

// Writes picture `number` with the sound of one frame.
bool writeFrame(engine::AviWriter& writer, engine::TestCameraPicture& camera, int64_t number) {
    engine::FramePtr frame = camera.render(number, engine::kTestChannelMin, {});
    const std::vector<int16_t> sound(8000 / 25, 0);
    return writer.writeVideo(frame.get()) && writer.writeAudio(sound.data(), int(sound.size()));
}

// The length of the file as the AVI reader finds it (its video chunks when it was cut off).
int64_t framesInFile(const QString& path) {
    media::FileSource file;
    media::AviFileInfo info;
    if (file.open(path) != 0 || media::parseAviInfo(file, false, info) != media::AviReadStatus::Ok)
        return -1;
    return info.dwLength;
}

} // namespace

TEST(AviWriterCount, CountsTheVideoChunksWithTheEmptyOnesOfLeftOutFrames) {
    QTemporaryDir dir;
    const QString path = dir.filePath("gaps.avi");
    engine::TestCameraPicture camera({320, 240}, AV_PIX_FMT_YUV420P);
    engine::AviWriter writer(settings(path));
    for (int64_t n : {0, 1, 2, 3, 7, 8, 9}) // 4 to 6 left out (dropped)
        ASSERT_TRUE(writeFrame(writer, camera, n));
    EXPECT_LE(writer.framesWritten(), 10);
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(writer.framesWritten(), 10);
    EXPECT_EQ(framesInFile(path), 10);
}

TEST(AviWriterCount, AfterAFullDiskCountsWhatReachedTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("full.avi");
    engine::TestCameraPicture camera({320, 240}, AV_PIX_FMT_YUV420P);
    auto counter = [&] {
        engine::AviWriter writer(settings(path));
        int64_t n = 0;
        {
            // A file size limit stands in for a full disk: writes beyond it fail (EFBIG). About
            // six uncompressed pictures fit.
            const testsupport::FileSizeLimit full(700 * 1024);
            while (n < 100 && writeFrame(writer, camera, n))
                ++n;
            EXPECT_FALSE(writer.finish());
        }
        EXPECT_LT(n, 100) << "the limit was never reached";
        EXPECT_TRUE(writer.error().contains("Writing the recording failed"))
            << writer.error().toStdString();
        return writer.framesWrittenCounter(); // outlives the writer
    }();
    EXPECT_GE(counter->load(), 3);
    EXPECT_EQ(counter->load(), framesInFile(path));
}
