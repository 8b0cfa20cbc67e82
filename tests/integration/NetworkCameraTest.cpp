// A network camera of Cameras.txt, fed over UDP on this machine by the ffmpeg program with the
// numbered pictures of a test camera recording at 30 per second in real time: recorded at 25 and
// at 30 per second, each file holds as many frames as the real time it spans, the count handed
// over is the file's, and at 25 the pictures skip the extras the frame clock dropped. The same
// recording as a file camera comes in real time as well. A sender that stops for a while and
// starts again leaves a recording on real time that goes on through the outage, and a camera
// that never answers never holds the program.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "core/ports/ControlError.h"
#include "core/run/TimingRecord.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace capture_test;

namespace {

void writeCameraList(const QString& path, const QString& text) {
    QFile list(path);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(text.toUtf8());
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

NetRun recordFor(adapters::AvCaptureControl& ctl, const QString& path, int fps, int ms) {
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
    writeCameraList(rig.path("Cameras.txt"),
                    QStringLiteral("# this test's cameras\n"
                                   "Lake = udp://127.0.0.1:%1\n"
                                   "Gone = %2\n"
                                   "no camera here\n"
                                   "Replay = %3\n")
                        .arg(port)
                        .arg(rig.path("missing.avi"), rig.path("source.avi")));
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    UdpSender sender(rig.path("source.avi"), port);
    ASSERT_TRUE(sender.process.waitForStarted(10000));

    adapters::AvCaptureControl ctl(rig.dir.path());
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
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kDeviceOpenFailed);
    }
    EXPECT_FALSE(ctl.Connected());
    // The skipped line is named once, for the program to show when it has started.
    EXPECT_EQ(ctl.takeStartWarning(),
              "Cameras.txt: line 4 is no camera (name = URL) and was skipped.");
    EXPECT_EQ(ctl.takeStartWarning(), QString());

    ctl.Connect(test - 3); // opened in the background: its size is known from its pictures
    ASSERT_TRUE(waitUntil([&] { return ctl.PicturesComing(); }, 10000))
        << ctl.CameraStateText().toStdString();
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
    ASSERT_TRUE(waitUntil([&] { return ctl.PicturesComing(); }, 10000));
    const NetRun run = recordFor(ctl, rig.path("replay.avi"), 30, 2000);
    EXPECT_EQ(ctl.FramesDropped(), 0);
    EXPECT_EQ(run.handedOver, int64_t(run.file.numbers.size()));
    EXPECT_NEAR(double(run.handedOver), run.wallSeconds * 30, 15.0);
    const Steps steps = stepsOf(run.file.numbers);
    EXPECT_EQ(steps.twos + steps.others, 0);
    EXPECT_TRUE(events.warnings.empty()); // the recordings warned of nothing
}

