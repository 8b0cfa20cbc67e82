// Recordings cut off by a kill or a full disk keep what was written.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "core/engine/CaptureEngine.h"
#include "core/run/TimingRecord.h"
#include "support/core/FileSizeLimit.h"

#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

using namespace capture_test;

namespace {

const char* kHelperFileVar = "SKIVANE_CAPTURE_KILL_FILE";

// Every picture that decodes shows the next frame number, from 0.
void expectFramesInOrder(const Recording& r, size_t atLeast) {
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    ASSERT_GE(r.numbers.size(), atLeast);
    for (size_t i = 0; i < r.numbers.size(); ++i)
        ASSERT_EQ(r.numbers[i], int(i)) << "picture " << i;
}

} // namespace

// The recording process of KilledRecordingStillOpensAndPlays: records until it is killed.
TEST(CaptureKillHelper, RecordsUntilKilled) {
    const QString path = qEnvironmentVariable(kHelperFileVar);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as the recording process of KilledRecordingStillOpensAndPlays";
    adapters::AvCaptureControl ctl;
    ctl.Connect(ctl.testCameraIndex());
    ctl.setVideoResolution(0);
    ctl.setVideoCompressor(0);
    ctl.setAudioDeviceIndex(ctl.testToneIndex());
    ctl.setFrameRate(25);
    ctl.setStreamFileName(path);
    ctl.StartStreamCapture();
    waitUntil([] { return false; }, 60000);
}

TEST(CaptureFailure, KilledRecordingStillOpensAndPlays) {
    QTemporaryDir dir;
    const QString path = dir.filePath("killed.avi");
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kHelperFileVar, path);
    helper.setProcessEnvironment(env);
    helper.setProgram(QCoreApplication::applicationFilePath());
    helper.setArguments({"--gtest_filter=CaptureKillHelper.RecordsUntilKilled"});
    helper.start();
    ASSERT_TRUE(helper.waitForStarted());
    // About two seconds of 320x240 Motion JPEG reach the disk while it records.
    QElapsedTimer t;
    t.start();
    while (QFileInfo(path).size() < 150 * 1024 && t.elapsed() < 30000 &&
           helper.state() == QProcess::Running)
        QThread::msleep(50);
    ASSERT_EQ(helper.state(), QProcess::Running) << helper.readAllStandardError().toStdString();
    helper.kill(); // SIGKILL: no trailer, no index
    helper.waitForFinished();
    ASSERT_GE(QFileInfo(path).size(), 150 * 1024);
    const Recording r = readRecording(path);
    expectFramesInOrder(r, 10);
    EXPECT_EQ(r.videoCodec, "mjpeg");
    EXPECT_GT(r.sound.size(), 0u);
    // The timing record kept pace with the file: its rate and a capture time each second.
    QFile timingFile(run::timingRecordPath(path));
    ASSERT_TRUE(timingFile.open(QIODevice::ReadOnly));
    const auto timing = run::TimingRecord::parse(timingFile.readAll());
    ASSERT_TRUE(timing.has_value());
    EXPECT_EQ(timing->rate.num, 25);
    EXPECT_EQ(timing->end, -1);
    EXPECT_GE(timing->times.size(), 1u);
}

TEST(CaptureFailure, FullDiskEndsTheRecordingCleanlyAndKeepsTheFile) {
    TestCameraRig rig;
    rig.ctl.setVideoCompressor(-1); // 115 KB per picture: the limit is reached at once
    rig.ctl.setStreamFileName(rig.path("full.avi"));
    rig.ctl.setFrameRate(25);
    rig.ctl.setTimeLimit(0);
    bool ended = false;
    {
        // A file size limit stands in for a full disk: writes beyond it fail (EFBIG).
        const testsupport::FileSizeLimit full(700 * 1024);
        rig.ctl.StartStreamCapture();
        ended = waitUntil([&] { return rig.events.count(301) > 0; }, 20000);
    }
    ASSERT_TRUE(ended) << "the recording went on after the disk was full";
    EXPECT_FALSE(rig.ctl.recording());
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.events.count(301), 1);
    ASSERT_EQ(rig.events.warnings.size(), 1u);
    EXPECT_TRUE(rig.events.warnings[0].contains("full.avi"));
    rig.ctl.StopCapture(); // after the end: nothing more happens
    EXPECT_EQ(rig.events.count(301), 1);
    const Recording r = readRecording(rig.path("full.avi"));
    expectFramesInOrder(r, 3);
}

// The test tone until the clock reaches `failsAt`, then a failure.
class ToneFailingAt final : public engine::TestTone {
public:
    ToneFailingAt(int rate, int channels, int fps, int64_t failsAt)
        : TestTone(rate, channels, fps), m_failsAt(failsAt) {}
    std::optional<std::vector<int16_t>> samples(int64_t from, int64_t to) override {
        if (to > m_failsAt)
            return std::nullopt;
        return TestTone::samples(from, to);
    }
    QString error() const override { return QStringLiteral("the test tone stopped"); }

private:
    int64_t m_failsAt;
};

TEST(CaptureFailure, LostSoundLeavesSilenceAndThePicturesGoOn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.avi");
    std::atomic<int> ended{0};
    engine::CaptureEngine engine([](QImage) {}, [&](int, QString) { ++ended; });
    auto live = std::make_shared<engine::LiveSettings>();
    const QSize size(320, 240);
    const AVPixelFormat format = engine::testCameraFormats().front().format;
    engine::SessionConfig config;
    config.video = std::make_unique<engine::TestCameraSource>(size, format, 25, false, live);
    config.live = live;
    config.fps = 25;
    config.paced = false;
    config.frameLimit = 75;
    config.sound = engine::SoundSource::TestTone;
    config.sampleRate = 22050;
    config.channels = 1;
    config.tone = std::make_unique<ToneFailingAt>(22050, 1, 25, 30); // 1.2 s into the recording
    engine::RecordingSettings rs;
    rs.path = path;
    rs.width = size.width();
    rs.height = size.height();
    rs.sourceFormat = format;
    rs.fps = 25;
    rs.videoCompressor = 0;
    rs.audio = true;
    rs.sampleRate = 22050;
    rs.channels = 1;
    config.writer = std::make_unique<engine::AviWriter>(rs);
    engine.start(std::move(config));
    ASSERT_TRUE(waitUntil([&] { return ended > 0; })) << "the recording did not reach its end";
    EXPECT_EQ(engine.stop(), QString()) << "the lost sound is no failure of the recording";
    EXPECT_EQ(ended, 1);
    const QString notice = engine.notice();
    EXPECT_TRUE(notice.contains("(the test tone stopped): from 1.2 s to the end at 3.0 s"))
        << notice.toStdString();
    EXPECT_EQ(engine.counters().framesCaptured, 75);
    EXPECT_EQ(engine.counters().samplesCaptured, 3 * 22050);

    // The file plays to its end, its sound as long as its pictures and silent from 1.2 s.
    const Recording r = readRecording(path);
    expectFramesInOrder(r, 75);
    EXPECT_EQ(r.numbers.size(), 75u);
    ASSERT_EQ(r.sound.size(), size_t(3 * 22050));
    const auto loud = [&](size_t from, size_t to) {
        return std::any_of(r.sound.begin() + ptrdiff_t(from), r.sound.begin() + ptrdiff_t(to),
                           [](int16_t s) { return s != 0; });
    };
    EXPECT_TRUE(loud(0, 26460));
    EXPECT_FALSE(loud(26460, r.sound.size()));
}
