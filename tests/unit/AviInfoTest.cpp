// The mmInfo procedures on hand-built AVI files written to a temporary folder.
#include "AviTestBuilder.h"
#include "core/media/FileInfoLines.h"
#include "core/media/mmInfo.h"
#include "support/core/FakeDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace avitest;
using namespace media;

namespace {

class AviInfoTest : public ::testing::Test {
protected:
    QString write(const std::string& bytes, const QString& name = QStringLiteral("run.avi")) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    QString write(const Avi& avi, const QString& name = QStringLiteral("run.avi")) {
        return write(avi.bytes(), name);
    }

    QTemporaryDir dir;
    testsupport::FakeDialogs dialogs;
};

// Everything a file's information could say, read through the procedures.
struct Answers {
    bool index, mustUse, interleaved, capture, copyright;
    bool compressed, allKeys, canRead;
};
constexpr int kNoUnprivilegedUser = 99;

// Runs `check` with the rights of an ordinary user: as is, or, when the tests run as root (for
// whom file modes deny nothing), in a child process that has given up root for "nobody".
// Returns what `check` returns, or kNoUnprivilegedUser.
template <typename Check> int asUnprivilegedUser(const QTemporaryDir& dir, Check check) {
    if (::geteuid() != 0)
        return check();
    // "nobody" must be able to reach the files in the temporary folder.
    if (::chmod(QFile::encodeName(dir.path()).constData(), 0755) != 0)
        return kNoUnprivilegedUser;
    const pid_t child = ::fork();
    if (child < 0)
        return kNoUnprivilegedUser;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(kNoUnprivilegedUser);
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

Answers answers(const QString& path, ports::Dialogs& d) {
    return {AviHasIndex(path, d),       AviMustUseIndex(path, d),  AviIsInterleaved(path, d),
            AviWasCaptureFile(path, d), AviIsCopyrighted(path, d), AviIsCompressed(path, d),
            AviAllKeyFrames(path, d),   AviCanRead(path, d)};
}

} // namespace

TEST_F(AviInfoTest, EachHeaderFlagShowsInItsOwnProcedure) {
    Avi avi;
    avi.idx1 = false;
    avi.flags = 0;
    Answers a = answers(write(avi, "none.avi"), dialogs);
    EXPECT_FALSE(a.index || a.mustUse || a.interleaved || a.capture || a.copyright);

    avi.flags = 0x20;
    a = answers(write(avi, "must.avi"), dialogs);
    EXPECT_TRUE(a.mustUse);
    EXPECT_FALSE(a.index || a.interleaved || a.capture || a.copyright);

    avi.flags = 0x100;
    a = answers(write(avi, "inter.avi"), dialogs);
    EXPECT_TRUE(a.interleaved);
    EXPECT_FALSE(a.index || a.mustUse || a.capture || a.copyright);

    avi.flags = 0x10000;
    a = answers(write(avi, "capture.avi"), dialogs);
    EXPECT_TRUE(a.capture);
    EXPECT_FALSE(a.index || a.mustUse || a.interleaved || a.copyright);

    avi.flags = 0x20000;
    a = answers(write(avi, "copyright.avi"), dialogs);
    EXPECT_TRUE(a.copyright);
    EXPECT_FALSE(a.index || a.mustUse || a.interleaved || a.capture);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoTest, HasIndexFollowsTheIndexInTheFileNotTheHeaderBit) {
    Avi avi;
    avi.flags = 0x10; // the bit a writer sets before it has written the index
    avi.idx1 = false;
    EXPECT_FALSE(AviHasIndex(write(avi, "noindex.avi"), dialogs));
    avi.flags = 0;
    avi.idx1 = true;
    EXPECT_TRUE(AviHasIndex(write(avi, "index.avi"), dialogs));
}

TEST_F(AviInfoTest, CapabilityBits) {
    Avi avi;
    // Motion JPEG: compressed, every frame a key frame even without an index.
    avi.idx1 = false;
    Answers a = answers(write(avi, "mjpg.avi"), dialogs);
    EXPECT_TRUE(a.canRead);
    EXPECT_TRUE(a.compressed);
    EXPECT_TRUE(a.allKeys);

    // Uncompressed RGB and raw YUV: no compression, all key frames.
    avi.streams[0].compression = 0;
    a = answers(write(avi, "rgb.avi"), dialogs);
    EXPECT_FALSE(a.compressed);
    EXPECT_TRUE(a.allKeys);
    avi.streams[0].compression = cc("YUY2");
    EXPECT_FALSE(AviIsCompressed(write(avi, "yuy2.avi"), dialogs));

    // A long-GOP codec: the index decides; no index, no promise.
    avi.streams[0].compression = cc("H264");
    avi.streams[0].handler = "H264";
    EXPECT_FALSE(AviAllKeyFrames(write(avi, "h264-noindex.avi"), dialogs));
    avi.idx1 = true;
    EXPECT_TRUE(AviAllKeyFrames(write(avi, "h264-allkey.avi"), dialogs));
    avi.keyFrame = {true, false, true};
    avi.audioChunks = true; // sound entries in the index must not count
    a = answers(write(avi, "h264-gop.avi"), dialogs);
    EXPECT_FALSE(a.allKeys);
    EXPECT_TRUE(a.compressed);

    // FFV1 may carry state between frames: a non-key entry means not all key frames.
    avi.streams[0].compression = cc("FFV1");
    EXPECT_FALSE(AviAllKeyFrames(write(avi, "ffv1.avi"), dialogs));
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoTest, CanWriteWhenTheFileIsWritableByUs) {
    const QString path = write(Avi{});
    EXPECT_TRUE(AviCanWrite(path, dialogs));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    // 0: can read but not write; 1: can write; 2: cannot read.
    const int result = asUnprivilegedUser(dir, [&] {
        testsupport::FakeDialogs d;
        if (!AviCanRead(path, d))
            return 2;
        return AviCanWrite(path, d) ? 1 : 0;
    });
    if (result == kNoUnprivilegedUser)
        GTEST_SKIP() << "running as root without a way to drop privileges";
    EXPECT_EQ(result, 0);
}

TEST_F(AviInfoTest, FrameRateIsRateOverScaleRoundedHalfToEven) {
    Avi avi;
    auto rate = [&](std::uint32_t scale, std::uint32_t r) {
        avi.streams[0].scale = scale;
        avi.streams[0].rate = r;
        return AviFrameRate(write(avi), dialogs);
    };
    EXPECT_EQ(rate(1001, 30000), 30u);
    EXPECT_EQ(rate(1, 25), 25u);
    EXPECT_EQ(rate(2, 25), 12u);
    EXPECT_EQ(rate(2, 27), 14u);
    EXPECT_EQ(rate(0, 25), 0u); // no division by zero, no message
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoTest, SizeAndLengthComeFromTheHeaders) {
    Avi avi;
    avi.width = 720;
    avi.height = 576;
    avi.frames = 5;
    avi.totalFrames = 5;
    const QString path = write(avi);
    EXPECT_EQ(AviWidth(path, dialogs), 720u);
    EXPECT_EQ(AviHeight(path, dialogs), 576u);
    EXPECT_EQ(AviLength(path, dialogs), 5u);

    // A main header without a frame size: the video format gives it (bottom-up or top-down).
    avi.width = 0;
    avi.height = 0;
    avi.streams[0].width = 640;
    avi.streams[0].height = -480;
    const QString fromFormat = write(avi, "format.avi");
    EXPECT_EQ(AviWidth(fromFormat, dialogs), 640u);
    EXPECT_EQ(AviHeight(fromFormat, dialogs), 480u);
}

TEST_F(AviInfoTest, LengthPrefersOpenDmlThenStreamThenMainHeader) {
    Avi avi;
    avi.frames = 9;
    avi.totalFrames = 7;
    EXPECT_EQ(AviLength(write(avi, "main.avi"), dialogs), 7u);
    avi.streams[0].length = 8;
    EXPECT_EQ(AviLength(write(avi, "stream.avi"), dialogs), 8u);
    avi.dmlhTotal = 9;
    EXPECT_EQ(AviLength(write(avi, "odml.avi"), dialogs), 9u);
}

TEST_F(AviInfoTest, IsAviFileChecksTheRiffFormType) {
    Avi avi;
    EXPECT_TRUE(IsAviFile(write(avi), dialogs));
    EXPECT_FALSE(
        IsAviFile(write(riff("WAVE", chunk("fmt ", std::string(16, '\0'))), "a.wav"), dialogs));
    EXPECT_FALSE(IsAviFile(write(std::string("RIFF\x04\0\0\0AV", 10), "short.avi"), dialogs));
    EXPECT_FALSE(IsAviFile(write(std::string(), "empty.avi"), dialogs));
    EXPECT_FALSE(IsAviFile(write(std::string("RIFX\x04\0\0\0AVI ", 12), "rifx.avi"), dialogs));
    EXPECT_TRUE(dialogs.boxes.empty()) << "content that is not AVI raises no message";
}

TEST_F(AviInfoTest, MissingFileIsReportedWithThePathOnTheNextLine) {
    const QString path = dir.filePath("gone.avi");
    EXPECT_FALSE(IsAviFile(path, dialogs));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "File does not exist:\r\n" + path);
    EXPECT_EQ(dialogs.boxes[0].title, "Grabora Demo");
    EXPECT_EQ(dialogs.boxes[0].icon, ports::Icon::Stop);
    EXPECT_EQ(dialogs.boxes[0].buttons, ports::Buttons::Ok);

