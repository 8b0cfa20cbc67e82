#include "core/run/ReplayTiming.h"

#include <gtest/gtest.h>

using namespace run;

TEST(BeforeStartReplay, SelectionsAndIntervals) {
    Replay r = beforeStartReplay(300, 2, 30);
    EXPECT_EQ(r.selectionStart, 240);
    EXPECT_EQ(r.selectionEnd, 300);
    EXPECT_EQ(r.intervalMs, 2300);

    // A lead reaching before frame 1 plays from frame 0 and waits for the time to the start.
    r = beforeStartReplay(40, 2, 30);
    EXPECT_EQ(r.selectionStart, 0);
    EXPECT_EQ(r.selectionEnd, 40);
    EXPECT_EQ(r.intervalMs, 1633);

    r = beforeStartReplay(0, 2, 30);
    EXPECT_EQ(r.selectionStart, 0);
    EXPECT_EQ(r.selectionEnd, 1);
    EXPECT_EQ(r.intervalMs, 300);

    // 2.5 s as typed plays 2.5 s.
    r = beforeStartReplay(300, 2.5, 30);
    EXPECT_EQ(r.selectionStart, 225);
    EXPECT_EQ(r.intervalMs, 2800);

    // A file whose frame rate could not be read does not divide by zero.
    r = beforeStartReplay(0, 2, 0);
    EXPECT_EQ(r.selectionStart, 0);
    EXPECT_EQ(r.selectionEnd, 1);
    EXPECT_EQ(r.intervalMs, 300);
}

TEST(BeforeEndReplay, SelectionsAndIntervals) {
    // 25 fps, start 100, 5 s before the end: end 600.
    Replay r = beforeEndReplay(600, 5, 25);
    EXPECT_EQ(r.selectionStart, 475);
    EXPECT_EQ(r.selectionEnd, 600);
    EXPECT_EQ(r.intervalMs, 6500);

    r = afterEndReplay(600, 25);
    EXPECT_EQ(r.selectionStart, 600);
    EXPECT_EQ(r.selectionEnd, 650);
    EXPECT_EQ(r.intervalMs, 2100);

    // Start 10 at 30 fps with 22 s before the end: 609 - 660 would be -51; it plays from 0.
    r = beforeEndReplay(609, 22, 30);
    EXPECT_EQ(r.selectionStart, 0);
    EXPECT_EQ(r.selectionEnd, 609);
    EXPECT_EQ(r.intervalMs, 23500);
}

TEST(SecondsBoxes, LimitsApplyToTheNumericValue) {
    EXPECT_EQ(limitedSecondsText("0", 1, 5), std::optional<QString>("1"));
    EXPECT_EQ(limitedSecondsText("9", 1, 5), std::optional<QString>("5"));
    EXPECT_EQ(limitedSecondsText("30", 1, 22), std::optional<QString>("22"));
    EXPECT_EQ(limitedSecondsText("", 1, 5), std::optional<QString>("1"));
    EXPECT_EQ(limitedSecondsText("abc", 1, 22), std::optional<QString>("1"));
    EXPECT_FALSE(limitedSecondsText("2.5", 1, 5).has_value());
    EXPECT_FALSE(limitedSecondsText("5", 1, 5).has_value());
    EXPECT_FALSE(limitedSecondsText("1", 1, 22).has_value());
    EXPECT_FALSE(limitedSecondsText("22", 1, 22).has_value());
    EXPECT_EQ(limitedSecondsText("22.5", 1, 22), std::optional<QString>("22"));
}
