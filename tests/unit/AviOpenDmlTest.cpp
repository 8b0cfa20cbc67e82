// OpenDML files over 1 GiB: a first RIFF 'AVI ' whose movie list is padded past 1 GiB (sparse
// on disk) and a RIFF 'AVIX' extension after it, with a super index in the stream header list
// and standard indexes ('ix00') in each movie list.
#include "AviTestBuilder.h"
#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"
#include "core/media/mmInfo.h"
#include "support/core/FakeDialogs.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace avitest;
using namespace media;

namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

struct OpenDmlFile {
    int framesFirst = 3;
    int framesSecond = 2;
    std::uint32_t dmlhTotal = 5;
    std::uint32_t strhLength = 5;
    std::uint32_t avihTotal = 3; // frames of the first RIFF, as OpenDML writers put it
    int nonKeyFrame = -1;        // frame number flagged as not a key frame in its 'ix00'
    bool finished = true;        // false: cut off while writing the extension RIFF
    bool oldIndex = false;       // an 'idx1' of the first RIFF's frames, as ffmpeg writes one
    // Cut off: the super index names the first RIFF's standard index, and an entry for the RIFF
    // still open that points nowhere, as ffmpeg leaves them.
    bool closedIndex = false;
    std::string closedIndexId = "00dc"; // the stream the first standard index says it is of
    std::uint64_t padding = kGiB + 4096;

    std::string frames(int count) const {
        std::string out;
        for (int i = 0; i < count; ++i)
            out += chunk("00dc", std::string(12, char('A' + i)));
        return out;
    }

    // Standard index of `count` frames starting at frame `first`, data at `base`.
    std::string standardIndex(int first, int count, std::uint64_t base,
                              const std::string& id = "00dc") const {
        std::string body = u16(2) + std::string(1, '\0') + std::string(1, '\x01') +
                           u32(static_cast<std::uint32_t>(count)) + id + u64(base) + u32(0);
        for (int i = 0; i < count; ++i) {
            const std::uint32_t size = 12u | (first + i == nonKeyFrame ? 0x80000000u : 0u);
            body += u32(static_cast<std::uint32_t>(8 + i * 20)) + u32(size);
        }
        return chunk("ix00", body);
    }

    std::string hdrl(std::uint64_t ix1, std::uint64_t ix2, std::uint32_t ix1Size,
                     std::uint32_t ix2Size) const {
        Avi avi;
        avi.totalFrames = avihTotal;
        avi.streams[0].length = strhLength;
        avi.streams[0].compression = cc("H264");
        avi.streams[0].handler = "H264";
        avi.streams[0].scale = 1001;
        avi.streams[0].rate = 30000;
        avi.dmlhTotal = dmlhTotal;
        // Super index: header, then one entry per standard index (offset, size, duration).
        const std::uint32_t entries = finished || closedIndex ? 2 : 0;
        const bool first = finished || closedIndex;
        std::string indx =
            u16(4) + std::string(2, '\0') + u32(entries) + "00dc" + u32(0) + u32(0) + u32(0);
        indx += u64(first ? ix1 : 0) + u32(first ? ix1Size : 0) + u32(3);
        indx += u64(finished ? ix2 : 0) + u32(finished ? ix2Size : 0) + u32(2);
        avi.streams[0].extra = chunk("indx", indx);
        return avi.hdrl();
    }

    // Writes the file; its size on disk stays small because the padding is a hole.
    bool write(const QString& path) const {
        const std::string firstFrames = frames(framesFirst);
        const std::string secondFrames = frames(framesSecond);
        const std::uint32_t ixSize1 =
            static_cast<std::uint32_t>(standardIndex(0, framesFirst, 0).size());
        const std::uint32_t ixSize2 =
            static_cast<std::uint32_t>(standardIndex(0, framesSecond, 0).size());
        const std::size_t hdrlSize = hdrl(0, 0, 0, 0).size();

        const std::uint64_t movi1 = 12 + hdrlSize;
        const std::uint64_t ix1 = movi1 + 12 + firstFrames.size();
        const std::uint64_t junk = ix1 + ixSize1;
        const std::uint64_t movi1Size = 4 + firstFrames.size() + ixSize1 + 8 + padding;
        std::string idx1;
        for (int i = 0; oldIndex && i < framesFirst; ++i)
            idx1 += "00dc" + u32(0x10) + u32(static_cast<std::uint32_t>(4 + i * 20)) + u32(12);
        if (oldIndex)
            idx1 = chunk("idx1", idx1);
        const std::uint64_t riff1Size = 4 + hdrlSize + 8 + movi1Size + idx1.size();
        const std::uint64_t riff2 = 8 + riff1Size;
        const std::uint64_t ix2 = riff2 + 24 + secondFrames.size();

        std::string head = "RIFF" + u32(static_cast<std::uint32_t>(riff1Size)) + "AVI " +
                           hdrl(ix1, ix2, ixSize1, ixSize2) + "LIST" +
                           u32(static_cast<std::uint32_t>(movi1Size)) + "movi" + firstFrames +
                           standardIndex(0, framesFirst, movi1 + 12, closedIndexId) + "JUNK" +
                           u32(static_cast<std::uint32_t>(padding));
        std::string tail = idx1;
        if (finished) {
            const std::string movi2 =
                secondFrames + standardIndex(framesFirst, framesSecond, riff2 + 24);
            tail += riff("AVIX", list("movi", movi2));
        } else {
            tail += "RIFF" + u32(0xFFFFFFFF) + "AVIX" + "LIST" + u32(0xFFFFFFFF) + "movi" +
                    secondFrames;
        }
        QFile f(path);
        return head.size() == junk + 8 && f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(head.data(), static_cast<qint64>(head.size())) ==
                   static_cast<qint64>(head.size()) &&
               f.seek(static_cast<qint64>(riff2 - idx1.size())) &&
               f.write(tail.data(), static_cast<qint64>(tail.size())) ==
                   static_cast<qint64>(tail.size());
    }
};

