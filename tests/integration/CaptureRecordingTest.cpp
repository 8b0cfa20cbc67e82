// Real recordings from the test camera, checked from the file alone.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "core/engine/Codecs.h"
#include "core/engine/TestCamera.h"
#include "core/run/TimingRecord.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>

using namespace capture_test;

namespace {

// Sample numbers where the tone turns loud (the start of every second of frames): the first
// sample above what the quiet tone can reach, after half a second of quiet.
std::vector<int64_t> loudOnsets(const std::vector<int16_t>& sound, int rate) {
    std::vector<int64_t> onsets;
    const int threshold = int(32767 * engine::kToneQuiet * 1.25);
    int64_t last = -rate;
    for (size_t i = 0; i < sound.size(); ++i)
        if (std::abs(int(sound[i])) > threshold) {
            if (int64_t(i) - last > rate / 2)
                onsets.push_back(int64_t(i));
            last = int64_t(i);
        }
    return onsets;
}

std::optional<run::TimingRecord> timingOf(const QString& avi) {
    QFile f(avi + ".timing");
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return run::TimingRecord::parse(f.readAll());
}

} // namespace

TEST(CaptureRecording, EveryFrameInOrderWithSoundOfTheSameLength) {
    TestCameraRig rig;
    rig.ctl.setVideoCompressor(0); // Motion JPEG
    rig.ctl.setAudioSampleRate(22050);
    rig.ctl.setAudioBitsPerSample(16);
    rig.ctl.setAudioChannels(2);
    rig.record("run.avi", 25, 2);
    EXPECT_EQ(rig.events.count(301), 1);
    EXPECT_TRUE(rig.events.warnings.empty());
    EXPECT_FALSE(rig.ctl.recording());
    EXPECT_EQ(rig.ctl.FramesCaptured(), 50);
    EXPECT_EQ(rig.ctl.FramesDropped(), 0);
    EXPECT_EQ(rig.ctl.SamplesCaptured(), 2 * 22050);
    EXPECT_EQ(rig.ctl.CaptureTime(), 2000);

    const Recording r = readRecording(rig.path("run.avi"));
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    EXPECT_EQ(r.videoCodec, "mjpeg");
    EXPECT_EQ(r.headerFrames, 50);
    EXPECT_EQ(r.frameRate.num / std::max(1, r.frameRate.den), 25);
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.height, 240);
    ASSERT_EQ(r.numbers.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(r.numbers[size_t(i)], i) << "picture " << i;
    EXPECT_EQ(r.audioCodec, "pcm_s16le");
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(int64_t(r.sound.size()), 2 * 22050);
    // The loud part of the tone starts with frames 0 and 25, within the two samples the sine
    // needs to rise above the quiet level.
    const auto onsets = loudOnsets(r.sound, 22050);
    ASSERT_EQ(onsets.size(), 2u);
    EXPECT_LE(onsets[0], 2);
    EXPECT_GE(onsets[1], 22050);
    EXPECT_LE(onsets[1], 22052);

    // The timing record: every slot a picture of its own, one capture time each second.
    const auto timing = timingOf(rig.path("run.avi"));
    ASSERT_TRUE(timing.has_value());
    EXPECT_EQ(timing->rate.num, 25);
    EXPECT_EQ(timing->end, 50);
    EXPECT_TRUE(timing->notes.empty());
    ASSERT_EQ(timing->times.size(), 2u);
    EXPECT_EQ(timing->times[1].first, 25);
    EXPECT_EQ(timing->realDurationUs(0, 25), 1000000);
}

TEST(CaptureRecording, SoundStaysInStepWithThePicturesOverAMinute) {
    // 11025 Hz at 30 frames a second is 367.5 samples a frame: a rounding that piled up would
    // move the sound against the pictures as the minute goes on.
    TestCameraRig rig;
    rig.ctl.setVideoCompressor(0);
    rig.ctl.setAudioSampleRate(11025);
    rig.ctl.setAudioBitsPerSample(16);
    rig.ctl.setAudioChannels(1);
    rig.record("minute.avi", 30, 60);
    EXPECT_EQ(rig.ctl.FramesCaptured(), 1800);
    EXPECT_EQ(rig.ctl.FramesDropped(), 0);

    const Recording r = readRecording(rig.path("minute.avi"));
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    EXPECT_EQ(r.headerFrames, 1800);
    ASSERT_EQ(r.numbers.size(), 1800u);
    EXPECT_EQ(r.numbers.back(), 1799);
    EXPECT_EQ(int64_t(r.sound.size()), 60 * 11025);
    // Every second the tone turns loud with the second's first picture, to the sample.
    const auto onsets = loudOnsets(r.sound, 11025);
    ASSERT_EQ(onsets.size(), 60u);
    for (int k = 0; k < 60; ++k) {
        EXPECT_GE(onsets[size_t(k)], int64_t(k) * 11025) << "second " << k;
        EXPECT_LE(onsets[size_t(k)], int64_t(k) * 11025 + 2) << "second " << k;
    }
}

