// The one window of decoded pictures: bounded in bytes, dropping the pictures farthest from the
// position, counting the lookups of pictures to show.
#include "core/engine/FrameCache.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

QImage picture(int w = 100, int h = 100) {
    QImage img(w, h, QImage::Format_RGB32); // 100 x 100: 40000 bytes
    img.fill(Qt::gray);
    return img;
}

std::vector<int> kept(const engine::FrameCache& cache, int upTo) {
    std::vector<int> out;
    for (int i = 0; i <= upTo; ++i)
        if (cache.contains(i))
            out.push_back(i);
    return out;
}

TEST(FrameCache, DropsTheFarthestPicturesFirst) {
    const std::size_t one = static_cast<std::size_t>(picture().sizeInBytes());
    engine::FrameCache cache(one * 4);
    EXPECT_EQ(cache.capacityFor(picture()), 4);
    cache.setPosition(12);
    for (int i = 10; i < 14; ++i)
        cache.put(0, i, picture());
    EXPECT_EQ(cache.size(), 4);
    // Moving on to 14 drops 10, the one farthest behind.
    cache.setPosition(14);
    cache.put(0, 14, picture());
    EXPECT_FALSE(cache.contains(10));
    EXPECT_TRUE(cache.contains(11));
    EXPECT_TRUE(cache.contains(14));
    EXPECT_LE(cache.bytes(), cache.budget());
    // Going back to 9: the farthest ahead goes.
    cache.setPosition(9);
    cache.put(0, 9, picture());
    EXPECT_TRUE(cache.contains(9));
    EXPECT_FALSE(cache.contains(14));
    // A picture farther away than everything kept is not kept.
    cache.put(0, 100, picture());
    EXPECT_FALSE(cache.contains(100));
    EXPECT_EQ(cache.size(), 4);
}

TEST(FrameCache, NearestAtOrBeforeAndReplacement) {
    engine::FrameCache cache(1u << 20);
    cache.setPosition(5);
    cache.put(0, 5, picture());
    cache.put(0, 8, picture(20, 20));
    EXPECT_FALSE(cache.atOrBefore(4).has_value());
    EXPECT_EQ(cache.atOrBefore(5)->first, 5);
    EXPECT_EQ(cache.atOrBefore(7)->first, 5);
    EXPECT_EQ(cache.atOrBefore(50)->first, 8);
    const std::size_t before = cache.bytes();
    cache.put(0, 8, picture(20, 20)); // the same frame again is counted once
    EXPECT_EQ(cache.bytes(), before);
    cache.put(0, 6, QImage()); // a null picture is not kept
    EXPECT_FALSE(cache.contains(6));
    cache.clear();
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.bytes(), 0u);
}

TEST(FrameCache, PictureLargerThanTheBudgetIsNotKept) {
    engine::FrameCache cache(1000);
    cache.put(0, 1, picture());
    EXPECT_FALSE(cache.contains(1));
    EXPECT_EQ(cache.capacityFor(picture()), 2); // never less than a step each way
}

// Pictures of different sizes: the bound is the sum of their bytes, not a count.
TEST(FrameCache, StaysWithinItsBudgetInBytes) {
    struct Put {
        int frame;
        int side; // a square picture of side x side, 4 bytes a pixel
    };
    struct Case {
        const char* what;
        std::size_t budget;
        int position;
        std::vector<Put> puts;
        std::vector<int> kept;
        std::size_t bytes;
    };
    const Case cases[] = {
        {"exactly full keeps all", 80000, 1, {{0, 100}, {1, 100}}, {0, 1}, 80000},
        {"small pictures fill the room of a large one",
         90000,
         3,
         {{0, 100}, {1, 50}, {2, 100}, {3, 100}},
         {1, 2, 3},
         90000},
        {"one large picture pushes out several small ones",
         60000,
         9,
         {{0, 50}, {1, 50}, {2, 50}, {3, 50}, {9, 100}},
         {2, 3, 9},
         60000},
        {"a smaller picture of the same frame frees bytes",
         50000,
         0,
         {{0, 100}, {0, 50}},
         {0},
         10000},
        {"equally far on both sides: the lower frame goes first",
         80000,
         5,
         {{4, 100}, {6, 100}, {5, 100}},
         {5, 6},
         80000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine::FrameCache cache(c.budget);
        cache.setPosition(c.position);
        for (const Put& p : c.puts)
            cache.put(0, p.frame, picture(p.side, p.side));
        EXPECT_EQ(kept(cache, 20), c.kept);
        EXPECT_EQ(cache.bytes(), c.bytes);
        EXPECT_LE(cache.bytes(), cache.budget());
    }
}

TEST(FrameCache, PicturesOfAnotherFileAreNotKept) {
    engine::FrameCache cache(1u << 20);
    cache.clear(7);
    cache.put(6, 0, picture()); // still on its way from the file shown before
    cache.put(7, 1, picture());
    EXPECT_EQ(kept(cache, 5), std::vector<int>{1});
    cache.clear(8);
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.position(), 0);
}