    // A folder is not a file either.
    dialogs.boxes.clear();
    EXPECT_FALSE(IsAviFile(dir.path(), dialogs));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "File does not exist:\r\n" + dir.path());
}

TEST_F(AviInfoTest, UnreadableFileIsReportedAsLocked) {
    const QString path = write(Avi{});
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    // 0: both messages right; otherwise the number of the first check that failed.
    const int result = asUnprivilegedUser(dir, [&] {
        testsupport::FakeDialogs d;
        if (IsAviFile(path, d) || d.boxes.size() != 1)
            return 1;
        if (d.boxes[0].text != "File is locked - cannot access:\r\n" + path ||
            d.boxes[0].icon != ports::Icon::Stop)
            return 2;
        d.boxes.clear();
        if (AviLength(path, d) != 0 || d.boxes.size() != 1 ||
            d.boxes[0].text != "Unable to open file:\r\n" + path)
            return 3;
        return 0;
    });
    if (result == kNoUnprivilegedUser)
        GTEST_SKIP() << "running as root without a way to drop privileges";
    EXPECT_EQ(result, 0);
}

TEST(AviOpenFailure, AccessDeniedIsLockedOtherErrorsGiveTheSystemText) {
    const auto locked = openFailureBox(EACCES, "/v/a.avi");
    EXPECT_EQ(locked.text, "File is locked - cannot access:\r\n/v/a.avi");
    EXPECT_EQ(locked.icon, ports::Icon::Stop);
    EXPECT_EQ(locked.title, "Grabora Demo");
    const auto other = openFailureBox(EIO, "/v/a.avi");
    EXPECT_EQ(other.text, QString::fromLocal8Bit(std::strerror(EIO)));
    EXPECT_EQ(other.icon, ports::Icon::Information);
    EXPECT_EQ(other.title, "Grabora Demo");
}

