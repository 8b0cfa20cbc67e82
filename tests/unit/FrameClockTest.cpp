#include "core/run/FrameClock.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace run;

namespace {

// One camera run: for picture k, the true capture time (ticks from the first picture) and the
// time stamp the driver reports; a picture the camera never delivered has no true time.
struct Picture {
    int64_t trueTime;
    int64_t stamp;
};

struct ClockCase {
    std::string name;
    Fraction rate;
    Fraction timeBase;
    int pictures;
    std::function<std::optional<Picture>(int k)> camera;
    int64_t slots;
    int64_t extras;
    int64_t filled;
    int64_t jumps;
};

constexpr Fraction kMpeg{1, 90000}; // 1/30 s and 1/29.97 s are whole ticks
constexpr Fraction kMicro{1, 1000000};

std::optional<Picture> steady(int64_t period, int k) {
    return Picture{period * k, period * k};
}

// -720 .. 720 ticks (8 ms), the same sequence every run.
int64_t jitter(int k) {
    uint32_t x = uint32_t(k) * 2654435761u;
    x ^= x >> 15;
    return int64_t(x % 1441) - 720;
}

} // namespace

TEST(FrameClock, SlotsFollowRealTimeWhateverTheCameraDelivers) {
    const std::vector<ClockCase> cases = {
        {"camera 30 at rate 25 drops one picture in six",
         {25, 1},
         kMpeg,
         300,
         [](int k) { return steady(3000, k); },
         250,
         50,
         0,
         0},
        {"camera 30 at rate 15 drops every other picture",
         {15, 1},
         kMpeg,
         300,
         [](int k) { return steady(3000, k); },
         151,
         149,
         0,
         0},
        {"camera 29.97 at rate 30 over 40 s fills one slot",
         {30, 1},
         kMpeg,
         1199,
         [](int k) { return steady(3003, k); },
         1200,
         0,
         1,
         0},
        {"camera 30 at rate 29.97 drops one picture",
         {30000, 1001},
         kMpeg,
         1200,
         [](int k) { return steady(3000, k); },
         1199,
         1,
         0,
         0},
        {"8 ms of jitter moves no picture",
         {30, 1},
         kMpeg,
         300,
         [](int k) {
             return Picture{3000 * k, 3000 * k + jitter(k)};
         },
         300,
         0,
         0,
         0},
        {"a 300 ms stall is filled with repeats",
         {30, 1},
         kMpeg,
         300,
         [](int k) -> std::optional<Picture> {
             if (k >= 100 && k < 109)
                 return std::nullopt;
             return steady(3000, k);
         },
         300,
         0,
         9,
         0},
        {"time stamps starting at a large value",
         {25, 1},
         kMicro,
         250,
         [](int k) {
             return Picture{40000 * k, 1'000'000'000'000'000 + 40000 * k};
         },
         250,
         0,
         0,
         0},
        {"a backwards jump (driver restart) shifts nothing",
         {30, 1},
         kMpeg,
         300,
         [](int k) {
             return Picture{3000 * k, k < 150 ? 3000 * k : 77 + 3000 * (k - 150)};
         },
         300,
         0,
         0,
         1},
        {"a jump of an hour ahead is no stall",
         {30, 1},
         kMpeg,
         300,
         [](int k) {
             return Picture{3000 * k, k < 150 ? 3000 * k : 3000 * k + 3600 * 90000};
         },
         300,
         0,
         0,
         1},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.name);
        FrameClock clock(c.rate, c.timeBase);
        int64_t placed = 0, filled = 0, extras = 0, jumps = 0;
        for (int k = 0; k < c.pictures; ++k) {
            const std::optional<Picture> pic = c.camera(k);
            if (!pic)
                continue;
            const Placement p = clock.place(pic->stamp);
            jumps += p.jumped;
            if (p.extra) {
                ++extras;
                continue;
            }
            ++placed;
            filled += p.filled;
            // Slot n shows a picture taken within half a slot of n / rate after slot 0.
            const __int128 d = __int128(pic->trueTime) * c.timeBase.num * c.rate.num -
                               __int128(p.slot) * c.timeBase.den * c.rate.den;
            ASSERT_LE(2 * (d < 0 ? -d : d), __int128(c.timeBase.den) * c.rate.den)
                << "picture " << k << " in slot " << p.slot;
        }
        EXPECT_EQ(clock.slotCount(), c.slots);
        EXPECT_EQ(extras, c.extras);
        EXPECT_EQ(filled, c.filled);
        EXPECT_EQ(jumps, c.jumps);
        EXPECT_EQ(placed + filled, clock.slotCount()) << "every slot is a picture or a repeat";
    }
}

namespace {

// A camera at 30 pictures a second whose pictures reach the machine `delayUs` after they were
// taken. Picture k is taken at k / 30 s of real time unless the camera is out then; its time
// stamp is the camera's own.
struct RealTimeCase {
    std::string name;
    int pictures;
    std::function<bool(int k)> out;             // no picture k: the camera is away
    std::function<int64_t(int k)> stamp;        // microseconds, any origin
    std::function<int64_t(int k)> delayUs = {}; // none: 20 ms
    int64_t jumps;
    bool outage; // one picture comes back after a time without pictures
};

constexpr int64_t kFrameUs = 1000000 / 30; // 33333

int64_t at(int k) {
    return int64_t(k) * 1000000 / 30;
}

} // namespace

