// The settings store on its INI file and the read rules on top of it.
#include "core/app/Settings.h"
#include "support/core/FakeDialogs.h"
#include "ui/adapters/IniSettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using ports::Answer;
namespace settings = app::settings;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString ini() const { return dir.filePath("SKV04.ini"); }
    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, KeysAreOneRegardlessOfCaseAndReachDiskAtOnce) {
    adapters::IniSettingsStore store(ini());
    EXPECT_EQ(store.ReadSetting("VideoResolution", "-1"), "-1");
    store.WriteSetting("videoresolution", "2");
    EXPECT_EQ(store.ReadSetting("VideoResolution", "-1"), "2");

    // Nothing else flushes: a second store on the file (the next start) sees the value now.
    adapters::IniSettingsStore nextStart(ini());
    EXPECT_EQ(nextStart.ReadSetting("VIDEORESOLUTION", "-1"), "2");
    QFile f(ini());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("[Settings]"));
    EXPECT_TRUE(text.contains("videoresolution=2"));
}

TEST_F(SettingsStoreTest, FirstWriteCreatesTheFolder) {
    const QString nested = dir.filePath("config/SKV04/SKV04.ini");
    adapters::IniSettingsStore store(nested);
    store.WriteSetting("barefoot", "1");
    EXPECT_TRUE(store.lastWriteOk());
    EXPECT_TRUE(QFile::exists(nested));
}

TEST_F(SettingsStoreTest, TextsComeBackAsWritten) {
    adapters::IniSettingsStore store(ini());
    const QStringList values{"C:\\Runs\\", "/data/runs, day 2", "", "  29.97", "@Variant(x)"};
    for (int i = 0; i < values.size(); ++i)
        store.WriteSetting(QString("k%1").arg(i), values[i]);
    adapters::IniSettingsStore again(ini());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.ReadSetting(QString("k%1").arg(i), "<absent>"), values[i]) << i;
}

TEST_F(SettingsStoreTest, NumericReadsNeverStopOnBadText) {
    adapters::IniSettingsStore store(ini());
    EXPECT_EQ(settings::readFrameRate(store), 0); // absent
    store.WriteSetting("framerate", "29.97");
    EXPECT_EQ(settings::readFrameRate(store), 30);
    store.WriteSetting("framerate", "0.4");
    EXPECT_EQ(settings::readFrameRate(store), 0);
    store.WriteSetting("framerate", "12.5");
    EXPECT_EQ(settings::readFrameRate(store), 12); // half to even
    for (const char* bad : {"", "abc", "25fps", "40000"}) {
        store.WriteSetting("framerate", bad);
        EXPECT_EQ(settings::readFrameRate(store), 0) << bad;
    }
}

TEST_F(SettingsStoreTest, ListPositionsFollowTheirRule) {
    adapters::IniSettingsStore store(ini());
    // absent = -1: first entry, or "leave as filled"
    EXPECT_EQ(settings::readListPosition(store, "device", 3, true), 0);
    EXPECT_EQ(settings::readListPosition(store, "ColorFormat", 3, false), -1);
    store.WriteSetting("device", "2");
    EXPECT_EQ(settings::readListPosition(store, "device", 3, true), 2);
    store.WriteSetting("device", "3"); // beyond the list
    EXPECT_EQ(settings::readListPosition(store, "device", 3, true), 0);
    store.WriteSetting("colorformat", "3"); // beyond the list: left as filled
    EXPECT_EQ(settings::readListPosition(store, "ColorFormat", 3, false), -1);
    store.WriteSetting("colorformat", "x");
    EXPECT_EQ(settings::readListPosition(store, "ColorFormat", 3, false), -1);
}

TEST_F(SettingsStoreTest, PauseTimeReadsAsDouble) {
    adapters::IniSettingsStore store(ini());
    EXPECT_EQ(settings::readPauseTime(store), 0.0);
    store.WriteSetting("pauseTime", "2.5");
    EXPECT_EQ(settings::readPauseTime(store), 2.5);
    store.WriteSetting("pauseTime", "junk");
    EXPECT_EQ(settings::readPauseTime(store), 0.0);
}

class EmergencyResetTest : public SettingsStoreTest {
protected:
    testsupport::FakeDialogs dialogs;
};

TEST_F(EmergencyResetTest, NoToTheFirstQuestionAsksNothingMore) {
    adapters::IniSettingsStore store(ini());
    store.WriteSetting("barefoot", "1");
    dialogs.answers = {Answer::No};
    settings::EmergencyParameterReset(store, dialogs);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const auto& box = dialogs.boxes[0];
    EXPECT_EQ(box.text, "Do you want to reset all parameters to install values?");
    EXPECT_EQ(box.title, "Emergency Parameter Reset");
    EXPECT_EQ(box.buttons, ports::Buttons::YesNo);
    EXPECT_EQ(box.icon, ports::Icon::Question);
    EXPECT_EQ(box.defaultButton, Answer::No);
    EXPECT_EQ(store.ReadSetting("barefoot", ""), "1");
}

TEST_F(EmergencyResetTest, NoToTheSecondQuestionEndsTheReset) {
    adapters::IniSettingsStore store(ini());
    dialogs.answers = {Answer::Yes, Answer::No};
    settings::EmergencyParameterReset(store, dialogs);
    EXPECT_EQ(dialogs.texts(),
              QStringList({"Do you want to reset all parameters to install values?",
                           "Are you certain? This means you are crashing and can't operate"}));
}

TEST_F(EmergencyResetTest, EveryKeyIsAskedWithItsValueAndYesWritesTheInstallValue) {
    adapters::IniSettingsStore store(ini());
    store.WriteSetting("logpath", "/runs");
    store.WriteSetting("logfile", "SkivaneLog011805.txt");
    store.WriteSetting("barefoot", "1");
    store.WriteSetting("device", "2");
    store.WriteSetting("framerate", "25");
    // compression absent: shown as 0
    dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::No,
                       Answer::No,  Answer::Yes, Answer::No};
    settings::EmergencyParameterReset(store, dialogs);
    const QStringList texts = dialogs.texts();
    ASSERT_EQ(texts.size(), 7);
    EXPECT_EQ(texts.mid(2), QStringList({"Logpath = /runs Clear it?", "barefoot = 1 Clear it?",
                                         "compression = 0 Clear it?", "device = 2 Clear it?",
                                         "framerate = 25 Clear it?"}));
    adapters::IniSettingsStore after(ini());
    EXPECT_EQ(after.ReadSetting("logpath", "<absent>"), "");
    EXPECT_EQ(after.ReadSetting("logfile", "<absent>"), "");
    EXPECT_EQ(after.ReadSetting("barefoot", ""), "1");
    EXPECT_EQ(after.ReadSetting("compression", "<absent>"), "<absent>");
    EXPECT_EQ(after.ReadSetting("device", ""), "0");
    EXPECT_EQ(after.ReadSetting("framerate", ""), "25");
}

} // namespace