TEST_F(AviInfoTest, FailuresGiveMessagesAndEmptyResults) {
    const QString wave = write(riff("WAVE", chunk("fmt ", std::string(16, '\0'))), "a.wav");
    AviFileInfo record;
    record.dwWidth = 77;
    EXPECT_FALSE(ReadAviInfo(wave, record, dialogs));
    EXPECT_EQ(record.dwWidth, 77u) << "the record is left alone on failure";
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Unable to open file:\r\n" + wave);
    EXPECT_EQ(dialogs.boxes[0].icon, ports::Icon::Stop);

    // An AVI whose header list is cut short.
    std::string bytes = Avi{}.bytes();
    bytes.resize(100);
    const QString cut = write(bytes, "cut.avi");
    dialogs.boxes.clear();
    EXPECT_EQ(AviFrameRate(cut, dialogs), 0u);
    EXPECT_EQ(AviFileType(cut, dialogs), QString());
    EXPECT_FALSE(AviCanRead(cut, dialogs));
    EXPECT_FALSE(AviIsCompressed(cut, dialogs));
    ASSERT_EQ(dialogs.boxes.size(), 4u);
    for (const auto& box : dialogs.boxes) {
        EXPECT_EQ(box.text, "Unable to read AVI file info from:\r\n" + cut);
        EXPECT_EQ(box.icon, ports::Icon::Stop);
        EXPECT_EQ(box.title, "Grabora Demo");
    }
}

TEST(AviFileType, TextEndsAtTheFirstNul) {
    AviFileInfo info;
    std::memcpy(info.szFileType, "AVI file", 8); // the rest stays NUL
    EXPECT_EQ(aviFileTypeText(info), "AVI file");
    std::memset(info.szFileType, 'x', sizeof info.szFileType);
    EXPECT_EQ(aviFileTypeText(info), QString()) << "no NUL in the 64 characters";
}

TEST_F(AviInfoTest, FileInformationLines) {
    Avi avi;
    avi.flags = 0x10 | 0x100 | 0x10000;
    avi.frames = 4;
    avi.streams[0].length = 4;
    avi.streams[0].scale = 1001;
    avi.streams[0].rate = 30000;
    avi.width = 640;
    avi.height = 480;
    const QString path = write(avi);
    const QStringList expected = {"Filename: " + path,
                                  "File Type: AVI File",
                                  "Height: 480",
                                  "Width: 640",
                                  "Length: 4 frames",
                                  "Rate: 30fps",
                                  "",
                                  "=== dwCaps ===",
                                  "Compressed: True",
                                  "All Key Frames: True",
                                  "Can Read: True",
                                  "Can Write: True",
                                  "",
                                  "=== dwFlags ===",
                                  "Contains Copyright Info: False",
                                  "Capture File: True",
                                  "Has Index: True",
                                  "Must Use Index: False",
                                  "Interleaved: True"};
    EXPECT_EQ(FileInfoLines(path, dialogs), expected);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AviInfoTest, DamagedFileGivesOneMessageForAllItsLines) {
    // RIFF AVI whose header list is cut short: every value line falls back, one box says so.
    const QString path = write(riff("AVI ", chunk("LIST", std::string("hdrl") + "avih")));
    const QStringList lines = FileInfoLines(path, dialogs);
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[1], "File Type: ");
    EXPECT_EQ(lines[4], "Length: 0 frames");
    EXPECT_EQ(lines[8], "Compressed: False");
    EXPECT_EQ(lines[10], "Can Read: False");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Unable to read AVI file info from:\r\n" + path);
}