class AviOpenDmlTest : public ::testing::Test {
protected:
    QString make(const OpenDmlFile& file) {
        const QString path = dir.filePath("big.avi");
        if (!file.write(path))
            return QString();
        return path;
    }
    QTemporaryDir dir;
    testsupport::FakeDialogs dialogs;
};

} // namespace

TEST_F(AviOpenDmlTest, FinishedFileOverOneGibibyte) {
    OpenDmlFile file;
    file.oldIndex = true;
    const QString path = make(file);
    ASSERT_FALSE(path.isEmpty());
    ASSERT_GT(QFileInfo(path).size(), static_cast<qint64>(kGiB));
    EXPECT_TRUE(IsAviFile(path, dialogs));
    AviFileInfo info;
    ASSERT_TRUE(ReadAviInfo(path, info, dialogs));
    EXPECT_EQ(info.dwLength, 5u) << "OpenDML total frames, not the first RIFF's 3";
    EXPECT_EQ(AviFrameRate(path, dialogs), 30u);
    EXPECT_TRUE(info.dwFlags & kAviHasIndex) << "the super index names both standard indexes";
    EXPECT_TRUE(info.dwCaps & kAviAllKeyFrames) << "every standard index entry is a key frame";
    EXPECT_FALSE(info.dwCaps & kAviNoCompression);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviOpenDmlTest, ANonKeyFrameInTheExtensionIndex) {
    OpenDmlFile file;
    file.nonKeyFrame = 4; // the second frame of the AVIX part
    const QString path = make(file);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_FALSE(AviAllKeyFrames(path, dialogs));
    EXPECT_TRUE(AviHasIndex(path, dialogs));
}

TEST_F(AviOpenDmlTest, CutOffInTheExtensionCountsFramesOfBothParts) {
    OpenDmlFile file;
    file.finished = false;
    file.dmlhTotal = 0;
    file.strhLength = 0;
    file.avihTotal = 0;
    file.oldIndex = true; // the first RIFF was closed with its index before the cut
    const QString path = make(file);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(AviLength(path, dialogs), 5u);
    EXPECT_FALSE(AviHasIndex(path, dialogs));
    EXPECT_TRUE(dialogs.boxes.empty());
}

// Reads of a file, with the offsets they were made at.
class WatchedFile : public ByteSource {
public:
    explicit WatchedFile(FileSource& file) : m_file(file) {}
    std::uint64_t size() const override { return m_file.size(); }
    bool readAt(std::uint64_t offset, void* dst, std::size_t n) override {
        offsets.push_back(offset);
        return m_file.readAt(offset, dst, n);
    }
    std::vector<std::uint64_t> offsets;

private:
    FileSource& m_file;
};

// A recording cut off in a later RIFF: the RIFFs it closed are counted from their standard
// indexes, without walking their chunks; an index that does not fit leaves them to the walk.
// Either way the count is the same.
TEST_F(AviOpenDmlTest, CutOffCountsClosedRiffsFromTheirIndexes) {
    struct Case {
        const char* what;
        std::string id;
        bool walksFirstRiff;
    };
    for (const Case& c : {Case{"index of the video stream", "00dc", false},
                          Case{"index of another stream", "01wb", true},
                          Case{"index of the stream's '00db' chunks", "00db", false}}) {
        OpenDmlFile file;
        file.finished = false;
        file.dmlhTotal = 0;
        file.strhLength = 0;
        file.avihTotal = 0;
        file.closedIndex = true;
        file.closedIndexId = c.id;
        const QString path = make(file);
        ASSERT_FALSE(path.isEmpty());
        FileSource source;
        ASSERT_EQ(source.open(path), 0);
        WatchedFile watched(source);
        AviFileInfo info;
        ASSERT_EQ(parseAviInfo(watched, false, info), AviReadStatus::Ok) << c.what;
        EXPECT_EQ(info.dwLength, 5u) << c.what;
        EXPECT_FALSE(info.dwFlags & kAviHasIndex) << c.what;
        // The first RIFF's three frame chunks follow its movie list's header.
        const std::uint64_t frames = 12 + file.hdrl(0, 0, 0, 0).size() + 12;
        const bool walked =
            std::any_of(watched.offsets.begin(), watched.offsets.end(),
                        [&](std::uint64_t o) { return o >= frames && o < frames + 60; });
        EXPECT_EQ(walked, c.walksFirstRiff) << c.what;
    }
}

TEST_F(AviOpenDmlTest, ATruncatedCopyLosesItsIndexAndCountsWhatIsLeft) {
    OpenDmlFile file;
    file.oldIndex = true; // covers the first RIFF only: not an index of the file
    const QString path = make(file);
    ASSERT_FALSE(path.isEmpty());
    // Cut inside the second frame of the AVIX part: the AVIX RIFF now runs past the end and
    // the second standard index is gone.
    QFile f(path);
    ASSERT_TRUE(f.resize(f.size() - 60));
    AviFileInfo info;
    ASSERT_TRUE(ReadAviInfo(path, info, dialogs));
    EXPECT_FALSE(info.dwFlags & kAviHasIndex);
    EXPECT_EQ(info.dwLength, 4u);
}