TEST(CaptureRecording, EveryCompressorWritesDecodableFrames) {
    TestCameraRig rig;
    const int video = rig.ctl.VideoCompressorCount();
    const int audio = rig.ctl.AudioCompressorCount();
    ASSERT_GE(video, 1);
    for (int v = -1; v < video; ++v) {
        // Each video compressor with the next audio compressor in turn (PCM 8-bit first).
        const int a = (v + 1) % (audio + 1) - 1;
        rig.ctl.setVideoCompressor(v);
        rig.ctl.setAudioCompressor(a);
        rig.ctl.setAudioSampleRate(a >= 0 ? 22050 : 11025);
        rig.ctl.setAudioBitsPerSample(8);
        rig.ctl.setAudioChannels(1);
        const QString name = QStringLiteral("c%1.avi").arg(v + 1);
        rig.record(name, 10, 1);
        const Recording r = readRecording(rig.path(name));
        SCOPED_TRACE(QStringLiteral("video %1 audio %2 (%3/%4)")
                         .arg(v)
                         .arg(a)
                         .arg(r.videoCodec, r.audioCodec)
                         .toStdString());
        ASSERT_TRUE(r.opened);
        EXPECT_EQ(r.headerFrames, 10);
        ASSERT_EQ(r.numbers.size(), 10u);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(r.numbers[size_t(i)], i);
        // One second of sound; compressed sound comes in whole blocks (and MP3 adds its delay).
        const double seconds = double(r.sound.size()) / r.sampleRate;
        EXPECT_NEAR(seconds, 1.0, 0.1);
        if (a < 0) {
            EXPECT_EQ(r.audioCodec, "pcm_u8");
        }
    }
}

TEST(CaptureRecording, CompressorQualityReachesTheFile) {
    TestCameraRig rig;
    rig.ctl.setAudioDeviceIndex(-1);
    rig.ctl.setVideoResolution(1); // 640x480: enough detail for the quantiser to show
    // Motion JPEG and MPEG-4 take a fixed quantiser from the quality; H.264 (a rate factor)
    // is left out: its size hardly moves on a still test picture.
    for (const char* codec : {"Motion JPEG", "MPEG-4 Part 2"}) {
        int index = -1;
        for (int v = 0; v < rig.ctl.VideoCompressorCount(); ++v)
            if (rig.ctl.VideoCompressorName(v) == codec)
                index = v;
        if (index < 0)
            continue;
        SCOPED_TRACE(codec);
        rig.ctl.setVideoCompressor(index);
        qint64 sizes[2] = {};
        const int qualities[2] = {95, 20};
        for (int i = 0; i < 2; ++i) {
            // As the compression dialog sets it.
            rig.ctl.applySetting(rig.ctl.dialogSettings(256).settings.at(0).id, qualities[i]);
            const QString name = QStringLiteral("%1-q%2.avi").arg(index).arg(qualities[i]);
            rig.record(name, 10, 1);
            const Recording r = readRecording(rig.path(name));
            ASSERT_TRUE(r.opened);
            ASSERT_EQ(r.numbers.size(), 10u); // still readable at the low quality
            sizes[i] = QFileInfo(rig.path(name)).size();
        }
        EXPECT_LT(sizes[1] * 5, sizes[0] * 4)
            << "quality 95: " << sizes[0] << " bytes, quality 20: " << sizes[1] << " bytes";
    }
}