// Only get(), the lookup of a picture to show, counts; the worker's planning does not.
TEST(FrameCache, CountsHitsAndMisses) {
    struct Lookup {
        int frame;
        bool hit;
    };
    const Lookup lookups[] = {{0, true}, {1, true}, {2, false}, {1, true}, {-1, false}};
    engine::FrameCache cache(1u << 20);
    cache.put(0, 0, picture());
    cache.put(0, 1, picture());
    quint64 hits = 0, misses = 0;
    for (const Lookup& l : lookups) {
        SCOPED_TRACE(l.frame);
        EXPECT_EQ(cache.get(l.frame).has_value(), l.hit);
        (l.hit ? hits : misses)++;
        EXPECT_EQ(cache.counters().hits, hits);
        EXPECT_EQ(cache.counters().misses, misses);
    }
    EXPECT_TRUE(cache.contains(0));
    EXPECT_TRUE(cache.atOrBefore(5).has_value());
    cache.clear(1); // a new file keeps the counts
    EXPECT_EQ(cache.counters().hits, 3u);
    EXPECT_EQ(cache.counters().misses, 2u);
}

// Pictures kept as the decoder gave them: counted by their buffers, converted when looked up, and
// a frame with no picture of its own shares the one before it.
TEST(FrameCache, KeepsDecodedPicturesCompactAndConvertsThemToShow) {
    engine::FramePtr yuv = engine::makeFrame();
    ASSERT_TRUE(yuv);
    yuv->width = 64;
    yuv->height = 32;
    yuv->format = AV_PIX_FMT_YUV420P;
    ASSERT_GE(av_frame_get_buffer(yuv.get(), 0), 0);
    const int fill[3] = {235, 128, 128}; // white
    for (int plane = 0; plane < 3; ++plane)
        for (int y = 0; y < (plane ? 16 : 32); ++y)
            std::memset(yuv->data[plane] + y * yuv->linesize[plane], fill[plane], plane ? 32 : 64);
    const std::size_t compact = engine::frameBytes(yuv.get());
    EXPECT_GE(compact, 64u * 32u * 3u / 2u);
    EXPECT_LT(compact, 64u * 32u * 4u); // smaller than the converted picture

    engine::FrameCache cache(3 * compact);
    cache.setPosition(2);
    cache.put(0, 1, yuv.get());
    EXPECT_EQ(cache.bytes(), compact);
    EXPECT_TRUE(cache.putNearestBefore(0, 2));
    EXPECT_FALSE(cache.putNearestBefore(0, 0)); // nothing before frame 0
    EXPECT_EQ(cache.size(), 2);
    for (int frame : {1, 2}) {
        SCOPED_TRACE(frame);
        const std::optional<QImage> shown = cache.get(frame);
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(shown->size(), QSize(64, 32));
        EXPECT_EQ(shown->format(), QImage::Format_RGB32);
        EXPECT_GE(qGray(shown->pixel(10, 10)), 250);
    }
    EXPECT_EQ(cache.atOrBefore(5)->first, 2);
    // The cache shares the decoder's buffers: the picture stays valid after the decoder lets go.
    yuv.reset();
    EXPECT_GE(qGray(cache.get(1)->pixel(63, 31)), 250);
    cache.put(0, 3, static_cast<const AVFrame*>(nullptr));
    EXPECT_FALSE(cache.contains(3));
}

} // namespace
