#include "core/run/FrameClock.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace capture;

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
        int64_t placed = 0, filled = 0;
        for (int k = 0; k < c.pictures; ++k) {
            const std::optional<Picture> pic = c.camera(k);
            if (!pic)
                continue;
            const Placement p = clock.place(pic->stamp);
            if (p.extra)
                continue;
            ++placed;
            filled += p.filled;
            // Slot n shows a picture taken within half a slot of n / rate after slot 0.
            const __int128 d = __int128(pic->trueTime) * c.timeBase.num * c.rate.num -
                               __int128(p.slot) * c.timeBase.den * c.rate.den;
            ASSERT_LE(2 * (d < 0 ? -d : d), __int128(c.timeBase.den) * c.rate.den)
                << "picture " << k << " in slot " << p.slot;
        }
        EXPECT_EQ(clock.slotCount(), c.slots);
        EXPECT_EQ(clock.extras(), c.extras);
        EXPECT_EQ(clock.filledGaps(), c.filled);
        EXPECT_EQ(clock.jumps(), c.jumps);
        EXPECT_EQ(placed + filled, clock.slotCount()) << "every slot is a picture or a repeat";
    }
}
