// The video device panel: connect routine, disconnect, the list handlers and their error boxes,
// video dialog, compression and frame rate.
#include "MainFormFixture.h"
#include "ui/screens/capture/PreviewForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using ports::ControlError;

class SetupDevice : public setuptest::SetupBeforeStart {
protected:
    void SetUp() override {
        env.control.effects = {"Sepia", "Mirror"};
        testsupport::FakeVideoDevice& d = env.control.devices[0];
        d.hasChannels = true;
        d.channelMin = 2;
        d.channelMax = 5;
        d.channel = 3;
    }
    testsupport::FakeVideoDevice& dev() { return env.control.devices[0]; }
};

TEST_F(SetupDevice, ConnectFillsAndEnablesTheLists) {
    start();
    EXPECT_EQ(s().CmdConnect->text(), "Disconnect");
    EXPECT_EQ(s().ResolutionCombo->count(), 3);
    EXPECT_EQ(s().ResolutionCombo->itemText(1), "640x480");
    EXPECT_EQ(s().ColorFormatCombo->count(), 2);
    EXPECT_EQ(s().VideoInput->count(), 2);
    for (QWidget* w : std::initializer_list<QWidget*>{
             s().ResolutionCombo, s().ResolLabel, s().ColorFormatCombo, s().ColorLabel,
             s().VideoInput, s().InputLabel, s().Channel, s().ChannelLabel, s().VideoConfig,
             s().CmdPreview, s().CmdCap})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    // Channels 2..5, the control's 3 shown at position 1.
    QStringList channels;
    for (int i = 0; i < s().Channel->count(); ++i)
        channels << s().Channel->itemText(i);
    EXPECT_EQ(channels, QStringList({"2", "3", "4", "5"}));
    EXPECT_EQ(s().Channel->currentIndex(), 1);
    // Effects: "None" plus the control's, the control's current one selected.
    EXPECT_EQ(s().Effect->count(), 3);
    EXPECT_EQ(s().Effect->currentIndex(), 0);
    // Mirroring the control stored nothing.
    for (const char* key : {"videoresolution", "ColorFormat", "VideoInput", "compression"})
        EXPECT_EQ(env.storedValue(key), "<absent>") << key;
}

TEST_F(SetupDevice, DeviceWithoutInputsOrChannelsLeavesThemDisabled) {
    dev().inputs.clear();
    dev().hasChannels = false;
    env.settings->WriteSetting("VideoInput", "1");
    start();
    EXPECT_FALSE(s().VideoInput->isEnabled());
    EXPECT_FALSE(s().InputLabel->isEnabled());
    EXPECT_FALSE(s().Channel->isEnabled());
    EXPECT_FALSE(s().ChannelLabel->isEnabled());
    EXPECT_EQ(env.control.callCount("setVideoInputIndex"), 0);
}

TEST_F(SetupDevice, ListChoicesWriteTheControlAndStoreOnlyWhenChanged) {
    start();
    s().ResolutionCombo->setCurrentIndex(2);
    s().ColorFormatCombo->setCurrentIndex(1);
    s().VideoInput->setCurrentIndex(1);
    EXPECT_EQ(dev().resolution, 2);
    EXPECT_EQ(dev().colorFormat, 1);
    EXPECT_EQ(dev().input, 1);
    EXPECT_EQ(env.storedValue("VideoResolution"), "2");
    EXPECT_EQ(env.storedValue("colorformat"), "1");
    EXPECT_EQ(env.storedValue("videoinput"), "1");
    EXPECT_TRUE(env.iniText().contains("videoresolution=2"));

    // Already equal to the control: nothing written.
    env.control.clearRecord();
    env.settings->WriteSetting("videoresolution", "7");
    s().ResolutionCombo_Click();
    EXPECT_EQ(env.control.callCount("setVideoResolution"), 0);
    EXPECT_EQ(env.storedValue("videoresolution"), "7");
}

