// The decoded-frame window: bounded in bytes, dropping the pictures farthest from the position.
#include "core/engine/FrameCache.h"

#include <gtest/gtest.h>

namespace {

QImage picture(int w = 100, int h = 100) {
    QImage img(w, h, QImage::Format_RGB32); // 40000 bytes
    img.fill(Qt::gray);
    return img;
}

TEST(FrameCache, DropsTheFarthestPicturesFirst) {
    const std::size_t one = static_cast<std::size_t>(picture().sizeInBytes());
    av::FrameCache cache(one * 4);
    EXPECT_EQ(cache.capacityFor(picture()), 4);
    for (int i = 10; i < 14; ++i)
        cache.put(i, picture(), 12);
    EXPECT_EQ(cache.size(), 4);
    // Moving on to 14 drops 10, the one farthest behind.
    cache.put(14, picture(), 14);
    EXPECT_FALSE(cache.contains(10));
    EXPECT_TRUE(cache.contains(11));
    EXPECT_TRUE(cache.contains(14));
    EXPECT_LE(cache.bytes(), cache.budget());
    // Going back to 9: the farthest ahead goes.
    cache.put(9, picture(), 9);
    EXPECT_TRUE(cache.contains(9));
    EXPECT_FALSE(cache.contains(14));
    // A picture farther away than everything kept is not kept.
    cache.put(100, picture(), 9);
    EXPECT_FALSE(cache.contains(100));
    EXPECT_EQ(cache.size(), 4);
}

TEST(FrameCache, NearestAtOrBeforeAndReplacement) {
    av::FrameCache cache(1u << 20);
    cache.put(5, picture(), 5);
    cache.put(8, picture(20, 20), 5);
    EXPECT_FALSE(cache.atOrBefore(4).has_value());
    EXPECT_EQ(cache.atOrBefore(5)->first, 5);
    EXPECT_EQ(cache.atOrBefore(7)->first, 5);
    EXPECT_EQ(cache.atOrBefore(50)->first, 8);
    const std::size_t before = cache.bytes();
    cache.put(8, picture(20, 20), 5); // the same frame again is counted once
    EXPECT_EQ(cache.bytes(), before);
    cache.put(6, QImage(), 5); // a null picture is not kept
    EXPECT_FALSE(cache.contains(6));
    cache.clear();
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.bytes(), 0u);
}

TEST(FrameCache, PictureLargerThanTheBudgetIsNotKept) {
    av::FrameCache cache(1000);
    cache.put(1, picture(), 1);
    EXPECT_FALSE(cache.contains(1));
    EXPECT_EQ(cache.capacityFor(picture()), 2); // never less than a step each way
}

} // namespace
