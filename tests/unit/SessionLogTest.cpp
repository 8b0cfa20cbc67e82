#include "core/app/SessionLog.h"
#include "core/ports/Session.h"
#include "support/core/FileSizeLimit.h"

#include "support/core/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime kStart(QDate(2005, 1, 18), QTime(20, 24, 14));
const QDateTime kRun(QDate(2005, 1, 18), QTime(20, 31, 7));

TEST(SessionLogText, FileNameAndDateTimeTextsHaveFixedForm) {
    EXPECT_EQ(app::logFileNameFor(kStart), "SkivaneLog011805.txt");
    EXPECT_EQ(app::logFileNameFor(QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3))),
              "SkivaneLog120726.txt");
    EXPECT_EQ(app::logDateText(kStart), "01-18-2005");
    EXPECT_EQ(app::logTimeText(QDateTime(QDate(2005, 1, 18), QTime(7, 5, 9))), "07:05:09");
}

TEST(SessionLogText, SessionLineEndsWithTwoBlanks) {
    EXPECT_EQ(app::sessionLine(kStart), "01-18-200520:24:14Skivane Session started  ");
}

TEST(SessionLogText, RunEntryHasSignedFrameNumbersAndPathLast) {
    EXPECT_EQ(app::runEntryLine(kRun, "Ann Lee", "2", 212, 811, "D:\\Runs\\Ann Leepass2.avi"),
              "01-18-200520:31:07Skier: Ann LeePass: 2Start:  212End:  811File: "
              "D:\\Runs\\Ann Leepass2.avi");
    // A negative frame gets no blank before its minus sign.
    EXPECT_EQ(app::runEntryLine(kRun, "A", "1", -1, 0, "x"),
              "01-18-200520:31:07Skier: APass: 1Start: -1End:  0File: x");
}

class SessionLogFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        session.VideoDirectory = dir.path();
        session.LogFileName = app::logFileNameFor(kStart);
    }
    QString logPath() const { return dir.filePath("SkivaneLog011805.txt"); }
    QTemporaryDir dir;
    ports::Session session;
};

TEST_F(SessionLogFile, RunEntryIsAppendedWithCrLfAndExactBytes) {
    ASSERT_TRUE(app::appendLogLine(logPath(), app::sessionLine(kStart)).ok);
    const app::LogWrite w =
        app::appendRunEntry(session, kRun, "Ann Lee", "2", 212, 811, "D:\\Runs\\Ann Leepass2.avi");
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(testsupport::readFile(logPath()),
              QByteArray("01-18-200520:24:14Skivane Session started  \r\n"
                         "01-18-200520:31:07Skier: Ann LeePass: 2Start:  212End:  811File: "
                         "D:\\Runs\\Ann Leepass2.avi\r\n"));
}

TEST_F(SessionLogFile, EntryAfterALastLineWithoutLineEndStartsOnItsOwnLine) {
    // Edited by hand or cut short: the last line has no line end.
    {
        QFile f(logPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("01-18-200520:24:14Skivane Session started  \r\nnote by hand");
    }
    ASSERT_TRUE(app::appendRunEntry(session, kRun, "Ann", "1", 5, 604, "a.avi").ok);
    EXPECT_EQ(testsupport::readFile(logPath()),
              QByteArray("01-18-200520:24:14Skivane Session started  \r\nnote by hand\r\n"
                         "01-18-200520:31:07Skier: AnnPass: 1Start:  5End:  604File: a.avi\r\n"));
}

TEST_F(SessionLogFile, ADiskFullPartWayKeepsOnlyWholeLines) {
    ASSERT_TRUE(app::appendLogLine(logPath(), app::sessionLine(kStart)).ok);
    const QByteArray before = testsupport::readFile(logPath());
    app::LogWrite full;
    {
        const testsupport::FileSizeLimit diskFull(before.size() + 5);
        full = app::appendRunEntry(session, kRun, "Ann", "1", 1, 600, "x.avi");
    }
    EXPECT_FALSE(full.ok);
    EXPECT_FALSE(full.error.isEmpty());
    EXPECT_EQ(testsupport::readFile(logPath()), before);
}

TEST_F(SessionLogFile, FailedWriteIsReportedNotHidden) {
    session.VideoDirectory = dir.filePath("no-such-folder");
    const app::LogWrite w = app::appendRunEntry(session, kRun, "Ann Lee", "2", 212, 811, "x.avi");
    EXPECT_FALSE(w.ok);
    EXPECT_FALSE(w.error.isEmpty());

    session.VideoDirectory.clear();
    EXPECT_FALSE(app::appendRunEntry(session, kRun, "Ann Lee", "2", 212, 811, "x.avi").ok);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
