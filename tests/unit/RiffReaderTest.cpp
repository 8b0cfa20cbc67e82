#include "core/media/RiffReader.h"
#include "AviTestBuilder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace avitest;
using namespace media;

TEST(ChunkWalker, StepsOverBodiesWithTheirPadBytes) {
    const std::string bytes =
        chunk("odd1", "abc") + list("rec ", chunk("00dc", "x")) + chunk("even", "abcd");
    MemorySource src(bytes.data(), bytes.size());
    ChunkWalker walk(src, 0, bytes.size(), 100);
    Chunk c;
    ASSERT_TRUE(walk.next(c));
    EXPECT_EQ(c.id, fourcc("odd1"));
    EXPECT_EQ(c.size, 3u);
    EXPECT_FALSE(c.truncated);
    ASSERT_TRUE(walk.next(c));
    EXPECT_EQ(c.id, fourcc("LIST"));
    EXPECT_EQ(c.listType, fourcc("rec "));
    EXPECT_EQ(c.offset, 12u);
    ASSERT_TRUE(walk.next(c));
    EXPECT_EQ(c.id, fourcc("even"));
    EXPECT_FALSE(walk.next(c));
    EXPECT_FALSE(walk.capped());
    EXPECT_EQ(walk.used(), 3);
}

TEST(ChunkWalker, ABodyPastTheEndIsReturnedOnceAndEndsTheWalk) {
    const std::string bytes =
        chunk("good", "ab") + "big " + u32(0xFFFFFFFF) + "xyz" + chunk("lost", "ab");
    MemorySource src(bytes.data(), bytes.size());
    ChunkWalker walk(src, 0, bytes.size(), 100);
    Chunk c;
    ASSERT_TRUE(walk.next(c));
    ASSERT_TRUE(walk.next(c));
    EXPECT_EQ(c.id, fourcc("big "));
    EXPECT_TRUE(c.truncated);
    EXPECT_FALSE(walk.next(c));
}

TEST(ChunkWalker, StopsAtAShortHeaderAndAtItsCap) {
    std::string bytes;
    for (int i = 0; i < 10; ++i)
        bytes += chunk("JUNK", "");
    MemorySource src(bytes.data(), bytes.size() - 3); // the last header is cut short
    ChunkWalker walk(src, 0, bytes.size(), 100);      // the end is clamped to the source
    Chunk c;
    int n = 0;
    while (walk.next(c))
        ++n;
    EXPECT_EQ(n, 9);
    EXPECT_FALSE(walk.capped());

    ChunkWalker capped(src, 0, bytes.size(), 4);
    n = 0;
    while (capped.next(c))
        ++n;
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(capped.capped());
}

TEST(FileSource, ReadsMatchTheFileAcrossBlocksAndRefuseThePastEnd) {
    QTemporaryDir dir;
    std::string bytes(20000, '\0');
    std::mt19937 rng(7);
    for (char& b : bytes)
        b = static_cast<char>(rng());
    const QString path = dir.filePath("data.bin");
    ASSERT_TRUE(writeFile(path, bytes));

    FileSource file;
    ASSERT_EQ(file.open(path), 0);
    EXPECT_EQ(file.size(), bytes.size());
    for (int i = 0; i < 2000; ++i) {
        const std::size_t n = rng() % 64;
        const std::size_t at = rng() % (bytes.size() - n);
        char buf[64];
        ASSERT_TRUE(file.readAt(at, buf, n));
        EXPECT_EQ(std::string(buf, n), bytes.substr(at, n)) << at;
    }
    std::string big(9000, '\0');
    ASSERT_TRUE(file.readAt(5000, big.data(), big.size()));
    EXPECT_EQ(big, bytes.substr(5000, 9000));
    char buf[8];
    EXPECT_FALSE(file.readAt(bytes.size() - 4, buf, 8));
    EXPECT_FALSE(file.readAt(~std::uint64_t{0} - 2, buf, 8));
    EXPECT_TRUE(file.readAt(bytes.size(), buf, 0));

    FileSource missing;
    EXPECT_EQ(missing.open(dir.filePath("none")), ENOENT);
    FileSource folder;
    EXPECT_EQ(folder.open(dir.path()), EISDIR);
}
