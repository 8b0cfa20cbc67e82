// Start-up: the load sequence with an empty and with a filled store, the reset questions, the
// video folder prompts, the session log and the Capture screen's placement.
#include "support/TestEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/setup/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using ports::Answer;
using testsupport::TestEnv;

const QString kPrompt = "No Correct Save Video Directory has been set.  Please put in the path "
                        "of the Save Video Directory here.";
const QString kInvalid = "You entered an invalid path - try  again";

TEST(SetupStartup, EmptyStoreAsksForTheFolderAndStoresWhatWasShown) {
    TestEnv env;
    env.dialogs.inputs = {env.videoDir()};
    env.screens.start();
    screens::MainForm& s = env.setup();

    // Only the first reset question (answered No) and the folder prompt.
    EXPECT_EQ(env.dialogs.texts(),
              QStringList({"Do you want to reset all parameters to install values?"}));
    ASSERT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.inputCalls[0].prompt, kPrompt);
    EXPECT_EQ(env.dialogs.inputCalls[0].title, "Input Save Video Files Path");
    EXPECT_EQ(env.dialogs.inputCalls[0].preset, "");

    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(s.List1->currentRow(), 2);
    EXPECT_FALSE(s.cb15->isChecked());
    EXPECT_EQ(s.Combo1->currentIndex(), 0);
    EXPECT_EQ(s.CompressionCombo->currentIndex(), 0);
    EXPECT_EQ(s.EdtRate->text(), "30");
    EXPECT_EQ(s.lblConfig->text(), "Currently Configured for R");
    EXPECT_EQ(s.lblVideodir->text(), env.videoDir());
    EXPECT_EQ(s.CmdConnect->text(), "Disconnect");
    EXPECT_EQ(s.EdtFile->text(), "testvid.avi");
    EXPECT_EQ(s.cmdShowConfig->text(), "Show Configuration");
    EXPECT_FALSE(s.Frame3->isVisibleTo(&s));
    EXPECT_FALSE(s.StrmOptions->isVisibleTo(&s));
    EXPECT_FALSE(s.LblStatus->isVisibleTo(&s));
    EXPECT_FALSE(s.FrmOptions->isVisibleTo(&s));
    EXPECT_EQ(s.CaptureType->currentIndex(), 1);
    EXPECT_EQ(s.CmdCap->text(), "Capture Stream");

    // What the next start finds.
    EXPECT_EQ(env.storedValue("pauseTime"), "1.5");
    EXPECT_EQ(env.storedValue("framerate"), "30");
    EXPECT_EQ(env.storedValue("logpath"), env.videoDir());
    EXPECT_EQ(env.storedValue("device"), "0");
    EXPECT_EQ(env.storedValue("logfile"), "SkivaneLog011805.txt");
    EXPECT_EQ(env.storedValue("barefoot"), "<absent>");

    EXPECT_EQ(env.session().VideoDirectory, env.videoDir());
    EXPECT_EQ(env.session().LogFileName, "SkivaneLog011805.txt");
    EXPECT_EQ(env.readFile(env.videoDir() + "/SkivaneLog011805.txt"),
              QByteArray("01-18-200520:24:14Skivane Session started  \r\n"));

    // The Capture screen was loaded hidden inside the Setup load.
    ASSERT_TRUE(env.screens.captureExists());
    EXPECT_FALSE(env.capture().isVisible());
    // Control steps in load order: the rate, the connect, the live picture on.
    const auto& calls = env.control.calls;
    const auto rate = calls.indexOf("setFrameRate(30)");
    const auto connect = calls.indexOf("Connect(0)");
    const auto preview = calls.lastIndexOf("setPreview(true)");
    EXPECT_GE(rate, 0);
    EXPECT_LT(rate, connect);
    EXPECT_LT(connect, preview);
    EXPECT_TRUE(env.control.preview);

    // The lists are filled in load order, before the rate is read.
    const auto& reads = env.control.reads;
    const QStringList order{"VideoDeviceCount",
                            "AudioDeviceCount",
                            "VideoCompressorCount",
                            "AudioCompressorCount",
                            "EffectCount",
                            "Listen",
                            "TimeLimit"};
    for (int i = 1; i < order.size(); ++i)
        EXPECT_LT(reads.indexOf(order[i - 1]), reads.indexOf(order[i])) << order[i].toStdString();
}

