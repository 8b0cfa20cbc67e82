// Cameras and sound sources plugged in and pulled out, fed as scripted udev events.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include <gtest/gtest.h>

using namespace capture_test;
using engine::DeviceEvent;

namespace {

struct Change {
    QString category;
    int action;
    int index;
    QString name;
    bool operator==(const Change&) const = default;
};

struct HotplugRig {
    engine::DeviceEventSource udev;
    adapters::AvCaptureControl ctl;
    Events events;
    std::vector<Change> changes;
    HotplugRig() {
        ctl.setDeviceEventSource(&udev);
        listen(ctl, events);
        QObject::connect(&ctl, &ports::CaptureControl::DeviceChange, &ctl,
                         [this](const QString& c, int a, int i, const QString& n) {
                             // The control's lists are up to date when the event arrives.
                             if (c == ports::kVideoSources && a == 0) {
                                 EXPECT_EQ(ctl.VideoDeviceName(i), n);
                             }
                             changes.push_back({c, a, i, n});
                         });
    }
    void plug(DeviceEvent::Kind kind, bool added, const QString& node, const QString& name = {}) {
        udev.post(deviceEvent(kind, added, node, name));
    }
};

} // namespace

TEST(CaptureHotplug, ArrivalsAreAppendedAndRemovalsTakeTheirPlace) {
    HotplugRig rig;
    const int cameras = rig.ctl.VideoDeviceCount();
    const int sounds = rig.ctl.AudioDeviceCount();
    rig.plug(DeviceEvent::Kind::Video, true, "/dev/video40", "USB Camera A");
    rig.plug(DeviceEvent::Kind::Video, true, "/dev/video41", "USB Camera B");
    rig.plug(DeviceEvent::Kind::Video, true, "/dev/video41", "USB Camera B"); // repeated: ignored
    rig.plug(DeviceEvent::Kind::Sound, true, "hw:7,0", "USB Audio: Mic");
    ASSERT_EQ(rig.ctl.VideoDeviceCount(), cameras + 2);
    ASSERT_EQ(rig.ctl.AudioDeviceCount(), sounds + 1);
    EXPECT_EQ(rig.ctl.VideoDeviceName(cameras + 1), "USB Camera B");

    // The device chosen after the removed one moves up with it.
    rig.ctl.setVideoDeviceIndex(cameras + 1);
    rig.ctl.setAudioDeviceIndex(sounds);
    rig.plug(DeviceEvent::Kind::Video, false, "/dev/video40");
    rig.plug(DeviceEvent::Kind::Video, false, "/dev/video99"); // never listed: ignored
    rig.plug(DeviceEvent::Kind::Sound, false, "hw:7,0");
    EXPECT_EQ(rig.ctl.VideoDeviceIndex(), cameras);
    EXPECT_EQ(rig.ctl.VideoDeviceName(cameras), "USB Camera B");
    EXPECT_EQ(rig.ctl.AudioDeviceIndex(), -1); // its sound source is gone
    EXPECT_EQ(rig.ctl.AudioDeviceCount(), sounds);

    const std::vector<Change> expected{
        {ports::kVideoSources, 0, cameras, "USB Camera A"},
        {ports::kVideoSources, 0, cameras + 1, "USB Camera B"},
        {ports::kAudioSources, 0, sounds, "USB Audio: Mic"},
        {ports::kVideoSources, 1, cameras, "USB Camera A"},
        {ports::kAudioSources, 1, sounds, "USB Audio: Mic"},
    };
    EXPECT_EQ(rig.changes, expected);
    EXPECT_TRUE(rig.events.warnings.empty());
}

TEST(CaptureHotplug, PullingOutTheRecordingCameraEndsTheRecordingAndKeepsTheFile) {
    HotplugRig rig;
    QTemporaryDir dir;
    rig.plug(DeviceEvent::Kind::Video, true, "test:usb", "USB Camera");
    const int usb = rig.ctl.VideoDeviceCount() - 1;
    rig.ctl.Connect(usb);
    rig.ctl.setVideoResolution(0);
    rig.ctl.setVideoCompressor(0);
    rig.ctl.setFrameRate(50);
    rig.ctl.setStreamFileName(dir.filePath("pulled.avi"));
    rig.ctl.StartStreamCapture();
    ASSERT_TRUE(waitUntil([&] { return rig.ctl.FramesCaptured() >= 10; }, 10000));

    rig.plug(DeviceEvent::Kind::Video, false, "test:usb");
    EXPECT_FALSE(rig.ctl.recording());
    EXPECT_FALSE(rig.ctl.Connected());
    EXPECT_EQ(rig.events.count(301), 1);
    ASSERT_EQ(rig.events.warnings.size(), 1u);
    EXPECT_TRUE(rig.events.warnings[0].contains("USB Camera"));
    ASSERT_FALSE(rig.changes.empty());
    EXPECT_EQ(rig.changes.back(), (Change{ports::kVideoSources, 1, usb, "USB Camera"}));
    rig.ctl.StopCapture();
    rig.ctl.Disconnect();
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.events.count(301), 1);

    const Recording r = readRecording(dir.filePath("pulled.avi"));
    ASSERT_TRUE(r.opened);
    ASSERT_GE(r.numbers.size(), 10u);
    for (size_t i = 0; i < r.numbers.size(); ++i)
        EXPECT_EQ(r.numbers[i], int(i));
}
