// Malformed AVI files: every one gives a result (success or a refusal), within the file's bytes
// and in bounded time. Run under the sanitizers, these also prove no read goes out of bounds.
#include "AviTestBuilder.h"
#include "core/media/AviInfo.h"

#include <gtest/gtest.h>
#include <random>

using namespace avitest;
using namespace media;

namespace {

AviReadStatus parse(const std::string& bytes, AviFileInfo* out = nullptr) {
    MemorySource src(bytes.data(), bytes.size());
    AviFileInfo info;
    const AviReadStatus status = parseAviInfo(src, false, info);
    if (out)
        *out = info;
    return status;
}

// A file with every part the reader looks at.
Avi fullFile() {
    Avi avi;
    avi.frames = 4;
    avi.audioChunks = true;
    avi.recLists = true;
    avi.dmlhTotal = 4;
    avi.streams[0].compression = cc("H264");
    avi.streams.push_back(Stream{"auds", std::string(4, '\0'), 1, 8000, 0, 0, 0, 0, {}});
    return avi;
}

} // namespace

TEST(AviMalformed, NotAviContentIsRefusedAsNotAvi) {
    EXPECT_EQ(parse(""), AviReadStatus::NotAvi);
    EXPECT_EQ(parse("RIFF"), AviReadStatus::NotAvi);
    EXPECT_EQ(parse(std::string("RIFF\x04\0\0\0AV", 10)), AviReadStatus::NotAvi);
    EXPECT_EQ(parse(riff("WAVE", chunk("fmt ", std::string(16, '\0')))), AviReadStatus::NotAvi);
    EXPECT_EQ(parse("LIST" + u32(4) + "AVI "), AviReadStatus::NotAvi);
}

TEST(AviMalformed, MissingOrShortHeadersAreBadHeaders) {
    const Avi avi;
    // No header list at all.
    EXPECT_EQ(parse(riff("AVI ", list("movi", avi.moviBody()))), AviReadStatus::BadHeaders);
    // A main header shorter than its 56 bytes.
    EXPECT_EQ(parse(riff("AVI ", list("hdrl", chunk("avih", std::string(40, '\0'))))),
              AviReadStatus::BadHeaders);
    // A stream list without its stream header.
    EXPECT_EQ(parse(riff("AVI ", list("hdrl", avi.avih() + list("strl", strf(Stream{}))))),
              AviReadStatus::BadHeaders);
    // A stream header cut to 40 bytes.
    EXPECT_EQ(parse(riff("AVI ", list("hdrl", avi.avih() +
                                                  list("strl", chunk("strh", std::string(40, 'x')) +
                                                                   strf(Stream{}))))),
              AviReadStatus::BadHeaders);
}

TEST(AviMalformed, SizesPastTheEndAreBadHeaders) {
    const Avi avi;
    // The header list claims more than the file holds.
    std::string bytes = avi.bytes();
    const std::size_t hdrl = bytes.find("LIST");
    bytes.replace(hdrl + 4, 4, u32(0x7FFFFFF0));
    EXPECT_EQ(parse(bytes), AviReadStatus::BadHeaders);

    // A format chunk of 4 GB inside a small header list.
    bytes = avi.bytes();
    const std::size_t strf = bytes.find("strf");
    bytes.replace(strf + 4, 4, u32(0xFFFFFFF0));
    EXPECT_EQ(parse(bytes), AviReadStatus::BadHeaders);
}

TEST(AviMalformed, AbsurdValuesAreReportedNotTrusted) {
    Avi avi;
    avi.streamsField = 0xFFFFFFFF;
    avi.width = 0xFFFFFFFF;
    avi.streams[0].scale = 0;
    avi.streams[0].length = 0xFFFFFFFF;
    AviFileInfo info;
    ASSERT_EQ(parse(avi.bytes(), &info), AviReadStatus::Ok);
    EXPECT_EQ(info.dwStreams, 0xFFFFFFFFu);
    EXPECT_EQ(info.dwWidth, 0xFFFFFFFFu);
    EXPECT_EQ(info.dwScale, 0u);
    EXPECT_EQ(info.dwLength, 3u) << "the three frames present, not 4 billion";
}

TEST(AviMalformed, EveryTruncationGivesAResult) {
    const std::string whole = fullFile().bytes();
    const std::size_t hdrlEnd = 12 + fullFile().hdrl().size();
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        AviFileInfo info;
        const AviReadStatus status = parse(whole.substr(0, n), &info);
        if (n < 12) {
            EXPECT_EQ(status, AviReadStatus::NotAvi) << n;
        } else if (n < hdrlEnd) {
            EXPECT_EQ(status, AviReadStatus::BadHeaders) << n;
        } else if (status == AviReadStatus::Ok) {
            EXPECT_LE(info.dwLength, 4u) << n;
        }
    }
}

TEST(AviMalformed, RandomDamageNeverBreaksTheReader) {
    const std::string whole = fullFile().bytes();
    std::mt19937 rng(20040);
    int ok = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = whole;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = rng() % bytes.size();
            // Sizes are where damage hurts: often write a whole 32-bit value.
            if (rng() % 2 == 0 && at + 4 <= bytes.size())
                bytes.replace(at, 4, u32(static_cast<std::uint32_t>(rng())));
            else
                bytes[at] = static_cast<char>(rng());
        }
        if (rng() % 4 == 0)
            bytes.resize(rng() % bytes.size());
        AviFileInfo info;
        if (parse(bytes, &info) == AviReadStatus::Ok) {
            ++ok;
            EXPECT_EQ(aviFileTypeText(info), "AVI File");
        }
    }
    EXPECT_GT(ok, 0) << "some damaged files still read";
}
