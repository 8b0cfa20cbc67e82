// Copying the stream options to the capture control before a recording.
#include "MainFormFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using ports::ControlError;

class SetupOptions : public setuptest::StartedSetup {};

TEST_F(SetupOptions, StreamOptionsAreCopiedInOrder) {
    s().EdtFile->setText("run.avi");
    s().EdtRate->setText("29.97");
    s().EdtLimit->setText("40");
    s().ComboAttrib->setCurrentIndex(7);
    env.control.clearRecord();
    s().SetCaptureValues();
    EXPECT_EQ(env.control.calls, QStringList({"setStreamFileName(run.avi)", "setFrameRate(30)",
                                              "setTimeLimit(40)", "setAudioSampleRate(22050)",
                                              "setAudioChannels(2)", "setAudioBitsPerSample(16)"}));
}

TEST_F(SetupOptions, AudioFormatIsWrittenEvenWithoutAnAudioDevice) {
    s().AudioDevice->setCurrentIndex(0);
    env.control.clearRecord();
    s().SetCaptureValues();
    EXPECT_EQ(env.control.callCount("setAudioSampleRate"), 1);
}

TEST_F(SetupOptions, TextThatIsNotANumberIsATypeMismatch) {
    for (const char* bad : {"", "fast", "25fps", " 2 5"}) {
        s().EdtRate->setText(bad);
        try {
            s().SetCaptureValues();
            ADD_FAILURE() << "no error for \"" << bad << "\"";
        } catch (const ControlError& e) {
            EXPECT_EQ(e.number(), 13) << bad;
            EXPECT_EQ(e.description(), "Type mismatch");
        }
    }
    s().EdtRate->setText("30");
    s().EdtLimit->setText("9999999999");
    try {
        s().SetCaptureValues();
        ADD_FAILURE() << "no error for an overflowing limit";
    } catch (const ControlError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST_F(SetupOptions, ControlRefusalReachesTheCaller) {
    env.control.failOn["setTimeLimit"] = ControlError(8, "No limit");
    EXPECT_THROW(s().SetCaptureValues(), ControlError);
}

} // namespace
