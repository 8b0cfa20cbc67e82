// The Setup screen's stored choices on the way in and out: a settings write that fails, the
// frame rate while it is being typed, stored list positions the camera lacks, and the sound
// source kept across starts.
#include "MainFormFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using testsupport::TestEnv;

// One key pressed in `box`, as the operator types it.
void press(QWidget* box, int key, const QString& text = QString()) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &down);
}
void type(QWidget* box, const QString& text) {
    for (QChar c : text)
        press(box, Qt::Key_0 + (c.unicode() - '0'), QString(c));
}

class SetupChoices : public setuptest::StartedSetup {};

TEST_F(SetupChoices, AFailingSettingsWriteIsReportedOnce) {
    // The configuration folder cannot be made: its place is taken by a file.
    const QString blocker = env.writeFile(env.root() + "/config", "not a folder");
    adapters::IniSettingsStore broken(blocker + "/SKV04.ini");
    env.services.settings = &broken;
    s().cb15->setChecked(true);
    s().cb15->setChecked(false);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              "The setting \"barefoot\" could not be saved: the configuration folder may be "
              "read-only or full. The change is used until the program ends but will be lost "
              "at the next start.");
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
    EXPECT_TRUE(QFileInfo(blocker).isFile());

    // Writable again, then failing again: reported again.
    env.services.settings = env.settings.get();
    s().cb15->setChecked(true);
    EXPECT_EQ(env.storedValue("barefoot"), "1");
    env.services.settings = &broken;
    s().cb15->setChecked(false);
    EXPECT_EQ(env.dialogs.boxes.size(), 2u);
    env.services.settings = env.settings.get();
}

TEST_F(SetupChoices, TypingAFrameRateAppliesItOnlyWhenTheBoxIsLeft) {
    s().EdtRate->setText("30");
    env.control.clearRecord();
    s().EdtRate->setFocus();
    s().EdtRate->selectAll();
    press(s().EdtRate, Qt::Key_Backspace); // empty on the way to a new rate
    type(s().EdtRate, "25");
    EXPECT_TRUE(env.control.calls.filter("setFrameRate").isEmpty());
    EXPECT_EQ(env.storedValue("framerate"), "30");
    press(s().EdtRate, Qt::Key_Return);
    EXPECT_EQ(env.control.calls.filter("setFrameRate"), QStringList{"setFrameRate(25)"});
    EXPECT_EQ(env.storedValue("framerate"), "25");

    // Left empty: nothing is applied or stored, and the box shows the rate in use.
    env.control.clearRecord();
    s().EdtRate->selectAll();
    press(s().EdtRate, Qt::Key_Backspace);
    press(s().EdtRate, Qt::Key_Return);
    EXPECT_TRUE(env.control.calls.filter("setFrameRate").isEmpty());
    EXPECT_EQ(s().EdtRate->text(), "25");
    EXPECT_EQ(env.storedValue("framerate"), "25");
    EXPECT_TRUE(env.dialogs.boxes.empty());
}

} // namespace

namespace {

TEST(SetupSoundSource, IsRememberedByNameForTheNextStart) {
    TestEnv env;
    env.storeVideoDir();
    env.settings->WriteSetting("audiodevice", "None");
    env.screens.start();
    EXPECT_EQ(env.setup().AudioDevice->currentText(), "None");
    EXPECT_EQ(env.control.audioDeviceIndex, -1);

    env.setup().AudioDevice->setCurrentIndex(1);
    EXPECT_EQ(env.control.audioDeviceIndex, 0);
    EXPECT_EQ(env.storedValue("audiodevice"), "Fake Microphone");
}

} // namespace