// The sender goes away for 3 s and later for 8 s (longer than a stream is waited for) in the
// middle of one recording, each time starting its pictures and time stamps again. The recording
// goes on, its file covers the whole recording at the chosen rate, the timing record names each
// outage, and the picture is live again after each.
TEST(NetworkCamera, AnOutageNeitherEndsTheRecordingNorLeavesRealTime) {
    TestCameraRig rig;
    rig.ctl.setVideoCompressor(0);
    rig.record("source.avi", 30, 10);
    const int port = freeUdpPort();
    ASSERT_GT(port, 0);
    writeCameraList(rig.path("Cameras.txt"),
                    QStringLiteral("Lake = udp://127.0.0.1:%1\n").arg(port));
    auto sender = std::make_unique<UdpSender>(rig.path("source.avi"), port);
    ASSERT_TRUE(sender->process.waitForStarted(10000));

    adapters::AvCaptureControl ctl(rig.dir.path());
    ctl.setDeviceEventSource(nullptr);
    Events events;
    listen(ctl, events);
    int shown = 0;
    QObject::connect(&ctl, &ports::CaptureControl::PreviewFrame, &ctl,
                     [&shown](const QImage&) { ++shown; });
    ctl.Connect(ctl.testCameraIndex() - 1);
    ctl.setPreviewSize(QSize(160, 120));
    ctl.setPreview(true);
    ASSERT_TRUE(waitUntil([&] { return ctl.PicturesComing(); }, 10000))
        << ctl.CameraStateText().toStdString();
    ctl.setAudioDeviceIndex(-1);
    ctl.setVideoCompressor(0);
    ctl.setFrameRate(25);
    ctl.setTimeLimit(0);
    const QString path = rig.path("outage.avi");
    ctl.setStreamFileName(path);
    QElapsedTimer wall;
    wall.start();
    ctl.StartStreamCapture();
    QTest::qWait(2500);
    for (const int outageMs : {3000, 8000}) {
        SCOPED_TRACE(outageMs);
        sender.reset();
        QTest::qWait(1500);
        EXPECT_FALSE(ctl.PicturesComing());
        EXPECT_TRUE(ctl.CameraStateText().startsWith("Lake is lost: "))
            << ctl.CameraStateText().toStdString();
        const qint64 during = ctl.FramesCaptured();
        QTest::qWait(outageMs - 1500);
        EXPECT_GT(ctl.FramesCaptured(), during + 25 * (outageMs - 1500) / 1000 - 25)
            << "the recording went on through the outage";
        ASSERT_TRUE(ctl.recording()) << "the outage ended the recording";
        sender = std::make_unique<UdpSender>(rig.path("source.avi"), port);
        ASSERT_TRUE(sender->process.waitForStarted(10000));
        const int before = shown;
        ASSERT_TRUE(waitUntil([&] { return ctl.PicturesComing(); }, 10000))
            << ctl.CameraStateText().toStdString();
        EXPECT_EQ(ctl.CameraStateText(), QString());
        ASSERT_TRUE(waitUntil([&] { return shown > before + 10; }, 5000))
            << "the live picture stayed frozen";
        QTest::qWait(2500);
    }
    const double seconds = wall.nsecsElapsed() / 1e9;
    ctl.StopCapture();
    EXPECT_TRUE(events.warnings.empty()) << events.warnings.front().toStdString();

    const Recording f = readRecording(path);
    ASSERT_TRUE(f.opened) << f.error.toStdString();
    const int64_t count = f.headerFrames; // the outages' slots are empty chunks: no pictures
    EXPECT_EQ(ctl.FramesCaptured(), count);
    EXPECT_NEAR(double(count), seconds * 25, 12.5) << "the file does not span the recording";

    QFile timingFile(run::timingRecordPath(path));
    ASSERT_TRUE(timingFile.open(QIODevice::ReadOnly));
    const auto timing = run::TimingRecord::parse(timingFile.readAll());
    ASSERT_TRUE(timing.has_value());
    std::vector<int64_t> reconnects;
    for (const auto& [slot, kind] : timing->notes)
        if (kind == run::SlotKind::Reconnect)
            reconnects.push_back(slot);
    ASSERT_EQ(reconnects.size(), 2u) << "one reconnect note for each outage";
    // Each outage is gaps up to its reconnect, as long as it lasted (the sender needs a moment
    // to start, the stream a moment to be opened again).
    const int64_t firstGaps = timing->repeatedSlots(0, reconnects[0] - 1);
    const int64_t secondGaps = timing->repeatedSlots(reconnects[0], reconnects[1] - 1);
    EXPECT_GE(firstGaps, 3 * 25);
    EXPECT_LE(firstGaps, 6 * 25);
    EXPECT_GE(secondGaps, 8 * 25);
    EXPECT_LE(secondGaps, 12 * 25);
    // The real length the record gives is the wall clock's.
    EXPECT_NEAR(timing->realDurationUs(0, count - 1) / 1e6, seconds, 0.5);

    // Live again after the recording too.
    const int before = shown;
    EXPECT_TRUE(waitUntil([&] { return shown > before + 10; }, 5000));
}

