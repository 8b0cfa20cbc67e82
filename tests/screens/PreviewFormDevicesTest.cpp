// Capture devices plugged in and unplugged while the program runs: the Setup screen's video
// and audio lists follow, the question to switch devices, and the lost-connection check.
#include "PreviewFormTestFixture.h"

#include "core/ports/ControlError.h"

#include <QComboBox>

using ports::Answer;

namespace {
QStringList entries(const QComboBox& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.itemText(i);
    return out;
}

testsupport::FakeVideoDevice camera(const char* name) {
    testsupport::FakeVideoDevice d;
    d.name = QString::fromLatin1(name);
    return d;
}
} // namespace

class DeviceChangeTest : public CaptureScreenTest {
protected:
    void SetUp() override {
        CaptureScreenTest::SetUp();
        form(); // the handler lives on the Capture screen, shown or hidden
        env.control.clearRecord();
    }
    QComboBox& video() { return *setup().Combo1; }
    QComboBox& audio() { return *setup().AudioDevice; }
};

TEST_F(DeviceChangeTest, StartsConnectedToTheOneCamera) {
    EXPECT_EQ(entries(video()), QStringList{QStringLiteral("Fake Camera 1")});
    EXPECT_EQ(setup().CmdConnect->text(), QStringLiteral("Disconnect"));
    EXPECT_EQ(entries(audio()),
              (QStringList{QStringLiteral("None"), QStringLiteral("Fake Microphone")}));
}

TEST_F(DeviceChangeTest, SecondCameraWhileConnectedIsListedWithoutQuestion) {
    env.control.addDevice(camera("Cam B"));
    EXPECT_EQ(entries(video()),
              (QStringList{QStringLiteral("Fake Camera 1"), QStringLiteral("Cam B")}));
    EXPECT_EQ(video().currentIndex(), 0);
    EXPECT_EQ(env.control.deviceIndex, 0);
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(DeviceChangeTest, SecondCameraWhileNotConnectedAsksToUseIt) {
    env.control.connected = false;
    env.dialogs.answers.push_back(Answer::Yes);
    env.control.addDevice(camera("Cam B"));
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("Cam B is plugged into your computer. Do you want to use it?"));
    EXPECT_EQ(env.dialogs.boxes[0].buttons, ports::Buttons::YesNo);
    EXPECT_EQ(env.dialogs.boxes[0].title, ports::kAppTitle);
    EXPECT_EQ(env.control.deviceIndex, 1);
    EXPECT_EQ(video().currentIndex(), 1);
    EXPECT_FALSE(env.control.connected); // nothing connects it in this run

    takeBoxes();
    env.dialogs.answers.push_back(Answer::No);
    env.control.addDevice(camera("Cam C"));
    EXPECT_EQ(takeBoxes().size(), 1);
    EXPECT_EQ(env.control.deviceIndex, 1);
    EXPECT_EQ(video().currentIndex(), 1);
    EXPECT_EQ(video().count(), 3);
}