TEST(SetupStartup, FilledStoreRestoresEveryControlWithoutQuestions) {
    TestEnv env;
    testsupport::FakeVideoDevice second;
    second.name = "Second Camera";
    env.control.addDevice(second, false);
    env.storeVideoDir();
    for (const auto& [k, v] :
         std::initializer_list<std::pair<QString, QString>>{{"pauseTime", "2.0"},
                                                            {"barefoot", "1"},
                                                            {"device", "1"},
                                                            {"compression", "2"},
                                                            {"framerate", "25"},
                                                            {"videoresolution", "2"},
                                                            {"ColorFormat", "1"},
                                                            {"VideoInput", "1"}})
        env.settings->WriteSetting(k, v);

    env.screens.start();
    screens::MainForm& s = env.setup();
    EXPECT_TRUE(env.dialogs.inputCalls.empty());
    EXPECT_EQ(s.List1->currentRow(), 3);
    EXPECT_TRUE(s.cb15->isChecked());
    EXPECT_EQ(s.Combo1->currentIndex(), 1);
    EXPECT_TRUE(env.control.calls.contains("Connect(1)"));
    EXPECT_EQ(s.EdtRate->text(), "25");
    EXPECT_EQ(env.control.frameRate, 25);
    EXPECT_EQ(s.ResolutionCombo->currentIndex(), 2);
    EXPECT_EQ(env.control.devices[1].resolution, 2);
    EXPECT_EQ(s.ColorFormatCombo->currentIndex(), 1);
    EXPECT_EQ(env.control.devices[1].colorFormat, 1);
    EXPECT_EQ(s.VideoInput->currentIndex(), 1);
    EXPECT_EQ(env.control.devices[1].input, 1);
    EXPECT_EQ(s.CompressionCombo->currentIndex(), 2);
    EXPECT_EQ(env.control.videoCompressor, 1);
    EXPECT_EQ(s.txtVideoDir->text(), env.videoDir());
    EXPECT_EQ(s.lblVideodir->text(), env.videoDir());
}

TEST(SetupStartup, DamagedStoredValuesDoNotStopTheStart) {
    TestEnv env;
    env.storeVideoDir();
    env.settings->WriteSetting("framerate", "fast");
    env.settings->WriteSetting("device", "7");
    env.settings->WriteSetting("compression", "9");
    env.settings->WriteSetting("videoresolution", "12");
    env.control.frameRate = 15;
    env.control.device().resolution = 1;
    env.screens.start();
    screens::MainForm& s = env.setup();
    EXPECT_EQ(s.EdtRate->text(), "15");
    EXPECT_EQ(s.lblConfig->text(), "Currently Configured for L");
    EXPECT_TRUE(env.control.calls.contains("Connect(0)"));
    EXPECT_EQ(s.CmdConnect->text(), "Disconnect");
    EXPECT_EQ(s.CompressionCombo->currentIndex(), 0);
    // A resolution the camera lacks leaves the list as filled and the stored value kept.
    EXPECT_EQ(s.ResolutionCombo->currentIndex(), 1);
    EXPECT_EQ(env.storedValue("videoresolution"), "12");
    EXPECT_TRUE(env.dialogs.texts().size() == 1) << env.dialogs.texts().join("|").toStdString();
}

TEST(SetupStartup, StoredFrameRatesAreRoundedAndBelowOneShowsTheControlRate) {
    for (const auto& [stored, shown] : std::initializer_list<std::pair<QString, QString>>{
             {"29.97", "30"}, {"0.4", "12"}, {"", "12"}, {"40000", "12"}}) {
        TestEnv env;
        env.storeVideoDir();
        env.control.frameRate = 12;
        env.settings->WriteSetting("framerate", stored);
        env.screens.start();
        EXPECT_EQ(env.setup().EdtRate->text(), shown) << stored.toStdString();
        EXPECT_EQ(env.storedValue("framerate"), shown) << stored.toStdString();
    }
}

TEST(SetupStartup, PauseTimeNotInTheListSelectsNothing) {
    TestEnv env;
    env.storeVideoDir();
    env.settings->WriteSetting("pauseTime", "2.2");
    env.screens.start();
    EXPECT_EQ(env.setup().List1->currentRow(), -1);
    EXPECT_EQ(env.storedValue("pauseTime"), "2.2");
}

TEST(SetupStartup, ResetQuestionsWithAnEmptyStoreShowZeroes) {
    TestEnv env;
    env.dialogs.answers = {Answer::Yes, Answer::Yes, Answer::No, Answer::No,
                           Answer::No,  Answer::No,  Answer::No};
    env.dialogs.inputs = {env.videoDir()};
    env.screens.start();
    EXPECT_EQ(
        env.dialogs.texts().mid(2),
        QStringList({"Logpath = 0 Clear it?", "barefoot = 0 Clear it?", "compression = 0 Clear it?",
                     "device = 0 Clear it?", "framerate = 0 Clear it?"}));
}

