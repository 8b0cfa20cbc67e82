// skivane-bench capture [frames=N] [seconds=S] [runs=R] [net_seconds=T] [cam_seconds=C]
// Records N frames (default 900: the ffmpeg program's own start-up, about 0.2 s, weighs little
// beside them) of the test camera at 1280x720 and 1920x1080 with Motion JPEG as fast as the
// capture pipeline allows, and times the same encode of the same frames by the ffmpeg program
// (raw frames from a temporary file), R times each (default 3), taking the medians; then records
// S seconds (default 60) at 1920x1080, 30 fps, Motion JPEG in real time and reports the frames
// dropped; then records T seconds (default 60) of a network camera (the ffmpeg program sending
// MPEG-TS over UDP on this machine in real time) and reports how far its last slot is from its
// real time (net_drift_frames, goal: within one frame); then records C seconds (default 60) of an
// emulated Motion JPEG camera at 1920x1080, 30 fps, passed through and decoded and encoded again
// (CameraBench.h).
#include "Bench.h"
#include "CameraBench.h"

#include "core/engine/Codecs.h"
#include "core/engine/TestCamera.h"
#include "core/run/TimingRecord.h"
#include "ui/adapters/AvCaptureControl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

constexpr int kFps = 30;

struct Recorder {
    adapters::AvCaptureControl ctl;
    QString warning;
    Recorder() {
        ctl.setDeviceEventSource(nullptr);
        QObject::connect(&ctl, &ports::CaptureControl::WarningMessage, &ctl,
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
        QObject::connect(&ctl, &ports::CaptureControl::CaptureStatus, &loop,
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
    engine::TestCameraPicture camera(size, AV_PIX_FMT_YUV420P);
    const int bytes = av_image_get_buffer_size(AV_PIX_FMT_YUV420P, size.width(), size.height(), 1);
    QByteArray buf(bytes, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) {
        engine::FramePtr frame = camera.render(i, engine::kTestChannelMin, {});
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
                           QString::number(engine::qscaleForQuality(engine::kDefaultQuality)),
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

// A UDP port no one uses now on 127.0.0.1 (0 when there is none).
int freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

// What the network camera recording measures: the real time of its last slot, from the capture
// times in its timing record (the stream's own time stamps, which the sender gives in real time),
// against slots / rate, in frames. A frame clock that loses or gains slots over a long recording
// (time stamp jitter, jumps, slots filled twice) moves it away from 0.
struct NetFigures {
    bool ok = false;
    long long slotCount = 0;
    double driftFrames = 0;
    double wallSeconds = 0; // from the start call to the end at the time limit
    // From the moment the file reached the mark slot (a sixth of the recording, before any
    // outage) to the end: the start's latency left out.
    long long markSlot = 0;
    double sinceMarkSeconds = 0;
};

// The ffmpeg program sending a test picture at 30 per second in real time as MPEG-TS over UDP.
void startSender(QProcess& sender, int port, int seconds) {
    sender.start("ffmpeg", {"-nostdin",
                            "-v",
                            "error",
                            "-re",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc2=rate=30:size=640x480",
                            "-t",
                            QString::number(seconds),
                            "-c:v",
                            "mpeg2video",
                            "-q:v",
                            "3",
                            "-g",
                            "15",
                            "-bf",
                            "0",
                            "-f",
                            "mpegts",
                            QStringLiteral("udp://127.0.0.1:%1?pkt_size=1316").arg(port)});
}

// `outage` > 0: the sender stops a third into the recording for that many seconds and starts
// again (its time stamps too).
NetFigures recordNetworkCamera(const QString& dir, int seconds, int outage = 0) {
    NetFigures out;
    const int port = freeUdpPort();
    QFile list(dir + "/Cameras.txt");
    if (port == 0 || !list.open(QIODevice::WriteOnly))
        return out;
    list.write(QStringLiteral("Bench = udp://127.0.0.1:%1\n").arg(port).toUtf8());
    list.close();
    QProcess sender;
    startSender(sender, port, seconds + 30);
    if (!sender.waitForStarted(10000))
        return out;
    adapters::AvCaptureControl ctl(dir);
    ctl.setDeviceEventSource(nullptr);
    QString warning;
    QObject::connect(&ctl, &ports::CaptureControl::WarningMessage, &ctl,
                     [&warning](int, const QString& w) { warning = w; });
    const QString path = dir + (outage > 0 ? "/network-outage.avi" : "/network.avi");
    try {
        ctl.Connect(ctl.testCameraIndex() - 1); // opened in the background
        QElapsedTimer waited;
        waited.start();
        while (!ctl.PicturesComing() && waited.elapsed() < 15000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ctl.setVideoCompressor(0);
        ctl.setAudioDeviceIndex(-1);
        ctl.setFrameRate(kFps);
        ctl.setTimeLimit(seconds);
        ctl.setStreamFileName(path);
        QEventLoop loop;
        QObject::connect(&ctl, &ports::CaptureControl::CaptureStatus, &loop,
                         [&](int code, const QString&) {
                             if (code == 301)
                                 loop.quit();
                         });
        QElapsedTimer t;
        out.markSlot = (long long)seconds * kFps / 6;
        qint64 markNs = -1;
        QTimer poll;
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, &ctl, [&] {
            if (markNs < 0 && ctl.FramesCaptured() >= out.markSlot)
                markNs = t.nsecsElapsed();
        });
        poll.start();
        t.start();
        ctl.StartStreamCapture();
        if (outage > 0) {
            QTimer::singleShot(seconds * 1000 / 3, &ctl, [&] {
                sender.kill();
                sender.waitForFinished(5000);
                QTimer::singleShot(outage * 1000, &ctl,
                                   [&] { startSender(sender, port, seconds + 30); });
            });
        }
        loop.exec();
        out.wallSeconds = t.nsecsElapsed() / 1e9;
        out.sinceMarkSeconds = markNs < 0 ? 0 : out.wallSeconds - markNs / 1e9;
    } catch (const ports::ControlError& e) {
        std::fprintf(stderr, "network camera: %s\n", e.description().toUtf8().constData());
    }
    sender.kill();
    sender.waitForFinished(5000);
    QFile timingFile(run::timingRecordPath(path));
    if (!timingFile.open(QIODevice::ReadOnly))
        return out;
    const auto timing = run::TimingRecord::parse(timingFile.readAll());
    out.slotCount = ctl.FramesCaptured();
    if (!timing || out.slotCount < 2 || !warning.isEmpty()) {
        std::fprintf(stderr, "network camera: %lld slots%s%s\n", out.slotCount,
                     warning.isEmpty() ? "" : ", warning: ", warning.toUtf8().constData());
        return out;
    }
    const int64_t last = out.slotCount - 1;
    // Across an outage the record's times follow the frame clock itself: the wall clock is the
    // measure then, from the mark slot to the end (the start call's wall clock would hold the
    // latency of the camera's first picture, which is not the clock's doing).
    out.driftFrames =
        outage > 0 ? (out.sinceMarkSeconds - double(out.slotCount - out.markSlot) / kFps) * kFps
                   : (timing->realDurationUs(0, last) / 1e6 - double(last) / kFps) * kFps;
    out.ok = true;
    return out;
}

int runCapture(const QStringList& args) {
    // Frames per size: whole seconds of the 30 fps clock (the recording ends at its time limit).
    const int seconds = std::max(1, bench::argValue(args, "frames", 900) / kFps);
    const int frames = seconds * kFps;
    const int realtime = std::max(1, bench::argValue(args, "seconds", 60));
    const int runs = std::max(1, bench::argValue(args, "runs", 3));
    const int netSeconds = std::max(1, bench::argValue(args, "net_seconds", 60));
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
    std::fflush(stdout);
    const NetFigures net = recordNetworkCamera(dir.path(), netSeconds);
    if (!net.ok)
        return 1;
    std::printf("network camera at %d fps for %d s: %lld slots, last slot %.2f frames from its "
                "real time, %.3f s of wall clock from the start call to the end\n",
                kFps, netSeconds, net.slotCount, net.driftFrames, net.wallSeconds);
    std::fflush(stdout);
    const int outageSeconds = 4;
    const NetFigures lost =
        recordNetworkCamera(dir.path(), std::max(netSeconds, 12), outageSeconds);
    if (!lost.ok)
        return 1;
    std::printf("network camera with a %d s outage: %lld slots in %.3f s of wall clock from the "
                "start call to the end, slots %lld to the end in %.3f s: last slot %.2f frames "
                "from real time (goal: within 1)\n",
                outageSeconds, lost.slotCount, lost.wallSeconds, lost.markSlot,
                lost.sinceMarkSeconds, lost.driftFrames);
    std::fflush(stdout);
    const bench::CameraFigures cam = bench::mjpegCameraFigures(
        dir.path(), std::max(1, bench::argValue(args, "cam_seconds", 60)));
    if (!cam.ok)
        return 1;
    const double ratio = std::min(rows[0].ours / rows[0].ref, rows[1].ours / rows[1].ref);
    std::printf("RESULT capture fps_720p=%.1f ffmpeg_fps_720p=%.1f fps_1080p=%.1f "
                "ffmpeg_fps_1080p=%.1f ratio=%.3f dropped_1080p30=%lld net_drift_frames=%.2f "
                "net_outage_drift_frames=%.2f cam_pass_cpu_percent=%.1f cam_pass_dropped=%lld "
                "cam_encode_cpu_percent=%.1f cam_encode_dropped=%lld\n",
                rows[0].ours, rows[0].ref, rows[1].ours, rows[1].ref, ratio, dropped,
                net.driftFrames, lost.driftFrames, cam.passCpuPercent, cam.passDropped,
                cam.encodeCpuPercent, cam.encodeDropped);
    return 0;
}

} // namespace

static bench::Registration captureRegistration{
    "capture",
    "Motion JPEG recording of the test camera against the ffmpeg program; dropped frames at "
    "1080p30; a network camera's last slot against its real time, and with a 4 s outage (args: "
    "frames=N seconds=S runs=R net_seconds=T)",
    runCapture};
