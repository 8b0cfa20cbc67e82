// AVI inspection of real files written by the ffmpeg program, and the skivane-info tool.
#include "core/media/FileInfoLines.h"
#include "core/media/RunFacts.h"
#include "core/media/mmInfo.h"
#include "core/run/DayExport.h"
#include "support/core/FakeDialogs.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace media;

namespace {

class AviInfoFfmpegTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            GTEST_SKIP() << "the ffmpeg program is not installed";
    }

    // Runs ffmpeg with a test picture source; returns the path of the file made.
    QString make(const QString& name, const QString& source, QStringList codec) {
        const QString path = dir.filePath(name);
        QStringList args = {"-v", "error", "-y", "-f", "lavfi", "-i", source};
        args << codec << path;
        QProcess p;
        p.start("ffmpeg", args);
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            ADD_FAILURE() << "ffmpeg failed: " << p.readAllStandardError().toStdString();
            return QString();
        }
        return path;
    }

    // Offset of the chunk header of video packet `n` (ffprobe gives the data offset).
    qint64 videoChunkOffset(const QString& path, int n) {
        QProcess p;
        p.start("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries", "packet=pos",
                            "-of", "csv=p=0", path});
        if (!p.waitForFinished(60000))
            return -1;
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        if (n >= lines.size())
            return -1;
        return lines[n].trimmed().toLongLong() - 8;
    }

    QTemporaryDir dir;
    testsupport::FakeDialogs dialogs;
};

} // namespace

TEST_F(AviInfoFfmpegTest, MotionJpegGivesItsFramesRateAndSize) {
    const QString path =
        make("mjpeg.avi", "testsrc=size=320x240:r=30", {"-frames:v", "45", "-c:v", "mjpeg"});
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(IsAviFile(path, dialogs));
    EXPECT_EQ(AviLength(path, dialogs), 45u);
    EXPECT_EQ(AviFrameRate(path, dialogs), 30u);
    EXPECT_EQ(AviWidth(path, dialogs), 320u);
    EXPECT_EQ(AviHeight(path, dialogs), 240u);
    EXPECT_TRUE(AviAllKeyFrames(path, dialogs));
    EXPECT_TRUE(AviIsCompressed(path, dialogs));
    EXPECT_TRUE(AviHasIndex(path, dialogs));
    EXPECT_EQ(AviFileType(path, dialogs), "AVI File");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoFfmpegTest, CodecsDecideCompressionAndKeyFrames) {
    const QString raw = make("raw.avi", "testsrc=size=160x120:r=25",
                             {"-frames:v", "10", "-c:v", "rawvideo", "-pix_fmt", "bgr24"});
    const QString yuv = make("yuv.avi", "testsrc=size=160x120:r=25",
                             {"-frames:v", "10", "-c:v", "rawvideo", "-pix_fmt", "yuyv422"});
    const QString gop = make("mpeg4.avi", "testsrc=size=160x120:r=30000/1001",
                             {"-frames:v", "30", "-c:v", "mpeg4", "-g", "12"});
    const QString intra = make("ffv1.avi", "testsrc=size=160x120:r=25",
                               {"-frames:v", "10", "-c:v", "ffv1", "-g", "1"});
    ASSERT_FALSE(raw.isEmpty() || yuv.isEmpty() || gop.isEmpty() || intra.isEmpty());
    EXPECT_FALSE(AviIsCompressed(raw, dialogs));
    EXPECT_TRUE(AviAllKeyFrames(raw, dialogs));
    EXPECT_FALSE(AviIsCompressed(yuv, dialogs));
    EXPECT_TRUE(AviIsCompressed(gop, dialogs));
    EXPECT_FALSE(AviAllKeyFrames(gop, dialogs));
    EXPECT_EQ(AviFrameRate(gop, dialogs), 30u) << "30000/1001 rounds to 30";
    EXPECT_EQ(AviLength(gop, dialogs), 30u);
    EXPECT_TRUE(AviAllKeyFrames(intra, dialogs)) << "FFV1 with every frame a key frame";
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoFfmpegTest, ACutOffCopyCountsTheFramesLeft) {
    const QString path =
        make("cut.avi", "testsrc=size=160x120:r=25", {"-frames:v", "40", "-c:v", "mjpeg"});
    ASSERT_FALSE(path.isEmpty());
    const qint64 frame20 = videoChunkOffset(path, 20);
    ASSERT_GT(frame20, 0);
    QFile f(path);
    ASSERT_TRUE(f.resize(frame20 + 10)); // inside the 21st frame
    EXPECT_EQ(AviLength(path, dialogs), 20u);
    EXPECT_FALSE(AviHasIndex(path, dialogs));
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoFfmpegTest, SkivaneInfoPrintsTheFileInformationLines) {
    const QString tool = QStringLiteral(SKIVANE_BINARY_DIR "/skivane-info");
    if (!QFile::exists(tool))
        GTEST_SKIP() << "skivane-info is not built in " SKIVANE_BINARY_DIR;
    const QString path =
        make("info.avi", "testsrc=size=320x240:r=30", {"-frames:v", "45", "-c:v", "mjpeg"});
    ASSERT_FALSE(path.isEmpty());
    const QString wave = dir.filePath("sound.wav");
    {
        QFile f(wave);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("RIFF\x0c\0\0\0WAVEdata\0\0\0\0", 20));
    }

    QProcess p;
    p.start(tool, {path});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString expected = "Filename: " + path +
                             "\n"
                             "File Type: AVI File\n"
                             "Height: 240\n"
                             "Width: 320\n"
                             "Length: 45 frames\n"
                             "Rate: 30fps\n"
                             "\n"
                             "=== dwCaps ===\n"
                             "Compressed: True\n"
                             "All Key Frames: True\n"
                             "Can Read: True\n"
                             "Can Write: True\n"
                             "\n"
                             "=== dwFlags ===\n"
                             "Contains Copyright Info: False\n"
                             "Capture File: False\n"
                             "Has Index: True\n"
                             "Must Use Index: False\n"
                             "Interleaved: True\n";
    EXPECT_EQ(QString::fromLocal8Bit(p.readAllStandardOutput()), expected);
    EXPECT_EQ(p.readAllStandardError(), QByteArray());

    // The same lines as the review screen's list.
    EXPECT_EQ(FileInfoLines(path, dialogs).join('\n') + '\n', expected);

    // Two files, one of them not AVI: the AVI's lines are printed, the other is reported.
    p.start(tool, {wave, path});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(p.readAllStandardOutput()), expected);
    EXPECT_TRUE(p.readAllStandardError().contains("Not a valid avi file"));

    const QString missing = dir.filePath("missing.avi");
    p.start(tool, {missing});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError())
                    .contains("File does not exist:\n" + missing));
}

