#include "core/run/RunInfo.h"
#include "support/core/FileSizeLimit.h"
#include "support/core/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace run;
using testsupport::writeFile;

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
    EXPECT_EQ(testsupport::readFile(video + ".info"), (video + ", 212\r\n").toLocal8Bit());
    ASSERT_FALSE(writeInfoFile(video, 300).has_value());
    EXPECT_EQ(testsupport::readFile(video + ".info"), (video + ", 300\r\n").toLocal8Bit());
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
        const testsupport::FileSizeLimit diskFull(8);
        error = writeInfoFile(video, 400);
    }
    EXPECT_TRUE(error.has_value());
    EXPECT_EQ(testsupport::readFile(video + ".info"), (video + ", 212\r\n").toLocal8Bit());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Annpass1.avi.info"});
    // A missing folder is reported too.
    EXPECT_TRUE(writeInfoFile(dir.filePath("gone/Annpass1.avi"), 1).has_value());
}

TEST(RunRename, NeverReplacesAnExistingFileAndTakesEveryCompanionAlong) {
    QTemporaryDir dir;
    const QString from = dir.filePath("AnnXpass1.avi");
    const QString to = dir.filePath("Annpass1.avi");
    ASSERT_TRUE(writeFile(from, "new run"));
    ASSERT_TRUE(writeFile(from + ".timing", "new timing"));
    ASSERT_TRUE(writeFile(from + ".info", "new info"));
    ASSERT_TRUE(writeFile(dir.filePath("AnnXpass1.avis"), "another run's file"));
    ASSERT_TRUE(writeFile(to, "old run"));
    EXPECT_EQ(renameRun(from, to), std::optional<QString>("Annpass1.avi already exists"));
    EXPECT_EQ(testsupport::readFile(from), "new run");
    EXPECT_EQ(testsupport::readFile(to), "old run");
    EXPECT_EQ(testsupport::readFile(from + ".timing"), "new timing");
    EXPECT_FALSE(QFile::exists(to + ".timing"));

    const QString free = dir.filePath("Ann Bpass1.avi");
    EXPECT_FALSE(runNameTaken(free));
    EXPECT_FALSE(renameRun(from, free).has_value());
    EXPECT_EQ(testsupport::readFile(free), "new run");
    EXPECT_EQ(testsupport::readFile(free + ".timing"), "new timing");
    EXPECT_EQ(testsupport::readFile(free + ".info"), "new info");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({"Ann Bpass1.avi", "Ann Bpass1.avi.info", "Ann Bpass1.avi.timing",
                           "Annpass1.avi", "AnnXpass1.avis"}));
    EXPECT_TRUE(renameRun(dir.filePath("missing.avi"), dir.filePath("x.avi")).has_value());
}

TEST(RunRename, AllOrNothing) {
    struct Case {
        const char* name;
        QString to;         // the new name, in the folder
        const char* stale;  // a file already at the new name ("" none)
        std::string reason; // what the rename says
    };
    // 240 + "pass1.avi" is 249 bytes: with ".info" it fits a file name, with ".timing" not.
    const QString longName = QString(240, u'B') + "pass1.avi";
    const Case cases[] = {
        {"stale timing record at the new name", "Bobpass1.avi", ".timing",
         "Bobpass1.avi.timing already exists"},
        {"stale info at the new name", "Bobpass1.avi", ".info", "Bobpass1.avi.info already exists"},
        {"timing record that cannot move", longName, "",
         "AnnXpass1.avi.timing could not be moved to " + longName.toStdString() +
             ".timing: File name too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString from = dir.filePath("AnnXpass1.avi");
        const QString to = dir.filePath(c.to);
        ASSERT_TRUE(writeFile(from, "run"));
        ASSERT_TRUE(writeFile(from + ".info", "info"));
        ASSERT_TRUE(writeFile(from + ".timing", "timing"));
        if (*c.stale) {
            ASSERT_TRUE(writeFile(to + c.stale, "stale"));
        }
        EXPECT_EQ(runNameTaken(to), *c.stale != 0);
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        EXPECT_EQ(renameRun(from, to).value_or("renamed").toStdString(), c.reason);
        // Nothing moved: the run, its companions and the stale file are where they were.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
        EXPECT_EQ(testsupport::readFile(from + ".timing"), "timing");
        if (*c.stale) {
            EXPECT_EQ(testsupport::readFile(to + c.stale), "stale");
        }
    }
}
