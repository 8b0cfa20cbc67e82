// Audio: device, format list, compressor and Listen.
#include "MainFormFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using ports::ControlError;

class SetupAudio : public setuptest::SetupBeforeStart {};

TEST_F(SetupAudio, LoadFillsTheListsFromTheControl) {
    env.control.audioDevices = {"Mic A", "Mic B"};
    env.control.audioDeviceIndex = 1;
    env.control.audioCompressors = {"A-law", "mu-law"};
    env.control.audioCompressor = 0;
    env.control.listen = true;
    env.control.audioSampleRate = 22050;
    env.control.audioBitsPerSample = 16;
    env.control.audioChannels = 2;
    start();
    EXPECT_EQ(s().AudioDevice->count(), 3);
    EXPECT_EQ(s().AudioDevice->itemText(0), "None");
    EXPECT_EQ(s().AudioDevice->currentIndex(), 2);
    EXPECT_EQ(s().AudioCompr->currentIndex(), 1);
    EXPECT_TRUE(s().Check1->isChecked());
    // Every start begins from the first format entry.
    EXPECT_EQ(s().ComboAttrib->count(), 16);
    EXPECT_EQ(s().ComboAttrib->currentIndex(), 0);
    EXPECT_EQ(env.control.audioSampleRate, 11025);
    EXPECT_EQ(env.control.audioBitsPerSample, 8);
    EXPECT_EQ(env.control.audioChannels, 1);
    EXPECT_TRUE(s().ComboAttrib->isEnabled());
    EXPECT_TRUE(s().AudioConfig->isEnabled());
}

TEST_F(SetupAudio, NoAudioDevicesLeavesOnlyNone) {
    env.control.audioDevices.clear();
    start();
    EXPECT_EQ(s().AudioDevice->count(), 1);
    EXPECT_EQ(s().AudioDevice->currentIndex(), 0);
    EXPECT_FALSE(s().ComboAttrib->isEnabled());
}

TEST_F(SetupAudio, ChoosingFormatsWritesRateChannelsDepthInThatOrder) {
    start();
    s().ComboAttrib->setCurrentIndex(7);
    EXPECT_EQ(env.control.calls.mid(env.control.calls.size() - 3),
              QStringList({"setAudioSampleRate(22050)", "setAudioChannels(2)",
                           "setAudioBitsPerSample(16)"}));
    s().ComboAttrib->setCurrentIndex(12);
    EXPECT_EQ(env.control.audioSampleRate, 44100);
    EXPECT_EQ(env.control.audioChannels, 1);
    EXPECT_EQ(env.control.audioBitsPerSample, 8);
}

TEST_F(SetupAudio, NoneDisablesTheFormatControls) {
    start();
    s().AudioDevice->setCurrentIndex(0);
    EXPECT_EQ(env.control.audioDeviceIndex, -1);
    for (QWidget* w : std::initializer_list<QWidget*>{
             s().ComboAttrib, s().AttribLabel, s().AudioCompr, s().AudioCompLabel, s().AudioConfig})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    s().AudioDevice->setCurrentIndex(1);
    EXPECT_EQ(env.control.audioDeviceIndex, 0);
    EXPECT_TRUE(s().ComboAttrib->isEnabled());
    env.control.dialogs.remove(1032);
    s().EnableAudioConfig();
    EXPECT_TRUE(s().ComboAttrib->isEnabled());
    EXPECT_FALSE(s().AudioConfig->isEnabled());
}

TEST_F(SetupAudio, FormatTheControlKeepsIsAppendedAndSelected) {
    start();
    // The control takes 8000 Hz, 16 bits, stereo and keeps it whatever is asked.
    env.control.accepts = [](const QString& op, int) { return !op.startsWith("setAudio"); };
    env.control.audioSampleRate = 8000;
    env.control.audioBitsPerSample = 16;
    env.control.audioChannels = 2;
    s().ComboAttrib->setCurrentIndex(5); // refused
    ASSERT_EQ(env.dialogs.boxes.size(), 1u) << env.dialogs.texts().join("|").toStdString();
    EXPECT_EQ(env.dialogs.boxes[0].text, "Eror code: -2147221498 Invalid value");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Error");
    ASSERT_EQ(s().ComboAttrib->count(), 17);
    EXPECT_EQ(s().ComboAttrib->itemText(16), "8.000 Khz, 16 bit, Stereo");
    EXPECT_EQ(s().ComboAttrib->currentIndex(), 16);
}

TEST_F(SetupAudio, AppendedEntryMapsToTheFormatItNames) {
    env.control.audioSampleRate = 8000;
    env.control.audioBitsPerSample = 16;
    env.control.audioChannels = 2;
    // The first entry is refused once at load, so the control keeps its own format.
    env.control.failOn["setAudioSampleRate"] = ControlError(11, "Busy");
    env.control.failOnce << "setAudioSampleRate";
    start();
    ASSERT_EQ(s().ComboAttrib->count(), 17);
    s().ComboAttrib->setCurrentIndex(0);
    s().ComboAttrib->setCurrentIndex(16);
    EXPECT_EQ(env.control.audioSampleRate, 8000);
    EXPECT_EQ(env.control.audioChannels, 2);
    EXPECT_EQ(env.control.audioBitsPerSample, 16);
}

TEST_F(SetupAudio, AFormatRefusedForeverEndsWithOneBox) {
    start();
    env.control.failOn["setAudioChannels"] = ControlError(5, "Refused");
    s().ComboAttrib->setCurrentIndex(3);
    EXPECT_EQ(env.dialogs.texts(), QStringList({"Eror code: 5 Refused"}));
    EXPECT_GE(s().ComboAttrib->currentIndex(), 0);
}

TEST_F(SetupAudio, CompressorDialogAndListen) {
    start();
    s().AudioCompr->setCurrentIndex(1);
    EXPECT_EQ(env.control.audioCompressor, 0);
    env.control.clearRecord();
    s().AudioCompr_Click(); // equal: nothing
    EXPECT_TRUE(env.control.calls.isEmpty());
    s().AudioConfig->click();
    EXPECT_TRUE(env.control.calls.contains("ShowDialog(1032,\"\")"));
    s().Check1->click();
    EXPECT_TRUE(env.control.listen);
    s().Check1->click();
    EXPECT_FALSE(env.control.listen);
}

} // namespace