TEST_F(AviInfoFfmpegTest, SkivaneInfoExportsTheDayAsTheLogViewerDoes) {
    const QString tool = QStringLiteral(SKIVANE_BINARY_DIR "/skivane-info");
    if (!QFile::exists(tool))
        GTEST_SKIP() << "skivane-info is not built in " SKIVANE_BINARY_DIR;
    // A 25 fps run marked as a barefoot pass (375 frames), and a run whose video is gone.
    const QString path =
        make("Annpass1.avi", "testsrc=size=160x120:r=25", {"-frames:v", "10", "-c:v", "mjpeg"});
    ASSERT_FALSE(path.isEmpty());
    const QByteArray log = "01-18-200520:24:14Skivane Session started  \r\n"
                           "01-18-200520:31:07Skier: AnnPass: 1Start:  12End:  387File: " +
                           path.toLocal8Bit() +
                           "\r\n"
                           "01-18-200520:32:00Skier: BoPass: 1Start:  1End:  600File: " +
                           dir.filePath("Bopass1.avi").toLocal8Bit() + "\r\n";
    const QString logPath = dir.filePath("SkivaneLog011805.txt");
    {
        QFile f(logPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(log);
    }
    QProcess p;
    p.start(tool, {"--export-day", logPath});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QByteArray csv = p.readAllStandardOutput();
    EXPECT_EQ(csv, run::dayCsv(log, media::readRunFacts));
    EXPECT_TRUE(csv.contains(",25,375,15.00,yes," + path.toUtf8() + ",yes,")) << csv.constData();
    EXPECT_TRUE(csv.contains(",599,,,")) << csv.constData();

    p.start(tool, {"--export-day", dir.filePath("none.txt")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray());
}
