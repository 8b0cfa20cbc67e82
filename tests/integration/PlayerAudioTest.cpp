// The sound of a played stretch: decoded from the file for the time of the frames played.
#include "NumberedVideo.h"
#include "core/engine/AudioClip.h"
#include "support/core/FrameNumbers.h"
#include "ui/adapters/AvPlayer.h"

#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

double rms(const QByteArray& pcm) {
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / n) : 0.0;
}

TEST(PlayerAudio, ClipHoldsTheSoundOfTheStretch) {
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), "tone.avi", 90, {"-c:v", "mjpeg"}, 320, 240, true);
    ASSERT_FALSE(file.isEmpty());
    // One second in the middle, as stereo at 44.1 kHz: every sample there, and not silent.
    const engine::PcmClip clip = engine::decodeAudioClip(file, 1.0, 2.0, 44100, 2);
    EXPECT_EQ(clip.sampleRate, 44100);
    EXPECT_EQ(clip.channels, 2);
    EXPECT_EQ(clip.data.size(), 44100 * 2 * 2);
    EXPECT_GT(rms(clip.data), 1000.0);
    // A stretch running past the end of the file ends with the file's sound.
    const engine::PcmClip tail = engine::decodeAudioClip(file, 2.5, 4.0, 48000, 1);
    EXPECT_GT(tail.data.size(), 48000 * 2 * 4 / 10);
    EXPECT_LT(tail.data.size(), 48000 * 2 * 6 / 10);
    // Nonsense requests give nothing.
    EXPECT_TRUE(engine::decodeAudioClip(file, 2.0, 1.0, 48000, 2).data.isEmpty());
    EXPECT_TRUE(engine::decodeAudioClip(file, 0.0, 1.0, 48000, 6).data.isEmpty());
}

TEST(PlayerAudio, FilesWithoutSoundGiveAnEmptyClip) {
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), "silent.avi", 30, {"-c:v", "mjpeg"});
    ASSERT_FALSE(file.isEmpty());
    EXPECT_TRUE(engine::decodeAudioClip(file, 0.0, 1.0, 48000, 2).data.isEmpty());
    EXPECT_TRUE(
        engine::decodeAudioClip(dir.path() + "/none.avi", 0.0, 1.0, 48000, 2).data.isEmpty());
}

// Playing a file with sound works whether or not the machine has an audio output.
TEST(PlayerAudio, PlayingWithSoundEndsOnTheLastFrame) {
    QTemporaryDir dir;
    const QString file =
        testvideo::makeNumberedVideo(dir.path(), "tone.avi", 60, {"-c:v", "mjpeg"}, 320, 240, true);
    ASSERT_FALSE(file.isEmpty());
    adapters::AvPlayer p;
    p.setPlayerFileName(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.shownFrame() == 0; }, 10000));
    p.setPlayerSelectionStart(10);
    p.setPlayerSelectionEnd(25);
    p.PlayerPlay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.isPlaying() && p.shownFrame() == 25; }, 5000));
    EXPECT_EQ(testsupport::readFrameNumber(p.shownPicture()).value_or(-1), 25);
    // Stopping and playing again at once is safe while a clip is still being decoded.
    p.PlayerPlay();
    p.PlayerStop();
    p.PlayerPlay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.isPlaying(); }, 5000));
    EXPECT_EQ(p.shownFrame(), 25);
}

} // namespace