TEST_F(SetupDevice, ListHandlerErrorsShowDecimalEror) {
    start();
    env.control.failOn["setVideoResolution"] = ControlError(-2147221503, "Invalid index");
    s().ResolutionCombo->setCurrentIndex(1);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "Eror code: -2147221503 Invalid index");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(env.dialogs.boxes[0].buttons, ports::Buttons::Ok);
    EXPECT_EQ(env.storedValue("videoresolution"), "<absent>");

    env.dialogs.clear();
    env.control.failOn["setColorFormat"] = ControlError(5, "Bad format");
    s().ColorFormatCombo->setCurrentIndex(1);
    env.control.failOn["setVideoInputIndex"] = ControlError(6, "Bad input");
    s().VideoInput->setCurrentIndex(1);
    EXPECT_EQ(env.dialogs.texts(),
              QStringList({"Eror code: 5 Bad format", "Eror code: 6 Bad input"}));
}

TEST_F(SetupDevice, ChannelChoiceWritesTheChannelNumber) {
    start();
    s().Channel->setCurrentIndex(2);
    EXPECT_EQ(dev().channel, 4);
    EXPECT_TRUE(env.control.calls.contains("setCurrentChannel(4)"));

    env.control.failOn["setCurrentChannel"] = ControlError(380, "Invalid property value");
    s().Channel->setCurrentIndex(3);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "Error code: 380 Invalid property value");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Error");
}

TEST_F(SetupDevice, EffectsAreFoundByNameAndAMissingOneFallsBackToNone) {
    start();
    s().Effect->setCurrentIndex(2);
    EXPECT_EQ(env.control.currentEffect, 1);
    EXPECT_TRUE(env.control.calls.contains("SetEffect(0,\"Video Effect 1\",1)"));

    env.control.effects = {"Sepia"}; // "Mirror" went away
    s().Effect->setCurrentIndex(0);
    s().Effect->setCurrentIndex(2);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "Cannot find Mirror effect");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Grabora Demo");
    EXPECT_EQ(s().Effect->currentIndex(), 0);
    EXPECT_EQ(env.control.currentEffect, -1);

    env.control.failOn["SetEffect"] = ControlError(7, "No effects");
    s().Effect->setCurrentIndex(1);
    EXPECT_EQ(env.dialogs.texts().last(), "Eror code: 7 No effects");
}

TEST_F(SetupDevice, NoEffectsDisablesTheList) {
    env.control.effects.clear();
    start();
    EXPECT_FALSE(s().Effect->isEnabled());
    EXPECT_EQ(s().Effect->count(), 1);
    EXPECT_EQ(s().Effect->itemText(0), "None");
}

TEST_F(SetupDevice, VideoDialogChangesAreShownButNotStored) {
    start();
    env.settings->WriteSetting("videoresolution", "0");
    s().Effect->setCurrentIndex(1);
    env.control.dialogScripts[35 + 4096] = [](testsupport::FakeCaptureControl& c) {
        c.device().resolution = 2;
        c.device().colorFormat = 1;
        c.device().channel = 5;
        c.device().input = 1;
    };
    s().VideoConfig->click();
    EXPECT_TRUE(env.control.calls.contains("ShowDialog(4131,\"\")"));
    EXPECT_EQ(s().ResolutionCombo->currentIndex(), 2);
    EXPECT_EQ(s().ColorFormatCombo->currentIndex(), 1);
    EXPECT_EQ(s().Channel->currentIndex(), 3);
    EXPECT_EQ(s().VideoInput->currentIndex(), 1);
    EXPECT_EQ(env.storedValue("videoresolution"), "0");
    EXPECT_EQ(env.storedValue("ColorFormat"), "<absent>");
}

