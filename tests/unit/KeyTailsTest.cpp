// Which pictures before key frames the idle decode worker fills and keeps: the nearest to the
// shown frame, within its room, the farthest dropped as the operator moves on.
#include "core/engine/KeyTails.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

engine::FramePtr picture() {
    engine::FramePtr f = engine::makeFrame();
    f->format = AV_PIX_FMT_GRAY8;
    f->width = 4;
    f->height = 4;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    return f;
}

std::set<int> keptOf(const engine::KeyTails& tails, const std::vector<int>& frames) {
    std::set<int> out;
    for (int f : frames)
        if (tails.find(f))
            out.insert(f);
    return out;
}

TEST(KeyTails, NearestLongGroupsFirstWithinTheRoom) {
    // Groups of 250 frames, one of 8 (too short to need a tail) and a last one of 250.
    const std::vector<int> keys = {0, 250, 500, 750, 758, 1008};
    struct Case {
        const char* what;
        int shown;
        std::set<int> keptElsewhere;
        int expected;
    };
    const Case cases[] = {
        {"at the start: the first tail", 0, {}, 249},
        {"on a key frame: its own tail", 500, {}, 499},
        {"between two: the nearer", 630, {}, 749},
        {"a short group has none", 757, {}, 749},
        {"in the frame cache already: the next nearest", 490, {499}, 249},
        {"after the last key: the last tail", 2000, {}, 1007},
    };
    for (const Case& c : cases) {
        engine::KeyTails tails;
        tails.reset(keys, 2);
        EXPECT_EQ(tails.next(c.shown, [&](int i) { return c.keptElsewhere.contains(i); }),
                  c.expected)
            << c.what;
    }
    // The room is shared out: one picture before each of the nearest key frames, more before
    // each when it holds one for all of them, never more than kMaxDepth.
    struct Room {
        std::size_t limit;
        int depth;
        std::size_t capacity;
    };
    for (const Room& r : {Room{0, 0, 0}, Room{2, 1, 2}, Room{3, 1, 3}, Room{8, 2, 8},
                          Room{40, engine::KeyTails::kMaxDepth, 4 * engine::KeyTails::kMaxDepth}}) {
        engine::KeyTails tails;
        tails.reset(keys, r.limit);
        EXPECT_EQ(tails.depth(), r.depth) << r.limit;
        EXPECT_EQ(tails.capacity(), r.capacity) << r.limit;
    }
    engine::KeyTails none;
    none.reset(keys, 0);
    EXPECT_EQ(none.next(500, [](int) { return false; }), -1) << "no room, nothing to do";
    engine::KeyTails intra;
    intra.reset({0, 1, 2, 3, 4}, 5);
    EXPECT_EQ(intra.capacity(), 0u) << "every frame a key: nothing before them to keep";
}

TEST(KeyTails, KeepsTheNearestAndDropsTheFarthestAsTheOperatorMoves) {
    const std::vector<int> keys = {0, 250, 500, 750, 1000};
    const std::vector<int> all = {249, 499, 749, 999};
    const auto none = [](int) { return false; };
    engine::KeyTails tails;
    tails.reset(keys, 2);
    EXPECT_EQ(tails.capacity(), 2u);
    engine::FramePtr f = picture();
    tails.offer(500, f.get(), 300); // not a tail
    tails.offer(999, f.get(), 300); // a tail, but not among the two nearest
    EXPECT_EQ(keptOf(tails, all), std::set<int>{});
    tails.offer(249, f.get(), 300);
    EXPECT_EQ(tails.next(300, none), 499);
    tails.offer(499, f.get(), 300);
    EXPECT_EQ(keptOf(tails, all), (std::set<int>{249, 499}));
    EXPECT_EQ(tails.next(300, none), -1) << "the room is full of the nearest";
    // The operator goes to the end: the tails there are wanted and the far ones are dropped.
    EXPECT_EQ(tails.next(990, none), 999);
    EXPECT_EQ(keptOf(tails, all), std::set<int>{});
    tails.offer(999, f.get(), 990);
    EXPECT_EQ(tails.next(990, none), 749);
    // A tail that cannot be decoded is not tried again.
    tails.giveUp(749);
    EXPECT_EQ(tails.next(990, none), -1);
    // The kept picture is the one offered, shared with the decoder's.
    ASSERT_NE(tails.find(999), nullptr);
    EXPECT_EQ(tails.find(999)->data[0], f->data[0]);
    // Room for two before each key frame: the two last before the nearest are kept, not three.
    engine::KeyTails deeper;
    deeper.reset(keys, 8);
    ASSERT_EQ(deeper.depth(), 2);
    for (int frame : {497, 498, 499, 749, 750})
        deeper.offer(frame, f.get(), 300);
    EXPECT_EQ(keptOf(deeper, {497, 498, 499, 749, 750}), (std::set<int>{498, 499, 749}));
}

} // namespace
