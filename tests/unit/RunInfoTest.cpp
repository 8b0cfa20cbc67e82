#include "core/run/RunInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <unistd.h>

using namespace review;

namespace {
QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
// Simulates a full disk: no file may grow beyond `bytes` while it lives (root included).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};
} // namespace

TEST(InfoFile, LineIsPathCommaSignedStartCrLf) {
    EXPECT_EQ(infoLine("D:\\Runs\\Annpass1.avi", 212),
              QByteArray("D:\\Runs\\Annpass1.avi, 212\r\n"));
    EXPECT_EQ(infoLine("/r/a.avi", -3), QByteArray("/r/a.avi,-3\r\n"));
    EXPECT_EQ(infoPath("D:\\Runs\\Annpass1.avi"), "D:\\Runs\\Annpass1.avi.info");
}

TEST(InfoFile, StartFrameIsReadAfterTheLastComma) {
    EXPECT_EQ(infoStartFrame("D:\\Runs\\Annpass1.avi, 212\r\n"), 212);
    // A comma inside the path does not move the field read.
    EXPECT_EQ(infoStartFrame("D:\\Runs,2005\\Ann, Leepass1.avi, 212\r\n"), 212);
    EXPECT_EQ(infoStartFrame("D:\\Runs\\Annpass1.avi,-3\n"), -3);
    EXPECT_EQ(infoStartFrame("no comma here"), 0);
    EXPECT_EQ(infoStartFrame(""), 0);
}

TEST(InfoFile, WriteReplacesAndReadsBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString video = dir.filePath("Ann, Leepass1.avi");
    EXPECT_FALSE(readInfoStartFrame(video).has_value());
    ASSERT_FALSE(writeInfoFile(video, 212).has_value());
    EXPECT_EQ(contents(video + ".info"), (video + ", 212\r\n").toLocal8Bit());
    ASSERT_FALSE(writeInfoFile(video, 300).has_value());
    EXPECT_EQ(contents(video + ".info"), (video + ", 300\r\n").toLocal8Bit());
    EXPECT_EQ(readInfoStartFrame(video), std::optional<double>(300));
    // Nothing but the companion file is left in the folder (no temporary files).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Ann, Leepass1.avi.info"});
}

TEST(InfoFile, AFailedWriteLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    const QString video = dir.filePath("Annpass1.avi");
    ASSERT_FALSE(writeInfoFile(video, 212).has_value());
    std::optional<QString> error;
    {
        const FileSizeLimit diskFull(8);
        error = writeInfoFile(video, 400);
    }
    EXPECT_TRUE(error.has_value());
    EXPECT_EQ(contents(video + ".info"), (video + ", 212\r\n").toLocal8Bit());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Annpass1.avi.info"});
    // A missing folder is reported too.
    EXPECT_TRUE(writeInfoFile(dir.filePath("gone/Annpass1.avi"), 1).has_value());
}

TEST(SessionLogAppend, KeepsEarlierLinesAndReportsFailure) {
    QTemporaryDir dir;
    const QString log = dir.filePath("SkivaneLog011805.txt");
    ASSERT_TRUE(writeFile(log, "01-18-200520:24:14Skivane Session started  \r\n"));
    EXPECT_FALSE(appendLine(log, "line two\r\n").has_value());
    EXPECT_FALSE(appendLine(log, "line three\r\n").has_value());
    EXPECT_EQ(contents(log),
              "01-18-200520:24:14Skivane Session started  \r\nline two\r\nline three\r\n");
    const auto error = appendLine(dir.filePath("gone/SkivaneLog011805.txt"), "x\r\n");
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());

    // A disk that fills up part way through the line: the file keeps only whole lines.
    const QByteArray before = contents(log);
    std::optional<QString> full;
    {
        const FileSizeLimit diskFull(before.size() + 5);
        full = appendLine(log, "01-18-200520:31:07Skier: AnnPass: 1Start:  1End:  600File: x\r\n");
    }
    EXPECT_TRUE(full.has_value());
    EXPECT_EQ(contents(log), before);
}

TEST(RunRename, NeverReplacesAnExistingFileAndTakesTheTimingRecordAlong) {
    QTemporaryDir dir;
    const QString from = dir.filePath("AnnXpass1.avi");
    const QString to = dir.filePath("Annpass1.avi");
    ASSERT_TRUE(writeFile(from, "new run"));
    ASSERT_TRUE(writeFile(from + ".timing", "new timing"));
    ASSERT_TRUE(writeFile(to, "old run"));
    EXPECT_TRUE(renameNoReplace(from, to).has_value());
    EXPECT_EQ(contents(from), "new run");
    EXPECT_EQ(contents(to), "old run");
    EXPECT_EQ(contents(from + ".timing"), "new timing");
    EXPECT_FALSE(QFile::exists(to + ".timing"));

    const QString free = dir.filePath("Ann Bpass1.avi");
    EXPECT_FALSE(renameNoReplace(from, free).has_value());
    EXPECT_EQ(contents(free), "new run");
    EXPECT_EQ(contents(free + ".timing"), "new timing");
    EXPECT_FALSE(QFile::exists(from));
    EXPECT_FALSE(QFile::exists(from + ".timing"));
    EXPECT_TRUE(renameNoReplace(dir.filePath("missing.avi"), dir.filePath("x.avi")).has_value());
}
