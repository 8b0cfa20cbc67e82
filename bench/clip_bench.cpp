// skivane-bench clip [seconds=S] [runs=R]
// Writes the pass clip of a 1080p Motion JPEG run at 30 fps (a pass of S seconds, default 20,
// with 2 s either side) R times (default 3), and times the ffmpeg program doing the same trim
// with a text overlay and the same encoder in turn; reports the medians and their ratio.
#include "Bench.h"

#include "core/engine/PassClip.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kFps = 30;

bool runFfmpeg(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", p.readAllStandardError().constData());
        return false;
    }
    return true;
}

int runClipBench(const QStringList& args) {
    const int seconds = std::max(1, bench::argValue(args, "seconds", 20));
    const int runs = std::max(1, bench::argValue(args, "runs", 3));
    QTemporaryDir dir;
    const QString run = dir.filePath("Benchpass1.avi");
    const int start = 2 * kFps;
    const int end = start + seconds * kFps;
    const int frames = end + 2 * kFps + 1;
    std::printf("making a %d-frame 1920x1080 Motion JPEG run\n", frames);
    if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=30", "-frames:v",
                    QString::number(frames), "-c:v", "mjpeg", "-q:v", "3", run}))
        return 1;

    const bool h264 = engine::passClipUsesH264();
    const QStringList encoder = h264 ? QStringList{"-c:v", "libx264", "-preset", "veryfast"}
                                     : QStringList{"-c:v", "mjpeg", "-q:v", "3"};
    // The same window, a clock drawn on a black strip, the same encoder.
    const QString filter =
        QStringLiteral("trim=start_frame=0:end_frame=%1,drawbox=x=0:y=ih-150:w=iw:h=150:"
                       "color=black:t=fill,drawtext=text='%{eif\\:(n-%2)*100/%3\\:d}':"
                       "fontsize=96:fontcolor=white:x=40:y=h-130")
            .arg(frames)
            .arg(start)
            .arg(kFps);
    std::vector<double> ours, reference;
    for (int i = 0; i < runs; ++i) {
        engine::PassClipRequest request;
        request.run = run;
        request.startFrame = start;
        request.endFrame = end;
        QElapsedTimer t;
        t.start();
        const engine::PassClipResult clip = engine::writePassClip(request);
        const double s = t.nsecsElapsed() / 1e9;
        if (!clip.ok) {
            std::fprintf(stderr, "pass clip failed: %s\n", qPrintable(clip.error));
            return 1;
        }
        QFile::remove(clip.path);
        ours.push_back(s);

        const QString out = dir.filePath(h264 ? "ref.mp4" : "ref.avi");
        t.restart();
        if (!runFfmpeg(QStringList{"-i", run, "-vf", filter, "-an"} + encoder + QStringList{out}))
            return 1;
        reference.push_back(t.nsecsElapsed() / 1e9);
        std::printf("turn %d: ours %.2f s, ffmpeg %.2f s\n", i + 1, ours.back(), reference.back());
        std::fflush(stdout);
    }
    const double a = bench::median(ours), b = bench::median(reference);
    std::printf("RESULT clip frames=%d codec=%s clip_s=%.2f ffmpeg_s=%.2f ratio=%.3f\n", frames,
                h264 ? "h264" : "mjpeg", a, b, b > 0 ? a / b : 0.0);
    return 0;
}

const bench::Registration registration{
    "clip", "pass clip of a 1080p Motion JPEG run against the ffmpeg program", runClipBench};

} // namespace
