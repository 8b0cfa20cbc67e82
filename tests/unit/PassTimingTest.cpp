#include "core/run/PassTiming.h"

#include <gtest/gtest.h>

using namespace run;

TEST(PassLength, TwentySecondsFifteenInBarefootAnd599AtThirty) {
    EXPECT_EQ(passLength(25, false), 500);
    EXPECT_EQ(passLength(25, true), 375);
    EXPECT_EQ(passLength(30, false), 599);
    EXPECT_EQ(passLength(30, true), 450);
    EXPECT_EQ(passLength(15, false), 300);
    EXPECT_EQ(passLength(15, true), 225);
    // Halves go to the even neighbour: 12.5 fps x 20 = 250 exactly, x 15 = 187.5 -> 188.
    EXPECT_EQ(passLength(12.5, true), 188);
    EXPECT_EQ(passLength(0, false), 0);
}

TEST(PassEnd, EndFrameAndTheBoundaryOfTheFile) {
    // 800 frames at 30 fps: start 201 ends on frame 800 and passes; 202 ends on 801.
    const int pass = passLength(30, false);
    EXPECT_EQ(endFrame(201, pass), 800);
    EXPECT_TRUE(passEndInFile(endFrame(201, pass), 800));
    EXPECT_EQ(endFrame(202, pass), 801);
    EXPECT_FALSE(passEndInFile(endFrame(202, pass), 800));
    EXPECT_EQ(endFrame(212, passLength(30, true)), 662);
    EXPECT_EQ(endFrame(100, passLength(25, true)), 475);
}

TEST(PassEnd, AnEndBeyondSixteenBitsIsTooShortAndKeepsItsRealNumber) {
    const qint32 end = endFrame(32700, 599);
    EXPECT_EQ(end, 33299);
    EXPECT_FALSE(endFrameFits(end));
    EXPECT_FALSE(passEndInFile(end, 32767));
    EXPECT_NE(tooShortMessage(32767, end, false).indexOf(" 33299 which"), -1);
}

TEST(PassEnd, TooShortMessageReadsAsSpecified) {
    EXPECT_EQ(tooShortMessage(800, 801, false),
              "I am sorry, but the file is only  800 frames long and the start position you "
              "have selected means that the end should be at frame  801 which is not possible "
              "with this file. You may have to recapture from the video recorder if you did not "
              "capture a full 20 seconds from the start of the run.");
    EXPECT_TRUE(
        tooShortMessage(800, 801, true).endsWith("full 15 seconds from the start of the run."));
    EXPECT_EQ(kTooShortTitle, "Captured File too short Warning");
}

TEST(RunNameParse, StandardNames) {
    RunName n = parseRunName("D:\\Runs\\Ann Leepass2.avi");
    EXPECT_TRUE(n.standard);
    EXPECT_EQ(n.skier, "Ann Lee");
    EXPECT_EQ(n.pass, "2");

    n = parseRunName("C:\\V\\Bobpass12.avi");
    EXPECT_TRUE(n.standard);
    EXPECT_EQ(n.skier, "Bob");
    EXPECT_EQ(n.pass, "12");

    n = parseRunName("/home/judge/runs/Annpass1.avi");
    EXPECT_TRUE(n.standard);
    EXPECT_EQ(n.skier, "Ann");
    EXPECT_EQ(n.pass, "1");

    // An empty skier name is still a standard name.
    n = parseRunName("C:\\V\\pass1.avi");
    EXPECT_TRUE(n.standard);
    EXPECT_EQ(n.skier, "");
    EXPECT_EQ(n.pass, "1");
}

TEST(RunNameParse, NamesThatAreNotStandard) {
    // "pass" eight characters before ".avi" is too far away.
    EXPECT_FALSE(parseRunName("C:\\V\\Bobpass1234.avi").standard);
    EXPECT_FALSE(parseRunName("D:\\Runs\\Ann Lee 2.avi").standard);
    // The search is case-sensitive.
    EXPECT_FALSE(parseRunName("C:\\V\\Bobpass1.AVI").standard);
    // "pass" only in the folder part does not count.
    EXPECT_FALSE(parseRunName("C:\\pass\\B.avi").standard);
    EXPECT_FALSE(parseRunName("/runs/pass/Bob.avi").standard);
    // ".avi" among the first seven characters, no ".avi" at all, "pass" after ".avi".
    EXPECT_FALSE(parseRunName("a.avi").standard);
    EXPECT_FALSE(parseRunName("C:\\V\\Bobpass1.mp4").standard);
    EXPECT_FALSE(parseRunName("C:\\V\\Bob1234.avi pass").standard);
    EXPECT_FALSE(parseRunName("").standard);
    EXPECT_TRUE(parseRunName("C:\\V\\Bob1234.avi pass").skier.isEmpty());
}
