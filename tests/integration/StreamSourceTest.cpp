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
    engine::StreamSource source(rig.path("source.avi"));
    EXPECT_EQ(source.size(), QSize(320, 240));
    run::FrameClock clock({25, 1}, {1, 1000000});
    int pictures = 0;
    while (engine::FramePtr f = source.read(std::stop_token())) {
        const run::Placement p = clock.place(f->pts);
        EXPECT_FALSE(p.extra);
        EXPECT_EQ(p.filled, 0) << "picture " << pictures;
        EXPECT_EQ(p.slot, pictures) << "picture " << pictures;
        ++pictures;
    }
    EXPECT_EQ(pictures, 50);
    EXPECT_EQ(source.error(), "The stream ended");

    try {
        engine::StreamSource missing(rig.path("missing.avi"));
        FAIL() << "a missing file opened";
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kDeviceOpenFailed);
        EXPECT_TRUE(e.description().contains("missing.avi"));
    }
}
