#include "CameraBench.h"

#include "ui/adapters/AvCaptureControl.h"
#include "v4l2/V4l2Emulator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>
#include <sys/resource.h>

namespace bench {

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Run {
    bool ok = false;
    double cpuPercent = 0;
    long long frames = 0;
    long long dropped = 0;
};

Run record(const QString& path, int seconds, bool passThrough) {
    Run out;
    adapters::AvCaptureControl ctl;
    ctl.setDeviceEventSource(nullptr);
    QString warning;
    QObject::connect(&ctl, &ports::CaptureControl::WarningMessage, &ctl,
                     [&warning](int, const QString& w) { warning = w; });
    try {
        ctl.Connect(0);
        for (int i = 0; i < ctl.VideoResolutionCount(); ++i)
            if (ctl.VideoResolutionName(i) == "1920x1080")
                ctl.setVideoResolution(i);
        ctl.setVideoCompressor(0); // Motion JPEG
        ctl.setAudioDeviceIndex(-1);
        ctl.setFrameRate(30);
        ctl.setTimeLimit(seconds);
        ctl.setCameraJpegPassThrough(passThrough);
        ctl.setStreamFileName(path);
        QEventLoop loop;
        QObject::connect(&ctl, &ports::CaptureControl::CaptureStatus, &loop,
                         [&](int code, const QString&) {
                             if (code == 301)
                                 loop.quit();
                         });
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        ctl.StartStreamCapture();
        loop.exec();
        out.cpuPercent = 100.0 * (cpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9);
    } catch (const ports::ControlError& e) {
        std::fprintf(stderr, "emulated camera: %s\n", e.description().toUtf8().constData());
        return out;
    }
    out.frames = ctl.FramesCaptured();
    out.dropped = ctl.FramesDropped();
    out.ok = warning.isEmpty() && out.frames == 30LL * seconds;
    if (!out.ok)
        std::fprintf(stderr, "emulated camera: %lld frames%s%s\n", out.frames,
                     warning.isEmpty() ? "" : ", warning: ", warning.toUtf8().constData());
    return out;
}

} // namespace

CameraFigures mjpegCameraFigures(const QString& dir, int seconds) {
    CameraFigures f;
    // A webcam at 1080p30 whose pictures repeat every second, made before the clock runs.
    v4l2emu::CameraModel cam = v4l2emu::webcam(QStringLiteral("/dev/video0"));
    cam.cycle = 30;
    cam.jpegQ = 4;
    v4l2emu::prepare(cam, QSize(1920, 1080), V4L2_PIX_FMT_MJPEG);
    v4l2emu::plug(cam);
    const Run pass = record(dir + "/camera-pass.avi", seconds, true);
    const Run encode = record(dir + "/camera-encode.avi", seconds, false);
    v4l2emu::unplugAll();
    for (const auto& [name, r] :
         {std::pair{"passed through", pass}, {"decoded and encoded", encode}})
        std::printf("emulated Motion JPEG camera, 1920x1080 at 30 fps for %d s, %s: %lld frames, "
                    "%lld dropped, %.1f %% of one core\n",
                    seconds, name, r.frames, r.dropped, r.cpuPercent);
    std::fflush(stdout);
    f.ok = pass.ok && encode.ok;
    f.passCpuPercent = pass.cpuPercent;
    f.passDropped = pass.dropped;
    f.encodeCpuPercent = encode.cpuPercent;
    f.encodeDropped = encode.dropped;
    return f;
}

} // namespace bench
