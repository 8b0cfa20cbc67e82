// Length of recordings whose headers do not hold it: counted from the video chunks.
#include "AviTestBuilder.h"
#include "core/media/AviInfo.h"

#include <gtest/gtest.h>

using namespace avitest;
using namespace media;

namespace {

// Parses `bytes`; the length, or nothing when the file is refused.
std::optional<std::uint32_t> lengthOf(const std::string& bytes,
                                      const AviReadLimits& limits = AviReadLimits{}) {
    MemorySource src(bytes.data(), bytes.size());
    AviFileInfo info;
    if (parseAviInfo(src, false, info, limits) != AviReadStatus::Ok)
        return std::nullopt;
    return info.dwLength;
}

Avi recording(int frames) {
    Avi avi;
    avi.frames = frames;
    avi.audioChunks = true;
    avi.streams.push_back(Stream{"auds", std::string(4, '\0'), 1, 8000, 0, 0, 0, 0, {}});
    return avi;
}

} // namespace

TEST(AviRecordingLength, HeaderCountsOfZeroAreReplacedByCountingVideoChunks) {
    Avi avi = recording(6);
    avi.idx1 = false;
    EXPECT_EQ(lengthOf(avi.bytes()), 6u);
    avi.recLists = true; // chunks grouped in 'rec ' lists count the same
    EXPECT_EQ(lengthOf(avi.bytes()), 6u);
}

TEST(AviRecordingLength, CutOffRecordingCountsItsCompleteFrames) {
    Avi avi = recording(6);
    std::string bytes = avi.unfinishedBytes();
    EXPECT_EQ(lengthOf(bytes), 6u);
    // Cut inside the sixth frame: five complete frames remain.
    const std::size_t sixthFrame = bytes.rfind("00dc");
    bytes.resize(sixthFrame + 12);
    EXPECT_EQ(lengthOf(bytes), 5u);

    // Writers that leave 0 rather than 0xFFFFFFFF in the open sizes.
    bytes.replace(4, 4, u32(0));
    bytes.replace(bytes.find("movi") - 4, 4, u32(0));
    EXPECT_EQ(lengthOf(bytes), 5u);
}

TEST(AviRecordingLength, StaleCountsOfAnUnfinishedRecordingGiveWayToTheChunks) {
    Avi avi = recording(6);
    avi.totalFrames = 2;
    avi.streams[0].length = 2; // written when two frames were in
    EXPECT_EQ(lengthOf(avi.unfinishedBytes()), 6u);
    // A finished file with its index keeps the count its headers give.
    EXPECT_EQ(lengthOf(avi.bytes()), 2u);
}

TEST(AviRecordingLength, CountsBeyondWhatTheFileCanHoldAreNotBelieved) {
    Avi avi = recording(4);
    avi.streams[0].length = 0xFFFFFFFF;
    avi.totalFrames = 1000000;
    EXPECT_EQ(lengthOf(avi.bytes()), 4u);
}

TEST(AviRecordingLength, CountsTheStreamThatIsVideo) {
    // Sound first, video second: the video chunks are '01dc'.
    Avi avi;
    avi.frames = 5;
    avi.idx1 = false;
    avi.audioChunks = true;
    avi.videoId = "01dc";
    avi.audioId = "00wb";
    avi.streams.insert(avi.streams.begin(),
                       Stream{"auds", std::string(4, '\0'), 1, 8000, 0, 0, 0, 0, {}});
    EXPECT_EQ(lengthOf(avi.bytes()), 5u);
    avi.videoId = "01db"; // uncompressed frames
    EXPECT_EQ(lengthOf(avi.bytes()), 5u);
}

TEST(AviRecordingLength, TheChunkScanIsCapped) {
    Avi avi = recording(50);
    avi.idx1 = false;
    AviReadLimits limits;
    limits.maxCountedChunks = 20; // frames and sound chunks alternate
    const auto counted = lengthOf(avi.bytes(), limits);
    ASSERT_TRUE(counted.has_value());
    EXPECT_LE(*counted, 20u);
    EXPECT_GT(*counted, 0u);

    // A capped count is a lower bound: it does not replace a count the header gives.
    avi.streams[0].length = 2;
    EXPECT_EQ(lengthOf(avi.unfinishedBytes(), limits), 2u);
}

TEST(AviRecordingLength, AFileOfEmptyChunksEndsWithinTheCap) {
    Avi avi;
    avi.frames = 0;
    avi.idx1 = false;
    // Two million zero-size chunks: the scan stops at its cap.
    const std::string bytes = avi.unfinishedBytes() + std::string(16u << 20, '\0');
    AviReadLimits limits;
    limits.maxCountedChunks = 100000;
    EXPECT_EQ(lengthOf(bytes, limits), 0u);
}