TEST_F(DeviceChangeTest, LastCameraUnpluggedLeavesPlaceholderAndDisconnects) {
    env.control.removeDevice(0);
    EXPECT_EQ(entries(video()), QStringList{QStringLiteral("No Capture Devices")});
    EXPECT_EQ(video().currentIndex(), 0);
    EXPECT_EQ(setup().CmdConnect->text(), QStringLiteral("Connect")); // OnDisconnect ran
    EXPECT_TRUE(takeBoxes().isEmpty());

    // The first camera plugged in again replaces the placeholder, chosen without a question.
    env.control.addDevice(camera("Cam A"));
    EXPECT_EQ(entries(video()), QStringList{QStringLiteral("Cam A")});
    EXPECT_EQ(video().currentIndex(), 0);
    EXPECT_TRUE(env.control.calls.contains(QStringLiteral("setVideoDeviceIndex(0)")));
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(DeviceChangeTest, OtherCameraUnpluggedKeepsTheConnection) {
    env.control.addDevice(camera("Cam B"));
    env.control.removeDevice(1);
    EXPECT_EQ(entries(video()), QStringList{QStringLiteral("Fake Camera 1")});
    EXPECT_EQ(setup().CmdConnect->text(), QStringLiteral("Disconnect"));
}

TEST_F(DeviceChangeTest, AudioDevicesFollowWithTheNoneEntryKept) {
    env.control.audioDevices << QStringLiteral("USB Mic");
    env.control.emitDeviceChange(ports::kAudioSources, 0, 1, QStringLiteral("USB Mic"));
    EXPECT_EQ(entries(audio()),
              (QStringList{QStringLiteral("None"), QStringLiteral("Fake Microphone"),
                           QStringLiteral("USB Mic")}));
    EXPECT_EQ(audio().currentIndex(), 1); // connected: no question, selection stays
    EXPECT_TRUE(takeBoxes().isEmpty());

    env.control.connected = false;
    env.control.audioDevices << QStringLiteral("Headset");
    env.dialogs.answers.push_back(Answer::Yes);
    env.control.emitDeviceChange(ports::kAudioSources, 0, 2, QStringLiteral("Headset"));
    EXPECT_EQ(takeBoxes(), QStringList{QStringLiteral(
                               "Headset is plugged into your computer. Do you want to use it?")});
    EXPECT_EQ(env.control.audioDeviceIndex, 2);
    EXPECT_EQ(audio().currentIndex(), 3);

    // Audio device 0 unplugged: entry 1 goes, entry 0 stays.
    env.control.audioDevices.removeAt(0);
    env.control.audioDeviceIndex = 1;
    env.control.emitDeviceChange(ports::kAudioSources, 1, 0, QStringLiteral("Fake Microphone"));
    EXPECT_EQ(entries(audio()), (QStringList{QStringLiteral("None"), QStringLiteral("USB Mic"),
                                             QStringLiteral("Headset")}));
    EXPECT_EQ(audio().currentIndex(), 2);

    // All gone: "None" is selected.
    env.control.audioDevices.clear();
    env.control.audioDeviceIndex = -1;
    env.control.emitDeviceChange(ports::kAudioSources, 1, 1, QStringLiteral("Headset"));
    env.control.emitDeviceChange(ports::kAudioSources, 1, 0, QStringLiteral("USB Mic"));
    EXPECT_EQ(entries(audio()), QStringList{QStringLiteral("None")});
    EXPECT_EQ(audio().currentIndex(), 0);
}

TEST_F(DeviceChangeTest, RemovalBeyondTheListIsReportedNotFatal) {
    env.control.emitDeviceChange(ports::kVideoSources, 1, 5, QStringLiteral("Ghost"));
    EXPECT_EQ(takeBoxes(),
              QStringList{QStringLiteral("Eror code: 80040001 The device list has no entry 5")});
    EXPECT_EQ(entries(video()), QStringList{QStringLiteral("Fake Camera 1")});
    EXPECT_EQ(video().currentIndex(), 0);

    env.control.emitDeviceChange(ports::kAudioSources, 1, -1, QStringLiteral("Ghost"));
    EXPECT_EQ(takeBoxes().size(), 1);
    EXPECT_EQ(entries(audio()),
              (QStringList{QStringLiteral("None"), QStringLiteral("Fake Microphone")}));
    EXPECT_EQ(setup().CmdConnect->text(), QStringLiteral("Disconnect"));
}

TEST_F(DeviceChangeTest, LostConnectionIsNoticedForAnyCategoryEvenAfterAFailure) {
    env.control.connected = false; // the device went away
    env.control.emitDeviceChange(QStringLiteral("Other Sources"), 1, 0, QStringLiteral("x"));
    EXPECT_EQ(setup().CmdConnect->text(), QStringLiteral("Connect"));
    EXPECT_EQ(entries(video()), QStringList{QStringLiteral("Fake Camera 1")});

    // A failing control read during the list update is shown; the check still runs.
    setup().CmdConnect->setText(QStringLiteral("Disconnect"));
    env.control.failOn[QStringLiteral("VideoDeviceCount")] =
        ports::ControlError(ports::errors::kBusy, QStringLiteral("Device busy"));
    env.control.removeDevice(0);
    EXPECT_EQ(takeBoxes(), QStringList{QStringLiteral("Eror code: 80040007 Device busy")});
    EXPECT_EQ(setup().CmdConnect->text(), QStringLiteral("Connect"));
}

// A network camera's size and colour format are known only from its first picture: the Setup
// screen's lists follow when pictures come, choosing nothing the operator did not choose.
TEST_F(DeviceChangeTest, CameraListsFollowTheFirstPicture) {
    EXPECT_EQ(entries(*setup().ResolutionCombo), env.control.device().resolutions);
    env.control.device().resolutions = QStringList{QStringLiteral("1280x720")};
    env.control.device().colorFormats = QStringList{QStringLiteral("yuv420p")};
    env.control.device().resolution = 0;
    env.control.device().colorFormat = 0;
    env.control.emitCameraState(true, QString());
    EXPECT_EQ(entries(*setup().ResolutionCombo), QStringList{QStringLiteral("1280x720")});
    EXPECT_EQ(setup().ResolutionCombo->currentIndex(), 0);
    EXPECT_EQ(entries(*setup().ColorFormatCombo), QStringList{QStringLiteral("yuv420p")});
    EXPECT_EQ(setup().ColorFormatCombo->currentIndex(), 0);
    EXPECT_TRUE(takeBoxes().isEmpty());
}
