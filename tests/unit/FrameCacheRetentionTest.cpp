// Which pictures the frame cache keeps while the player moves one way, and which frame the idle
// decode worker fills next (the two rules that make a held arrow key cheap).
#include "core/engine/FrameCache.h"
#include "core/engine/PrefetchPlan.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

QImage picture() {
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::gray);
    return img;
}

std::set<int> keptIn(const engine::FrameCache& cache, int from, int to) {
    std::set<int> out;
    for (int i = from; i <= to; ++i)
        if (cache.contains(i))
            out.insert(i);
    return out;
}

TEST(FrameCacheRetention, PassedFramesGoFirstWhenMovingOneWay) {
    struct Case {
        const char* what;
        int direction;
        std::set<int> expected; // of frames 0..20 put around position 10, room for 10
    };
    const Case cases[] = {
        // After a jump both sides count alike: the nearest ten (of two alike, the lower goes).
        {"jump", 0, {6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        // Moving back: frame 10 + k passed costs 4k, so 10 + 1 and 10 + 2 stay against 10 - 7.
        {"back", -1, {3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"forward", 1, {9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
    };
    const std::size_t one = static_cast<std::size_t>(picture().sizeInBytes());
    for (const Case& c : cases) {
        engine::FrameCache cache(one * 10);
        cache.setPosition(10, c.direction);
        for (int i = 0; i <= 20; ++i)
            cache.put(0, i, picture());
        EXPECT_EQ(keptIn(cache, 0, 20), c.expected) << c.what;
        EXPECT_LE(cache.bytes(), cache.budget()) << c.what;
        // worthKeeping agrees with what put() would do.
        EXPECT_FALSE(cache.worthKeeping(c.direction < 0 ? 19 : 1, one)) << c.what;
        EXPECT_TRUE(cache.worthKeeping(10, one)) << c.what;
    }
}

TEST(FrameCacheRetention, TheDecodersShareComesOffTheBudget) {
    const std::size_t one = static_cast<std::size_t>(picture().sizeInBytes());
    engine::FrameCache cache(one * 10);
    cache.setPosition(5);
    for (int i = 0; i <= 10; ++i)
        cache.put(0, i, picture());
    EXPECT_EQ(cache.size(), 10);
    cache.setReserve(one * 4); // the farthest pictures go at once
    EXPECT_EQ(keptIn(cache, 0, 10), (std::set<int>{3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(cache.capacityFor(one), 6);
    cache.setReserve(one * 9); // at most half the budget
    EXPECT_EQ(cache.capacityFor(one), 5);
}

// The cache of a PrefetchPlan test: a set of kept frames.
struct Kept {
    std::set<int> frames;
    bool operator()(int i) const { return frames.count(i) != 0; }
};

TEST(PrefetchPlan, NeighboursFirstThenTheWayTheOperatorMoves) {
    struct Case {
        const char* what;
        int shown, direction;
        std::set<int> kept;
        int expected;
    };
    const int cap = 20, last = 999;
    const engine::PrefetchWindow back = engine::prefetchWindow(-1, cap);
    const Case cases[] = {
        {"forward: next frame first", 100, 1, {100}, 101},
        {"forward: then the one behind", 100, 1, {100, 101}, 99},
        {"forward: then ahead, lowest first", 100, 1, {99, 100, 101, 103}, 102},
        {"back: previous frame first (previous group)", 250, -1, {250}, 249},
        {"back: then the next one", 250, -1, {249, 250}, 251},
        {"jump: next, then previous", 250, 0, {250, 251}, 249},
        {"jump: behind, highest missing first", 250, 0, {248, 249, 250, 251, 252, 253, 254}, 247},
        {"start of the file: nothing before 0", 0, -1, {0, 1}, -1},
    };
    for (const Case& c : cases) {
        engine::PrefetchPlan plan;
        Kept kept{c.kept};
        EXPECT_EQ(plan.next(c.shown, c.direction, cap, last, kept), c.expected) << c.what;
    }
    // Moving back with enough kept below the low-water mark: nothing to do, even though frames
    // farther back are missing; once one inside it is missing, a batch fills the window: one
    // decode run up to its highest missing frame, keeping the window's frames on its way.
    engine::PrefetchPlan plan;
    Kept kept;
    for (int i = 500 - back.lowWater; i <= 501; ++i)
        kept.frames.insert(i);
    EXPECT_EQ(plan.next(500, -1, cap, last, kept), -1);
    kept.frames.erase(500 - back.lowWater);
    const int top = plan.next(500, -1, cap, last, kept);
    EXPECT_EQ(top, 500 - back.lowWater);
    // The operator moves on while the run decodes: the batch still ends at its top, and the
    // frames the moved window takes in wait for the next batch (each batch decodes the group
    // from its key frame once).
    EXPECT_EQ(plan.next(498, -1, cap, last, kept), top);
    for (int i = 500 - back.behind; i <= top; ++i)
        kept.frames.insert(i);
    EXPECT_EQ(plan.next(498, -1, cap, last, kept), -1);
    // The next batch when the low-water mark reaches the first frame missing.
    const int bottom = 500 - back.behind;
    EXPECT_EQ(plan.next(bottom + back.lowWater, -1, cap, last, kept), -1);
    EXPECT_EQ(plan.next(bottom + back.lowWater - 1, -1, cap, last, kept), bottom - 1);
}

} // namespace
