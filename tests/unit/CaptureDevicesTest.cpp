// The capture device lists: the test devices, arrivals and removals, and the chosen device
// following its entry.
#include "core/engine/CaptureDevices.h"
#include "core/ports/ControlError.h"
#include "support/core/DeviceEvents.h"

#include <gtest/gtest.h>

using engine::CaptureDevices;
using engine::DeviceEvent;
using engine::DeviceListChange;
using testsupport::deviceEvent;

namespace {

CaptureDevices twoCameras() {
    return CaptureDevices({{"Cam A", "/dev/video0"}, {"Cam B", "/dev/video2"}},
                          {{"Mic", "hw:1,0"}});
}

} // namespace

TEST(CaptureDevices, TestDevicesFollowThoseFoundAtStart) {
    const CaptureDevices d = twoCameras();
    ASSERT_EQ(d.videoCount(), 3);
    EXPECT_EQ(d.testCameraIndex(), 2);
    EXPECT_EQ(d.video(2).name, CaptureDevices::kTestCameraName);
    EXPECT_EQ(d.testToneIndex(), 1);
    EXPECT_EQ(d.audio(1).name, CaptureDevices::kTestToneName);
    EXPECT_EQ(d.videoIndex(), 0);
    EXPECT_EQ(d.audioIndex(), -1);
    try {
        d.video(3);
        FAIL() << "an index past the list was accepted";
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kInvalidIndex);
    }
}

TEST(CaptureDevices, RemovingTheChosenCameraChoosesTheTestCamera) {
    CaptureDevices d = twoCameras();
    d.setVideoIndex(1);
    const auto change = d.apply(deviceEvent(DeviceEvent::Kind::Video, false, "/dev/video2"));
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(*change, (DeviceListChange{true, 1, 1, "Cam B"}));
    EXPECT_EQ(d.videoIndex(), d.testCameraIndex());
    EXPECT_EQ(d.videoIndex(), 1);
}

TEST(CaptureDevices, EventsThatChangeNothingAreIgnored) {
    CaptureDevices d = twoCameras();
    EXPECT_FALSE(d.apply(deviceEvent(DeviceEvent::Kind::Video, true, "/dev/video0", "Cam A")));
    EXPECT_FALSE(d.apply(deviceEvent(DeviceEvent::Kind::Video, true, "", "No node")));
    EXPECT_FALSE(d.apply(deviceEvent(DeviceEvent::Kind::Video, false, "/dev/video9")));
    EXPECT_FALSE(d.apply(deviceEvent(DeviceEvent::Kind::Sound, false, "hw:9,0")));
    EXPECT_EQ(d.videoCount(), 3);
    EXPECT_EQ(d.audioCount(), 2);
    // A plugged-in test camera is named by its node, like any camera.
    const auto change = d.apply(deviceEvent(DeviceEvent::Kind::Video, true, "test:usb", "USB"));
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->index, 3);
    EXPECT_EQ(d.indexOf(deviceEvent(DeviceEvent::Kind::Video, false, "test:usb")), 3);
    d.setVideoIndex(3);
    EXPECT_TRUE(d.chosenCameraIsTest());
}

TEST(CaptureDevices, NetworkAndFileCamerasSitBetweenTheCamerasAndTheTestCamera) {
    CaptureDevices d({{"Cam A", "/dev/video0"}}, {},
                     {{"Dock", "rtsp://10.0.0.5/stream"}, {"Replay", "/srv/replay.avi"}});
    ASSERT_EQ(d.videoCount(), 4);
    const struct {
        QString name;
        bool stream;
        bool test;
    } rows[] = {{"Cam A", false, false},
                {"Dock", true, false},
                {"Replay", true, false},
                {CaptureDevices::kTestCameraName, false, true}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d.video(i).name, rows[i].name);
        EXPECT_EQ(d.video(i).isStream(), rows[i].stream);
        d.setVideoIndex(i);
        EXPECT_EQ(d.chosenCameraIsTest(), rows[i].test);
    }
    EXPECT_EQ(d.testCameraIndex(), 3);
    // No arrival or removal names a network camera; a camera plugged in later goes last.
    EXPECT_FALSE(d.apply(deviceEvent(DeviceEvent::Kind::Video, false, "")));
    const auto change =
        d.apply(deviceEvent(DeviceEvent::Kind::Video, true, "/dev/video4", "Cam C"));
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->index, 4);
    d.setVideoIndex(2);
    EXPECT_TRUE(d.apply(deviceEvent(DeviceEvent::Kind::Video, false, "/dev/video0")));
    EXPECT_EQ(d.videoIndex(), 1);
    EXPECT_EQ(d.video(1).url, "/srv/replay.avi");
}
