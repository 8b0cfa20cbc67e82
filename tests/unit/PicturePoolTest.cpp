// Reused buffers for converted pictures: a buffer goes back when the last copy of its picture is
// gone, is handed out again, and the pool keeps no more than its limit.
#include "core/engine/PicturePool.h"

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

constexpr QSize kSize(64, 32);
constexpr std::size_t kBytes = 64 * 32 * 4;

TEST(PicturePool, BuffersComeBackAndAreUsedAgainWithinTheLimit) {
    struct Case {
        const char* what;
        std::size_t limit;
        int atOnce;       // pictures alive together, then all dropped
        int rounds;       // times that is done
        quint64 made;     // buffers taken from the system in all
        std::size_t kept; // bytes free in the pool at the end
    };
    const Case cases[] = {
        {"one at a time reuses one buffer", 4 * kBytes, 1, 5, 1, kBytes},
        {"three at a time reuse three", 4 * kBytes, 3, 4, 3, 3 * kBytes},
        {"beyond the limit buffers go back to the system", 2 * kBytes, 3, 2, 4, 2 * kBytes},
        {"no limit keeps nothing", 0, 2, 3, 6, 0},
    };
    for (const Case& c : cases) {
        engine::PicturePool pool(c.limit);
        for (int r = 0; r < c.rounds; ++r) {
            std::vector<QImage> alive;
            for (int i = 0; i < c.atOnce; ++i) {
                alive.push_back(pool.take(kSize));
                ASSERT_FALSE(alive.back().isNull()) << c.what;
                EXPECT_EQ(alive.back().format(), QImage::Format_RGB32) << c.what;
                alive.back().fill(Qt::red); // writable, every byte of it
            }
            EXPECT_EQ(pool.counters().bytesOut, kBytes * c.atOnce) << c.what;
        }
        EXPECT_EQ(pool.counters().made, c.made) << c.what;
        EXPECT_EQ(pool.counters().bytesOut, 0u) << c.what;
        EXPECT_EQ(pool.counters().bytesFree, c.kept) << c.what;
    }
}

TEST(PicturePool, APictureHoldsItsBufferUntilItsLastCopyAndMayOutliveThePool) {
    std::optional<engine::PicturePool> pool(std::in_place, 8 * kBytes);
    QImage first = pool->take(kSize);
    first.fill(Qt::blue);
    QImage copy = first;
    first = QImage();
    EXPECT_EQ(pool->counters().bytesOut, kBytes); // the copy still shows it
    QImage other = pool->take(kSize);
    EXPECT_EQ(pool->counters().made, 2u);
    EXPECT_EQ(copy.pixelColor(3, 3), QColor(Qt::blue));
    // Another size: the free buffers of the old one are given back.
    other = QImage();
    EXPECT_EQ(pool->counters().bytesFree, kBytes);
    QImage bigger = pool->take(QSize(128, 32));
    EXPECT_EQ(pool->counters().bytesFree, 0u);
    EXPECT_TRUE(pool->take(QSize(0, 10)).isNull());
    pool.reset(); // the pictures still alive give their buffers back to the pool's last state
    EXPECT_EQ(copy.pixelColor(0, 0), QColor(Qt::blue));
    bigger.fill(Qt::green);
}

TEST(PicturePool, DecoderBuffersAreAlignedAndKeptInEverySize) {
    engine::PicturePool pool(1u << 20);
    const std::size_t sizes[] = {1000, 250, 250, 1000}; // a picture's planes, twice
    std::vector<AVBufferRef*> out;
    for (std::size_t bytes : sizes) {
        out.push_back(pool.takeBuffer(bytes));
        ASSERT_NE(out.back(), nullptr);
        EXPECT_GE(out.back()->size, bytes);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(out.back()->data) % 32, 0u);
        std::fill_n(out.back()->data, bytes, uint8_t(7)); // writable, every byte of it
    }
    EXPECT_EQ(pool.counters().bytesOut, 2500u);
    for (AVBufferRef*& b : out)
        av_buffer_unref(&b);
    EXPECT_EQ(pool.counters().bytesFree, 2500u) << "buffers of both sizes stay";
    for (std::size_t bytes : sizes)
        out.push_back(pool.takeBuffer(bytes));
    EXPECT_EQ(pool.counters().made, 4u) << "the second picture reuses the first one's buffers";
    for (AVBufferRef*& b : out)
        av_buffer_unref(&b);
    EXPECT_EQ(pool.takeBuffer(0), nullptr);
}

} // namespace