TEST(SetupStartup, ClearingTheFolderInTheResetAsksForItInTheSameStart) {
    TestEnv env;
    env.storeVideoDir();
    env.settings->WriteSetting("framerate", "25");
    env.control.frameRate = 12;
    // Yes, Yes, clear logpath, keep barefoot, compression, device, clear framerate.
    env.dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::No,
                           Answer::No,  Answer::No,  Answer::Yes};
    env.dialogs.inputs = {env.videoDir()};
    env.screens.start();
    EXPECT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_EQ(env.setup().EdtRate->text(), "12");
}

TEST(SetupStartup, FolderPromptRepeatsUntilAnExistingFolder) {
    TestEnv env;
    env.settings->WriteSetting("logpath", env.root() + "/deleted-since");
    env.dialogs.inputs = {env.root() + "/nowhere", "", env.videoDir() + "/"};
    env.screens.start();
    EXPECT_EQ(env.dialogs.inputCalls.size(), 3u);
    const QStringList texts = env.dialogs.texts();
    ASSERT_EQ(texts.size(), 3); // the reset question and two invalid-path boxes
    EXPECT_EQ(texts[1], kInvalid);
    EXPECT_EQ(texts[2], kInvalid);
    EXPECT_EQ(env.dialogs.boxes[1].title, "Grabora Demo");
    EXPECT_EQ(env.dialogs.boxes[1].icon, ports::Icon::None);
    EXPECT_EQ(env.dialogs.boxes[1].buttons, ports::Buttons::Ok);
    // A trailing separator is dropped for the folder, kept in what is shown and stored.
    EXPECT_EQ(env.session().VideoDirectory, env.videoDir());
    EXPECT_EQ(env.setup().lblVideodir->text(), env.videoDir() + "/");
    EXPECT_EQ(env.storedValue("logpath"), env.videoDir() + "/");
    EXPECT_TRUE(QFile::exists(env.videoDir() + "/SkivaneLog011805.txt"));
}

TEST(SetupStartup, TwoStartsOnOneDayAppendTwoSessionLines) {
    TestEnv env;
    env.storeVideoDir();
    env.screens.start();
    {
        TestEnv second; // a second program start on the same folder, later that day
        second.settings->WriteSetting("logpath", env.videoDir());
        second.clock = QDateTime(QDate(2005, 1, 18), QTime(21, 0, 5));
        second.screens.start();
    }
    EXPECT_EQ(env.readFile(env.videoDir() + "/SkivaneLog011805.txt"),
              QByteArray("01-18-200520:24:14Skivane Session started  \r\n"
                         "01-18-200521:00:05Skivane Session started  \r\n"));
}

TEST(SetupStartup, LivePictureAlreadyOnShowsTheCaptureScreen) {
    TestEnv env;
    env.storeVideoDir();
    env.control.preview = true;
    env.screens.start();
    EXPECT_EQ(env.setup().CmdPreview->text(), "Preview Off");
    EXPECT_TRUE(env.capture().isVisible());
}

TEST(SetupStartup, NoDeviceSaysSoAndTheLoadGoesOn) {
    TestEnv env;
    env.storeVideoDir();
    env.control.devices.clear();
    env.screens.start();
    screens::MainForm& s = env.setup();
    EXPECT_EQ(s.Combo1->count(), 1);
    EXPECT_EQ(s.Combo1->itemText(0), "No Capture Devices");
    EXPECT_TRUE(
        env.dialogs.texts().contains("No MCI capture devices are installed on this system"));
    EXPECT_EQ(s.CmdConnect->text(), "Connect");
    EXPECT_FALSE(s.ResolutionCombo->isEnabled());
    EXPECT_EQ(env.control.callCount("Connect("), 0);
    EXPECT_TRUE(QFile::exists(env.videoDir() + "/SkivaneLog011805.txt"));
}

TEST(SetupStartup, FailingConnectShowsHexErrorAndTheLoadGoesOn) {
    TestEnv env;
    env.storeVideoDir();
    env.control.failOn["Connect"] =
        ports::ControlError(ports::errors::kDeviceOpenFailed, "Cannot open the device");
    env.screens.start();
    screens::MainForm& s = env.setup();
    const auto& boxes = env.dialogs.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Eror code: 80040003 Cannot open the device");
    EXPECT_EQ(boxes[1].title, "Error");
    EXPECT_EQ(s.CmdConnect->text(), "Connect");
    EXPECT_EQ(env.storedValue("device"), "<absent>");
    EXPECT_EQ(s.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(s.isVisible());
}

TEST(CapturePlacement, AppliedDuringTheLoad) {
    TestEnv env;
    env.storeVideoDir();
    env.screens.start();
    const screens::MainForm& s = env.setup();
    EXPECT_EQ(env.capture().y(), s.y());
    // The window frame is not known before the first show: right of the client or the frame.
    const int x = env.capture().x();
    if (x != 0) {
        EXPECT_GE(x, s.x() + s.width());
        EXPECT_LE(x, s.x() + s.frameGeometry().width());
    }
}

} // namespace
