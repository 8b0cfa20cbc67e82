// skivane-bench info [MiB]: skivane-info's work on a recording cut off at a large size (a raw
// video AVI written by the ffmpeg program and cut off past `MiB`, 1100 by default, so without its
// index) against the ffprobe program reading the same file's headers, both as programs started
// here, cold (the file's pages dropped from the page cache with posix_fadvise before each run)
// and warm. Also the in-process parse alone (one open, one parse) and the read calls it makes.
#include "Bench.h"

#include "core/media/FileInfoLines.h"
#include "core/media/mmInfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Drops the file's cached pages so that the next read comes from the disk.
bool dropFromPageCache(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::fdatasync(fd);
    const bool ok = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok;
}

double runMs(const QString& program, const QStringList& args) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return -1;
    return t.nsecsElapsed() / 1e6;
}

int runInfoBench(const QStringList& args) {
    const qint64 mib = args.isEmpty() ? 1100 : args.first().toLongLong();
    if (mib <= 0)
        return 2;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString file = dir.filePath(QStringLiteral("cutoff.avi"));
    // Raw 640x480 video with sound, like a capture; written a little past the size, then cut.
    QProcess ff;
    ff.start(QStringLiteral("ffmpeg"), {"-v",
                                        "error",
                                        "-y",
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "testsrc2=size=640x480:rate=25",
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "sine=frequency=440:sample_rate=48000",
                                        "-c:v",
                                        "rawvideo",
                                        "-pix_fmt",
                                        "yuv420p",
                                        "-c:a",
                                        "pcm_s16le",
                                        "-fs",
                                        QString::number((mib + 8) << 20),
                                        file});
    if (!ff.waitForFinished(1800000) || ff.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ff.readAllStandardError().constData());
        return 1;
    }
    if (!QFile::resize(file, mib << 20))
        return 1;
    const QString info = QCoreApplication::applicationDirPath() + QStringLiteral("/skivane-info");
    const QStringList probeArgs{"-v", "error", "-show_format", "-show_streams", file};
    std::vector<double> infoCold, infoWarm, probeCold, probeWarm, parse;
    bool dropped = true;
    for (int i = 0; i < 5; ++i) {
        dropped = dropFromPageCache(file) && dropped;
        infoCold.push_back(runMs(info, {file}));
        dropped = dropFromPageCache(file) && dropped;
        probeCold.push_back(runMs(QStringLiteral("ffprobe"), probeArgs));
    }
    std::uint64_t reads = 0;
    for (int i = 0; i < 7; ++i) {
        infoWarm.push_back(runMs(info, {file}));
        probeWarm.push_back(runMs(QStringLiteral("ffprobe"), probeArgs));
        QElapsedTimer t;
        t.start();
        media::FileSource source;
        media::AviFileInfo record;
        if (source.open(file) != 0 ||
            media::parseAviInfo(source, false, record) != media::AviReadStatus::Ok)
            return 1;
        parse.push_back(t.nsecsElapsed() / 1e6);
        reads = source.reads();
    }
    const double ic = bench::median(infoCold), pc = bench::median(probeCold);
    const double iw = bench::median(infoWarm), pw = bench::median(probeWarm);
    const double pa = bench::median(parse);
    std::printf("cut-off recording %lld MiB%s\n", static_cast<long long>(mib),
                dropped ? "" : " (page cache could not be dropped: cold figures are warm)");
    std::printf("skivane-info cold %8.2f ms | ffprobe cold %8.2f ms | skivane-info warm %7.2f ms "
                "| ffprobe warm %7.2f ms | parse alone warm %6.2f ms, %llu reads\n",
                ic, pc, iw, pw, pa, static_cast<unsigned long long>(reads));
    std::printf("RESULT info size_mib=%lld cold_ratio=%.3f warm_ms=%.2f ffprobe_warm_ms=%.2f "
                "warm_diff_ms=%.2f parse_ms=%.2f reads=%llu cold_dropped=%d\n",
                static_cast<long long>(mib), pc > 0 ? ic / pc : 0, iw, pw, iw - pw, pa,
                static_cast<unsigned long long>(reads), dropped ? 1 : 0);
    return 0;
}

} // namespace

static bench::Registration infoRegistration{
    "info", "skivane-info on a cut-off recording against ffprobe, cold and warm", runInfoBench};
