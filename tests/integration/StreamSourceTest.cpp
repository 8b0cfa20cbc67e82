// A recording played back as a file camera: its pictures reach the frame clock on their times.
#include "CaptureTestSupport.h"

#include "core/engine/StreamSource.h"
#include "core/ports/ControlError.h"
#include "core/run/FrameClock.h"

#include <gtest/gtest.h>

using namespace capture_test;

TEST(StreamSource, AFileCameraGivesEveryPictureItsSlot) {
    TestCameraRig rig;
    rig.ctl.setVideoCompressor(0);
    rig.record("source.avi", 25, 2);
    av::StreamSource source(rig.path("source.avi"));
    EXPECT_EQ(source.size(), QSize(320, 240));
    capture::FrameClock clock({25, 1}, {1, 1000000});
    int pictures = 0;
    while (av::FramePtr f = source.read(std::stop_token())) {
        const capture::Placement p = clock.place(f->pts);
        EXPECT_FALSE(p.extra);
        EXPECT_EQ(p.slot, pictures) << "picture " << pictures;
        ++pictures;
    }
    EXPECT_EQ(pictures, 50);
    EXPECT_EQ(clock.filledGaps(), 0);
    EXPECT_EQ(source.error(), "The stream ended");

    try {
        av::StreamSource missing(rig.path("missing.avi"));
        FAIL() << "a missing file opened";
    } catch (const platform::ControlError& e) {
        EXPECT_EQ(e.number(), platform::errors::kDeviceOpenFailed);
        EXPECT_TRUE(e.description().contains("missing.avi"));
    }
}