// Whatever the time stamps do, slot n stays n / rate after slot 0 within one slot; through an
// outage the slots go on with real time and repeat the last picture.
TEST(FrameClock, SlotsStayOnRealTimeWhenTimeStampsDoNot) {
    const int kOut0 = 150; // 5 s in
    const std::vector<RealTimeCase> cases = {
        {"time stamps restart",
         450,
         [](int) { return false; },
         [](int k) { return k < kOut0 ? at(k) : 1'400'000 + at(k - kOut0); },
         {},
         1,
         false},
        {"time stamps jump back 3 s",
         450,
         [](int) { return false; },
         [](int k) { return k < kOut0 ? at(k) : at(k) - 3'000'000; },
         {},
         1,
         false},
        {"time stamps jump ahead 3 s",
         450,
         [](int) { return false; },
         [](int k) { return k < kOut0 ? at(k) : at(k) + 3'000'000; },
         {},
         1,
         false},
        {"time stamps jump an hour ahead",
         450,
         [](int) { return false; },
         [](int k) { return k < kOut0 ? at(k) : at(k) + 3'600'000'000; },
         {},
         1,
         false},
        {"time stamps stop for 2 s and go on where they stopped",
         450,
         [](int k) { return k >= kOut0 && k < kOut0 + 60; },
         [](int k) { return k < kOut0 ? at(k) : at(k - 60); },
         {},
         1,
         true},
        {"time stamps stop for 8 s and start again",
         600,
         [](int k) { return k >= kOut0 && k < kOut0 + 240; },
         [](int k) { return k < kOut0 ? at(k) : 1'400'000 + at(k - kOut0 - 240); },
         {},
         1,
         true},
        {"a 4 s outage the camera's clock ran through",
         450,
         [](int k) { return k >= kOut0 && k < kOut0 + 120; },
         [](int k) { return at(k); },
         {},
         0,
         true},
        {"100 ms of network jitter moves no slot", 450, [](int) { return false; },
         [](int k) { return at(k); }, [](int k) { return 20'000 + (k * 7919) % 100'000; }, 0,
         false},
        {"a half-second stall whose pictures come late in a burst", 450, [](int) { return false; },
         [](int k) { return at(k); },
         [](int k) { return k >= kOut0 && k < kOut0 + 15 ? at(kOut0 + 15) - at(k) : 20'000; }, 0,
         false},
        {"time stamps restart with the first picture 200 ms late", 450, [](int) { return false; },
         [](int k) { return k < kOut0 ? at(k) : 1'400'000 + at(k - kOut0); },
         [](int k) { return k == kOut0 ? 220'000 : 20'000; }, 1, false},
    };
    for (const RealTimeCase& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t now = 0;
        FrameClock clock({30, 1}, kMicro, [&now] { return 5'000'000'000 + now; });
        const auto delay = [&](int k) { return c.delayUs ? c.delayUs(k) : 20'000; };
        const int64_t origin = delay(0); // slot 0's picture came then
        int64_t placed = 0, idleFilled = 0, placedFilled = 0, resumed = 0, jumps = 0;
        for (int k = 0; k < c.pictures; ++k) {
            // The recording looks in every 100 ms while no picture comes.
            const int64_t arrival = at(k) + delay(k);
            for (; now + 100'000 < arrival; now += 100'000) {
                const int64_t before = clock.slotCount();
                idleFilled += clock.idle() - before;
                ASSERT_LE(clock.slotCount(), (now - origin) / kFrameUs + 1)
                    << "slots ahead of real time at " << now << " us";
            }
            if (c.out(k))
                continue;
            now = std::max(now, arrival);
            const Placement p = clock.place(c.stamp(k));
            resumed += p.resumed;
            jumps += p.jumped;
            if (p.extra)
                continue;
            ++placed;
            placedFilled += p.filled;
            // Within one slot of the real time the picture was taken (a late picture after a
            // jump cannot be told from one on time: it lands when it came).
            if (p.jumped && delay(k) > delay(0))
                continue;
            ASSERT_LE(std::llabs(p.slot * kFrameUs - at(k)), kFrameUs)
                << "picture " << k << " in slot " << p.slot;
        }
        // Every slot is a picture or a repeat, and the last slot is within one of real time.
        EXPECT_EQ(placed + idleFilled + placedFilled, clock.slotCount());
        EXPECT_LE(std::llabs(clock.slotCount() - c.pictures), 1);
        EXPECT_EQ(jumps, c.jumps);
        EXPECT_EQ(resumed, c.outage ? 1 : 0);
        if (c.outage) {
            EXPECT_GT(idleFilled, 0) << "the outage's slots came while it lasted";
        }
    }
}