TEST(CaptureRecording, DroppedFramesRepeatInTheFileAndTheCountIsTheFile) {
    TestCameraRig rig;
    // 1920x1080 32-bit pictures at 120 per second through a lossless compressor: the recording
    // cannot keep up, so the device must drop (and never wait).
    rig.ctl.setVideoResolution(3);
    rig.ctl.setColorFormat(3);
    const int ffv1 = [&] {
        for (int i = 0; i < rig.ctl.VideoCompressorCount(); ++i)
            if (rig.ctl.VideoCompressorName(i).startsWith("FFV1"))
                return i;
        return 0;
    }();
    rig.ctl.setVideoCompressor(ffv1);
    rig.ctl.setAudioDeviceIndex(-1);
    rig.ctl.setTestCameraPacing(true);
    rig.record("drops.avi", 120, 1);
    // Every slot of the second is in the file, a dropped one as a repeat of the picture before.
    const int64_t captured = rig.ctl.FramesCaptured();
    const int64_t dropped = rig.ctl.FramesDropped();
    EXPECT_EQ(captured, 120);
    EXPECT_GT(dropped, 0);

    const Recording r = readRecording(rig.path("drops.avi"));
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.headerFrames, captured); // the count handed on is the file's length
    ASSERT_EQ(r.numbers.size(), r.places.size());
    int64_t ownPictures = 0, previous = -1;
    for (size_t i = 0; i < r.numbers.size(); ++i) {
        ASSERT_TRUE(r.numbers[i].has_value());
        ASSERT_GT(r.places[i], previous) << "picture " << i;
        ASSERT_LT(r.places[i], captured);
        ASSERT_LE(*r.numbers[i], r.places[i]) << "no picture ahead of its time";
        ownPictures += *r.numbers[i] == r.places[i];
        previous = r.places[i];
    }
    EXPECT_EQ(captured - ownPictures, dropped);
    const auto timing = timingOf(rig.path("drops.avi"));
    ASSERT_TRUE(timing.has_value());
    EXPECT_EQ(timing->end, captured);
    EXPECT_EQ(timing->repeatedSlots(0, captured - 1), dropped);
}

TEST(CaptureRecording, AnExistingFileIsNeverReplaced) {
    TestCameraRig rig;
    const QString path = rig.path("taken.avi");
    for (const QString& p : {path, path + ".timing"}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    rig.ctl.setStreamFileName(path);
    try {
        rig.ctl.StartStreamCapture();
        FAIL() << "an existing file was accepted";
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kFileExists);
        EXPECT_TRUE(e.description().contains("taken.avi"));
    }
    EXPECT_FALSE(rig.ctl.recording());
    for (const QString& p : {path, path + ".timing"}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "precious");
    }
    // A folder that does not exist: cannot be created, and nothing is left behind.
    rig.ctl.setStreamFileName(rig.path("no/such/folder/run.avi"));
    try {
        rig.ctl.StartStreamCapture();
        FAIL() << "an impossible file was accepted";
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kFileCreateFailed);
    }
    EXPECT_EQ(QDir(rig.dir.path()).entryList(QDir::Files),
              QStringList({"taken.avi", "taken.avi.timing"}));
    EXPECT_EQ(rig.events.count(301), 0);
}

TEST(CaptureRecording, StopCaptureIsIdempotentAndEndsOnce) {
    TestCameraRig rig;
    rig.ctl.StopCapture(); // idle: nothing happens
    EXPECT_EQ(rig.events.count(301), 0);
    rig.ctl.setTestCameraPacing(true);
    rig.ctl.setStreamFileName(rig.path("stop.avi"));
    rig.ctl.setFrameRate(30);
    rig.ctl.setTimeLimit(0);
    rig.ctl.StartStreamCapture();
    EXPECT_TRUE(rig.ctl.recording());
    EXPECT_THROW(rig.ctl.StartStreamCapture(), ports::ControlError);
    EXPECT_THROW(rig.ctl.setVideoResolution(2), ports::ControlError);
    // Counters move and 510 arrives several times a second while recording.
    EXPECT_TRUE(waitUntil([&] { return rig.events.count(510) >= 2; }, 5000));
    EXPECT_GT(rig.ctl.FramesCaptured(), 0);
    rig.ctl.StopCapture();
    rig.ctl.StopCapture();
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.events.count(301), 1);
    const int64_t frames = rig.ctl.FramesCaptured();
    const Recording r = readRecording(rig.path("stop.avi"));
    EXPECT_EQ(int64_t(r.numbers.size()), frames);
    EXPECT_EQ(r.headerFrames, frames + rig.ctl.FramesDropped());
}
