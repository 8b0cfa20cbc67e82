// Repair of cut-off recordings: recordings killed mid-way (by the ffmpeg program early and past
// the first RIFF section, and by this program's own recorder) copied with a proper index; the
// copy holds the same frames under the same numbers for ffprobe and for this program, and the
// original stays byte for byte as it was. The player counts the same frames in both.
#include "core/engine/AviRepair.h"
#include "core/engine/FrameDecoder.h"
#include "core/media/mmInfo.h"
#include "support/core/FakeDialogs.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray sha1(const QString& path) {
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f))
        return {};
    return hash.result();
}

// ffprobe's video packets: their count and time stamps (-count_packets reads them all).
QStringList probePackets(const QString& path) {
    QProcess p;
    p.start("ffprobe", {"-v", "quiet", "-select_streams", "v", "-show_entries", "packet=pts", "-of",
                        "csv=p=0", path});
    p.waitForFinished(120000);
    return QString::fromLatin1(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

qint64 probeCount(const QString& path) {
    QProcess p;
    p.start("ffprobe", {"-v", "quiet", "-count_packets", "-select_streams", "v", "-show_entries",
                        "stream=nb_read_packets", "-of", "csv=p=0", path});
    p.waitForFinished(120000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed().toLongLong();
}

// Starts `program`, waits until `path` has grown past `bytes`, kills it (no trailer, no index).
bool killWhenLarger(QProcess& process, const QString& path, qint64 bytes) {
    if (!process.waitForStarted())
        return false;
    QElapsedTimer t;
    t.start();
    while (QFileInfo(path).size() < bytes && t.elapsed() < 120000 &&
           process.state() == QProcess::Running)
        QThread::msleep(20);
    const bool running = process.state() == QProcess::Running;
    process.kill();
    process.waitForFinished();
    return running && QFileInfo(path).size() >= bytes;
}

struct CutCase {
    const char* name;
    qint64 killAtBytes;
    std::function<void(QProcess&, const QString& path)> start;
};

class AviRepair : public ::testing::TestWithParam<CutCase> {};

TEST_P(AviRepair, CopyHoldsTheSameFramesUnderTheSameNumbers) {
    if (QStandardPaths::findExecutable("ffprobe").isEmpty() ||
        QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "the ffmpeg programs are not installed";
    QTemporaryDir dir;
    const QString run = dir.filePath("Annpass1.avi");
    QProcess recorder;
    GetParam().start(recorder, run);
    ASSERT_TRUE(killWhenLarger(recorder, run, GetParam().killAtBytes))
        << recorder.readAllStandardError().toStdString();
    const QByteArray before = sha1(run);

    testsupport::FakeDialogs dialogs;
    const qint64 ours = media::AviLength(run, dialogs);
    ASSERT_GT(ours, 0);
    EXPECT_FALSE(media::AviHasIndex(run, dialogs));
    // ffprobe also counts a last packet cut short; neither this program nor its player does.
    const qint64 probed = probeCount(run);
    EXPECT_TRUE(probed == ours || probed == ours + 1) << probed << " " << ours;
    engine::FrameDecoder player;
    ASSERT_TRUE(player.open(run)) << player.error().toStdString();
    EXPECT_EQ(player.frameCount(), ours);
    player.close();

    const engine::RepairResult result = engine::repairCopy(run);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.path, dir.filePath("Annpass1-repaired.avi"));
    EXPECT_EQ(result.videoFrames, ours);
    EXPECT_EQ(sha1(run), before);

    // The copy: an index, the frame count in its header, and ffprobe agrees frame for frame.
    EXPECT_TRUE(media::AviHasIndex(result.path, dialogs));
    EXPECT_EQ(qint64(media::AviLength(result.path, dialogs)), ours);
    EXPECT_EQ(probeCount(result.path), ours);
    ASSERT_TRUE(player.open(result.path)) << player.error().toStdString();
    EXPECT_EQ(player.frameCount(), ours);
    player.close();
    QStringList original = probePackets(run);
    ASSERT_GE(original.size(), ours);
    original = original.mid(0, ours); // a last frame cut short is no frame
    EXPECT_EQ(probePackets(result.path), original);
    EXPECT_TRUE(dialogs.boxes.empty());

    // A second repair never replaces the first; no temporary file is left behind.
    const QByteArray copy = sha1(result.path);
    EXPECT_FALSE(engine::repairCopy(run).ok);
    EXPECT_EQ(sha1(result.path), copy);
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_TRUE(name == "Annpass1.avi" || name == "Annpass1.avi.timing" ||
                    name == "Annpass1-repaired.avi")
            << name.toStdString();
}

void ffmpegRecording(QProcess& p, const QStringList& picture, const QString& path) {
    QStringList args = {"-v", "error", "-f", "lavfi", "-i"};
    args << picture << "-f"
         << "avi" << path;
    p.start("ffmpeg", args);
}

INSTANTIATE_TEST_SUITE_P(
    Cut, AviRepair,
    ::testing::Values(
        CutCase{"FfmpegEarly", 200 * 1024,
                [](QProcess& p, const QString& path) {
                    ffmpegRecording(p, {"testsrc=size=160x120:r=25", "-c:v", "mjpeg"}, path);
                }},
        // Past the first RIFF section of 1 GiB, into the extended (AVIX) part.
        CutCase{"FfmpegPastTheFirstRiff", (qint64(1) << 30) + 50 * 1024 * 1024,
                [](QProcess& p, const QString& path) {
                    ffmpegRecording(
                        p,
                        {"color=c=gray:size=640x480:r=25", "-c:v", "rawvideo", "-pix_fmt", "gray"},
                        path);
                }},
        // This program's recorder, killed while it records (the helper test of CaptureFailure).
        CutCase{"OwnRecorder", 150 * 1024,
                [](QProcess& p, const QString& path) {
                    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                    env.insert("SKIVANE_CAPTURE_KILL_FILE", path);
                    p.setProcessEnvironment(env);
                    p.start(QCoreApplication::applicationFilePath(),
                            {"--gtest_filter=CaptureKillHelper.RecordsUntilKilled"});
                }}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(AviRepairPath, NamesTheCopyBesideTheRun) {
    EXPECT_EQ(engine::repairedPath("/r/Annpass1.avi"), "/r/Annpass1-repaired.avi");
    EXPECT_EQ(engine::repairedPath("/r/Ann.AVI"), "/r/Ann-repaired.avi");
    EXPECT_EQ(engine::repairedPath("/r/clip"), "/r/clip-repaired.avi");
    EXPECT_FALSE(engine::repairCopy("/nonexistent/x.avi").ok);
}

} // namespace