TEST_F(SetupDevice, CompressionChoiceIsAppliedStoredAndEnablesItsDialog) {
    start();
    EXPECT_FALSE(s().ComprConfig->isEnabled());
    s().CompressionCombo->setCurrentIndex(2);
    EXPECT_EQ(env.control.videoCompressor, 1);
    EXPECT_EQ(env.storedValue("compression"), "2");
    EXPECT_TRUE(s().ComprConfig->isEnabled());
    s().ComprConfig->click();
    EXPECT_TRUE(env.control.calls.contains("ShowDialog(256,\"\")"));

    s().CompressionCombo->setCurrentIndex(0);
    EXPECT_EQ(env.control.videoCompressor, -1);
    EXPECT_EQ(env.storedValue("compression"), "0");
    EXPECT_FALSE(s().ComprConfig->isEnabled());

    // No dialog for this compressor.
    env.control.dialogs.remove(256);
    s().CompressionCombo->setCurrentIndex(1);
    EXPECT_FALSE(s().ComprConfig->isEnabled());
}

TEST_F(SetupDevice, FrameRateTextIsStoredAsTypedAndRoundedForTheControl) {
    start();
    s().EdtRate->setText("29.97");
    EXPECT_EQ(env.storedValue("framerate"), "29.97");
    EXPECT_EQ(env.control.frameRate, 30);
    s().EdtRate->setText("12.5");
    EXPECT_EQ(env.control.frameRate, 12);
    s().EdtRate->setText(""); // an empty box changes nothing
    EXPECT_EQ(env.storedValue("framerate"), "12.5");
    EXPECT_EQ(env.control.frameRate, 12);
}

TEST_F(SetupDevice, FailingUntrappedHandlerIsReportedAndTheScreenGoesOn) {
    start();
    env.control.failOn["setFrameRate"] = ControlError(9, "Rate refused");
    s().EdtRate->setText("45");
    EXPECT_EQ(env.dialogs.texts(), QStringList({"Eror code: 9 Rate refused"}));
    EXPECT_EQ(env.storedValue("framerate"), "45");
    // Called directly the handler passes the error on.
    EXPECT_THROW(s().EdtRate_Change(), ControlError);
}

TEST_F(SetupDevice, DisconnectRoutineEmptiesTheListsAndHidesTheCaptureScreen) {
    start();
    env.capture().show();
    s().CmdConnect_Click(); // connected: disconnects
    EXPECT_TRUE(env.control.calls.contains("Disconnect()"));
    EXPECT_EQ(s().CmdConnect->text(), "Connect");
    EXPECT_EQ(s().ResolutionCombo->count(), 0);
    EXPECT_EQ(s().ColorFormatCombo->count(), 0);
    EXPECT_EQ(s().Channel->count(), 0);
    EXPECT_EQ(s().VideoInput->count(), 0);
    for (QWidget* w : std::initializer_list<QWidget*>{
             s().ResolutionCombo, s().ResolLabel, s().ColorFormatCombo, s().ColorLabel,
             s().VideoInput, s().InputLabel, s().Channel, s().ChannelLabel, s().VideoConfig,
             s().CmdPreview, s().CmdCap, s().ComprConfig, s().ComboAttrib, s().AudioCompr})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(env.capture().isVisible());
    EXPECT_TRUE(env.dialogs.boxes.empty());

    // And back: connected again, nothing stored from mirroring.
    s().CmdConnect_Click();
    EXPECT_EQ(s().CmdConnect->text(), "Disconnect");
    EXPECT_EQ(s().ResolutionCombo->count(), 3);
}

TEST_F(SetupDevice, ErrorInTheConnectRoutineIsHexAndSkipsTheRest) {
    start();
    s().CmdConnect_Click();
    env.dialogs.clear();
    env.control.failOn["VideoResolutionName"] =
        ControlError(static_cast<qint32>(0x80040001u), "Invalid index");
    s().CmdConnect_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "Eror code: 80040001 Invalid index");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Error");
    EXPECT_TRUE(env.control.connected);
    EXPECT_EQ(s().CmdConnect->text(), "Connect"); // later steps skipped
    EXPECT_EQ(s().cursor().shape(), Qt::ArrowCursor);
}

} // namespace
