// A network camera of Cameras.txt, fed over UDP on this machine by the ffmpeg program with the
// numbered pictures of a test camera recording at 30 per second in real time: recorded at 25 and
// at 30 per second, each file holds as many frames as the real time it spans, the count handed
// over is the file's, and at 25 the pictures skip the extras the frame clock dropped. The same
// recording as a file camera comes in real time as well.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "core/ports/ControlError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace capture_test;

namespace {

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

// The ffmpeg program sending a file in real time as MPEG-TS over UDP, every picture a key frame.
struct UdpSender {
    QProcess process;
    UdpSender(const QString& file, int port) {
        process.start("ffmpeg", {"-nostdin", "-v", "error", "-re", "-i", file, "-c:v", "mpeg2video",
                                 "-q:v", "2", "-g", "1", "-bf", "0", "-f", "mpegts",
                                 QStringLiteral("udp://127.0.0.1:%1?pkt_size=1316").arg(port)});
    }
    ~UdpSender() {
        process.kill();
        process.waitForFinished(5000);
    }
};

struct NetRun {
    qint64 handedOver = 0;
    double wallSeconds = 0; // from the call that starts the recording to the one that stops it
    Recording file;
};

NetRun recordFor(av::AvCaptureControl& ctl, const QString& path, int fps, int ms) {
    ctl.setStreamFileName(path);
    ctl.setFrameRate(fps);
    NetRun run;
    QElapsedTimer wall;
    wall.start();
    ctl.StartStreamCapture(); // the stream is opened here: its first pictures come while it is
    QTest::qWait(ms);
    run.wallSeconds = wall.nsecsElapsed() / 1e9;
    ctl.StopCapture();
    run.handedOver = ctl.FramesCaptured();
    run.file = readRecording(path);
    return run;
}

// Each step from one picture's number to the next: how many were 1, 2 and anything else.
struct Steps {
    int ones = 0, twos = 0, others = 0;
};

Steps stepsOf(const std::vector<std::optional<int>>& numbers) {
    Steps s;
    for (size_t i = 1; i < numbers.size(); ++i) {
        const int step = numbers[i] && numbers[i - 1] ? *numbers[i] - *numbers[i - 1] : -1;
        (step == 1 ? s.ones : step == 2 ? s.twos : s.others)++;
    }
    return s;
}

} // namespace

TEST(NetworkCamera, RecordsInRealTimeAtAnyRate) {
    TestCameraRig rig;
    rig.ctl.setVideoCompressor(0);
    rig.record("source.avi", 30, 20);
    const int port = freeUdpPort();
    ASSERT_GT(port, 0);
    {
        QFile list(rig.path("Cameras.txt"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(QStringLiteral("# this test's cameras\n"
                                  "Lake = udp://127.0.0.1:%1\n"
                                  "Gone = %2\n"
                                  "no camera here\n"
                                  "Replay = %3\n")
                       .arg(port)
                       .arg(rig.path("missing.avi"), rig.path("source.avi"))
                       .toUtf8());
    }
    UdpSender sender(rig.path("source.avi"), port);
    ASSERT_TRUE(sender.process.waitForStarted(10000));

    av::AvCaptureControl ctl(rig.dir.path());
    ctl.setDeviceEventSource(nullptr);
    Events events;
    listen(ctl, events);
    const int test = ctl.testCameraIndex();
    ASSERT_GE(test, 3);
    EXPECT_EQ(ctl.VideoDeviceName(test - 3), "Lake");
    EXPECT_EQ(ctl.VideoDeviceName(test - 2), "Gone");
    try {
        ctl.Connect(test - 2);
        FAIL() << "a missing file camera connected";
    } catch (const platform::ControlError& e) {
        EXPECT_EQ(e.number(), platform::errors::kDeviceOpenFailed);
    }
    EXPECT_FALSE(ctl.Connected());
    ASSERT_TRUE(waitUntil([&] { return !events.warnings.empty(); }, 5000));
    EXPECT_EQ(
        events.warnings,
        std::vector<QString>{"Cameras.txt: line 4 is no camera (name = URL) and was skipped"});

    ctl.Connect(test - 3);
    EXPECT_EQ(ctl.VideoResolutionName(0), "320x240");
    EXPECT_EQ(ctl.VideoResolutionCount(), 1);
    ctl.setAudioDeviceIndex(-1);
    ctl.setVideoCompressor(0);
    for (const int fps : {25, 30}) {
        SCOPED_TRACE(fps);
        const NetRun run =
            recordFor(ctl, rig.path(QStringLiteral("net%1.avi").arg(fps)), fps, 3000);
        const Recording& f = run.file;
        ASSERT_TRUE(f.opened) << f.error.toStdString();
        const auto count = int64_t(f.numbers.size());
        EXPECT_EQ(f.headerFrames, count);
        EXPECT_EQ(run.handedOver, count);
        ASSERT_GE(count, 2 * fps);
        ASSERT_TRUE(f.numbers.front() && f.numbers.back()) << "the pictures carry no numbers";
        // The sender numbers its pictures at 30 per second of real time.
        const int span = *f.numbers.back() - *f.numbers.front();
        EXPECT_NEAR(double(count - 1), span * fps / 30.0, 2.0) << "pictures " << span;
        // The wall clock agrees within half a second (the last pictures may be still on their way
        // through the sender and the network at the stop).
        EXPECT_NEAR(double(count), run.wallSeconds * fps, fps / 2.0);
        const Steps steps = stepsOf(f.numbers);
        EXPECT_LE(steps.others, 2);
        if (fps == 25)
            EXPECT_NEAR(steps.twos, span / 6.0, 3.0) << "one picture in six goes";
        else
            EXPECT_LE(steps.twos, 2);
    }

    // A file camera gives its pictures in real time too: none dropped, none skipped.
    ctl.Disconnect();
    ctl.Connect(test - 1);
    const NetRun run = recordFor(ctl, rig.path("replay.avi"), 30, 2000);
    EXPECT_EQ(ctl.FramesDropped(), 0);
    EXPECT_EQ(run.handedOver, int64_t(run.file.numbers.size()));
    EXPECT_NEAR(double(run.handedOver), run.wallSeconds * 30, 15.0);
    const Steps steps = stepsOf(run.file.numbers);
    EXPECT_EQ(steps.twos + steps.others, 0);
    EXPECT_EQ(events.warnings.size(), 1u);
}
