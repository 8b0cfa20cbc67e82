// The Setup screen's rules: the audio format an entry of the attribute list names, and where the
// Capture screen goes beside the Setup screen.
#include "core/app/AudioFormat.h"
#include "core/app/WindowPositions.h"

#include <gtest/gtest.h>

TEST(AudioFormatRule, FixedEntriesTakeRateFromTextAndTheRestFromPosition) {
    auto f = app::audioFormatOf(7, "22.050 Khz, 16 Bit, Stereo");
    EXPECT_EQ(f.sampleRate, 22050);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.bitsPerSample, 16);
    f = app::audioFormatOf(12, "44.100 Khz, 8 Bit, Mono");
    EXPECT_EQ(f.sampleRate, 44100);
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.bitsPerSample, 8);
    EXPECT_EQ(app::audioFormatOf(0, "11.025 Khz, 8 Bit, Mono").sampleRate, 11025);
    EXPECT_FALSE(app::audioFormatOf(3, "11025").sampleRate.has_value());
    // An appended entry names its whole format.
    f = app::audioFormatOf(16, "8.000 Khz, 16 bit, Stereo");
    EXPECT_EQ(f.sampleRate, 8000);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(app::audioFormatText(22050, 16, 2), "22.050 Khz, 16 bit, Stereo");
    EXPECT_EQ(app::audioFormatText(8000, 8, 1), "8.000 Khz, 8 bit, Mono");
}

TEST(CapturePlacement, BesideSetupOrFromTheLeftEdge) {
    const QRect screen(0, 0, 1600, 900);
    auto p = app::placeBeside(QRect(100, 50, 640, 600), QSize(700, 500), screen);
    EXPECT_EQ(p.setup, QPoint(100, 50));
    EXPECT_EQ(p.capture, QPoint(740, 50));
    // Side by side would pass the right edge: Setup to the left edge first.
    p = app::placeBeside(QRect(400, 50, 640, 600), QSize(700, 500), screen);
    EXPECT_EQ(p.setup, QPoint(0, 50));
    EXPECT_EQ(p.capture, QPoint(640, 50));
    // Only a Setup wider than the screen puts the Capture screen at the left edge.
    p = app::placeBeside(QRect(0, 0, 1700, 600), QSize(700, 500), screen);
    EXPECT_EQ(p.capture, QPoint(0, 0));
    // The area's own left edge counts as 0 (a second monitor, a side panel).
    p = app::placeBeside(QRect(1700, 10, 640, 600), QSize(700, 500), QRect(1600, 0, 1000, 800));
    EXPECT_EQ(p.setup, QPoint(1600, 10));
    EXPECT_EQ(p.capture, QPoint(2240, 10));
}
