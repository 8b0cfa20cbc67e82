// skivane-bench capture [frames=N] [seconds=S] [runs=R]
// Records N frames of the test camera at 1280x720 and 1920x1080 with Motion JPEG as fast as the
// capture pipeline allows, and times the same encode of the same frames by the ffmpeg program
// (raw frames from a temporary file), R times each (default 3), taking the medians; then records
// S seconds (default 60) at 1920x1080, 30 fps, Motion JPEG in real time and reports the frames
// dropped.
#include "Bench.h"

#include "ui/adapters/AvCaptureControl.h"
#include "core/engine/Codecs.h"
#include "core/engine/TestCamera.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

constexpr int kFps = 30;

int argValue(const QStringList& args, const QString& key, int fallback) {
    for (const QString& a : args)
        if (a.startsWith(key + "="))
            return a.mid(key.size() + 1).toInt();
    return fallback;
}

struct Recorder {
    av::AvCaptureControl ctl;
    QString warning;
    Recorder() {
        ctl.setDeviceEventSource(nullptr);
        QObject::connect(&ctl, &platform::CaptureControl::WarningMessage, &ctl,
                         [this](int, const QString& w) { warning = w; });
        ctl.Connect(ctl.testCameraIndex());
        ctl.setColorFormat(0); // I420
        ctl.setVideoCompressor(0);
        ctl.setAudioDeviceIndex(-1);
        ctl.setFrameRate(kFps);
    }
    // Records until the time limit; returns the wall time in seconds.
    double record(const QString& path, int sizeIndex, int seconds, bool paced) {
        ctl.setVideoResolution(sizeIndex);
        ctl.setTestCameraPacing(paced);
        ctl.setTimeLimit(seconds);
        ctl.setStreamFileName(path);
        // Waits in an event loop that sleeps: a polling loop would take a core from the encoder.
        QEventLoop loop;
        bool ended = false;
        QObject::connect(&ctl, &platform::CaptureControl::CaptureStatus, &loop,
                         [&](int code, const QString&) {
                             if (code == 301) {
                                 ended = true;
                                 loop.quit();
                             }
                         });
        QElapsedTimer t;
        t.start();
        ctl.StartStreamCapture();
        if (!ended)
            loop.exec();
        return t.nsecsElapsed() / 1e9;
    }
};

// The test camera's frames 0 .. n-1 as raw I420, the input of the ffmpeg reference.
bool writeRawFrames(const QString& path, QSize size, int n) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    av::TestCameraPicture camera(size, AV_PIX_FMT_YUV420P);
    const int bytes = av_image_get_buffer_size(AV_PIX_FMT_YUV420P, size.width(), size.height(), 1);
    QByteArray buf(bytes, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) {
        av::FramePtr frame = camera.render(i, av::kTestChannelMin, {});
        av_image_copy_to_buffer(reinterpret_cast<uint8_t*>(buf.data()), bytes, frame->data,
                                frame->linesize, AV_PIX_FMT_YUV420P, size.width(), size.height(),
                                1);
        if (f.write(buf) != bytes)
            return false;
    }
    return true;
}

// Seconds the ffmpeg program takes for the same Motion JPEG encode; negative on failure.
double ffmpegSeconds(const QString& raw, const QString& out, QSize size) {
    QProcess p;
    const QStringList args{"-nostdin",
                           "-v",
                           "error",
                           "-f",
                           "rawvideo",
                           "-pix_fmt",
                           "yuv420p",
                           "-s",
                           QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                           "-r",
                           QString::number(kFps),
                           "-i",
                           raw,
                           "-c:v",
                           "mjpeg",
                           "-q:v",
                           QString::number(av::qscaleForQuality(av::kDefaultQuality)),
                           "-an",
                           "-y",
                           out};
    QElapsedTimer t;
    t.start();
    p.start("ffmpeg", args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e9;
}

int run(const QStringList& args) {
    // Frames per size: whole seconds of the 30 fps clock (the recording ends at its time limit).
    const int seconds = std::max(1, argValue(args, "frames", 300) / kFps);
    const int frames = seconds * kFps;
    const int realtime = std::max(1, argValue(args, "seconds", 60));
    const int runs = std::max(1, argValue(args, "runs", 3));
    QTemporaryDir dir;
    Recorder rec;
    struct Row {
        QSize size;
        int index;
        double ours = 0, ref = 0;
    };
    std::vector<Row> rows{{{1280, 720}, 2}, {{1920, 1080}, 3}};
    for (Row& r : rows) {
        const QString tag = QStringLiteral("%1x%2").arg(r.size.width()).arg(r.size.height());
        const QString raw = dir.filePath("frames" + tag + ".yuv");
        if (!writeRawFrames(raw, r.size, frames))
            return 1;
        // Ours and the reference take turns, so a passing load touches both alike.
        std::vector<double> ours, ref;
        for (int k = 0; k < runs; ++k) {
            const QString out = dir.filePath(QStringLiteral("ours%1-%2.avi").arg(tag).arg(k));
            const double t = rec.record(out, r.index, seconds, false);
            if (rec.ctl.FramesCaptured() != frames || rec.ctl.FramesDropped() != 0) {
                std::fprintf(stderr, "recorded %lld frames, %lld dropped (expected %d)\n",
                             (long long)rec.ctl.FramesCaptured(),
                             (long long)rec.ctl.FramesDropped(), frames);
                return 1;
            }
            ours.push_back(frames / t);
            const QString refOut = dir.filePath(QStringLiteral("ffmpeg%1-%2.avi").arg(tag).arg(k));
            const double refSeconds = ffmpegSeconds(raw, refOut, r.size);
            if (refSeconds <= 0)
                return 1;
            ref.push_back(frames / refSeconds);
            QFile::remove(out);
            QFile::remove(refOut);
        }
        QFile::remove(raw);
        r.ours = bench::median(ours);
        r.ref = bench::median(ref);
        std::printf("%s: %d frames, median of %d: ours %.1f fps, ffmpeg %.1f fps, ratio %.3f\n",
                    tag.toUtf8().constData(), frames, runs, r.ours, r.ref, r.ours / r.ref);
        std::fflush(stdout);
    }
    rec.record(dir.filePath("realtime.avi"), 3, realtime, true);
    const long long dropped = rec.ctl.FramesDropped();
    std::printf("1920x1080 at %d fps in real time for %d s: %lld frames, %lld dropped%s%s\n", kFps,
                realtime, (long long)rec.ctl.FramesCaptured(), dropped,
                rec.warning.isEmpty() ? "" : ", warning: ", rec.warning.toUtf8().constData());
    const double ratio = std::min(rows[0].ours / rows[0].ref, rows[1].ours / rows[1].ref);
    std::printf("RESULT capture fps_720p=%.1f ffmpeg_fps_720p=%.1f fps_1080p=%.1f "
                "ffmpeg_fps_1080p=%.1f ratio=%.3f dropped_1080p30=%lld\n",
                rows[0].ours, rows[0].ref, rows[1].ours, rows[1].ref, ratio, dropped);
    return 0;
}

} // namespace

static bench::Registration captureRegistration{
    "capture",
    "Motion JPEG recording of the test camera against the ffmpeg program; dropped frames at "
    "1080p30 (args: frames=N seconds=S runs=R)",
    run};