namespace {

// A TCP listener on 127.0.0.1 that takes connections into its queue and never answers.
struct SilentListener {
    int fd = -1;
    int port = 0;
    SilentListener() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::listen(fd, 8) == 0 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port = ntohs(a.sin_port);
    }
    ~SilentListener() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

// A camera that never answers (a UDP port nobody sends to, an HTTP camera whose server takes the
// connection and says nothing) is opened in the background: no call on the GUI thread waits for
// it, the live picture says it is connecting and then why it is not there, and nothing can be
// recorded from it.
TEST(NetworkCamera, ACameraThatNeverAnswersNeverHoldsTheProgram) {
    QTemporaryDir dir;
    const int udp = freeUdpPort();
    SilentListener tcp;
    ASSERT_GT(udp, 0);
    ASSERT_GT(tcp.port, 0);
    writeCameraList(dir.filePath("Cameras.txt"),
                    QStringLiteral("Silent = udp://127.0.0.1:%1\nMute = http://127.0.0.1:%2/cam\n")
                        .arg(udp)
                        .arg(tcp.port));
    adapters::AvCaptureControl ctl(dir.path());
    ctl.setDeviceEventSource(nullptr);
    ctl.setPreview(true);
    ctl.setPreviewSize(QSize(160, 120));
    std::vector<QString> told;
    QObject::connect(&ctl, &ports::CaptureControl::CameraState, &ctl,
                     [&told](bool, const QString& text) { told.push_back(text); });
    for (const QString& name : {QStringLiteral("Silent"), QStringLiteral("Mute")}) {
        SCOPED_TRACE(name.toStdString());
        const int index = name == "Silent" ? 0 : 1;
        ASSERT_EQ(ctl.VideoDeviceName(index), name);
        told.clear();
        // Every call the screens make is answered at once (the machine is shared: a tenth of a
        // second is far from the seconds a camera is waited for).
        QElapsedTimer call;
        qint64 longestCall = 0;
        const auto timed = [&](auto&& f) {
            call.start();
            f();
            longestCall = std::max(longestCall, call.elapsed());
        };
        timed([&] { ctl.Connect(index); });
        EXPECT_TRUE(ctl.Connected());
        timed([&] { EXPECT_FALSE(ctl.PicturesComing()); });
        timed([&] {
            EXPECT_EQ(ctl.CameraStateText(), QStringLiteral("Connecting to %1…").arg(name));
        });
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.front(), QStringLiteral("Connecting to %1…").arg(name));
        ctl.setStreamFileName(dir.filePath(name + ".avi"));
        timed([&] {
            try {
                ctl.StartStreamCapture();
                ADD_FAILURE() << "a recording started without pictures";
            } catch (const ports::ControlError& e) {
                EXPECT_EQ(e.number(), ports::errors::kDeviceOpenFailed);
            }
        });
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(name + ".avi")));
        // The event loop keeps turning while the camera is waited for, and after the wait the
        // picture says why in plain words.
        QElapsedTimer wall, turn;
        wall.start();
        turn.start();
        qint64 longestTurn = 0;
        while (wall.elapsed() < 6500) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            longestTurn = std::max(longestTurn, turn.restart());
            QThread::msleep(10);
            turn.restart();
        }
        EXPECT_LT(longestTurn, 500);
        timed([&] {
            EXPECT_EQ(ctl.CameraStateText(),
                      QStringLiteral("Connecting to %1…\nThe camera did not answer within 5 "
                                     "seconds. Trying again.")
                          .arg(name));
        });
        timed([&] { ctl.Disconnect(); });
        EXPECT_LT(longestCall, 100);
        EXPECT_FALSE(ctl.Connected());
        EXPECT_EQ(ctl.CameraStateText(), QString());
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.back(), QString());
    }
}
