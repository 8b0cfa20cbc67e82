// The day's export for the scorer: exact CSV bytes from a session log.
#include "core/run/DayExport.h"

#include <QHash>
#include <gtest/gtest.h>

namespace {

using run::dayCsv;
using run::LoggedRun;
using run::RunFacts;

const QByteArray kHeader = "Date,Time,Skier,Pass,Start Frame,End Frame,Frame Rate,Pass Frames,"
                           "Pass Seconds,Barefoot,Video File,Current,Timing Check\r\n";

TEST(DayExport, ADayWithSessionsReMarksBarefootAndOddPaths) {
    const QByteArray log =
        "01-18-200520:24:14Skivane Session started  \r\n"
        "01-18-200520:31:07Skier: Ann LeePass: 2Start:  212End:  811File: /runs/Ann "
        "Leepass2.avi\r\n"
        "01-18-200520:33:40Skier: BobPass: 1Start:  40End:  490File: /runs/Bobpass1.avi\r\n"
        "garbage that is no run\r\n"
        "01-18-200520:35:00Skier: Ann LeePass: 2Start:  215End:  814File: /runs/Ann "
        "Leepass2.avi\r\n"
        "01-18-200521:00:00Skivane Session started  \r\n"
        "01-18-200521:02:03Skier: Cy, Jr.Pass: 3Start:  10End:  510File: /runs/a,b/Cy, "
        "Jr.pass3.avi\n"
        "01-18-200521:05:00Skier: DanPass: 1Start:  7End:  606File: /gone/Danpass1.avi\r\n"
        "01-18-200521:06:00Skier: EvePass: 1Start:  cut";
    const QHash<QString, RunFacts> facts = {
        {QStringLiteral("/runs/Ann Leepass2.avi"), {30, 1, QString()}},
        {QStringLiteral("/runs/Bobpass1.avi"), {30, 1, QStringLiteral("Pass window: clean")}},
        {QStringLiteral("/runs/a,b/Cy, Jr.pass3.avi"), {25, 1, QStringLiteral("real \"20.03\" s")}},
    };
    const QByteArray csv =
        dayCsv(log, [&](const LoggedRun& run) { return facts.value(run.videoPath); });
    EXPECT_EQ(csv.toStdString(),
              (kHeader +
               "2005-01-18,20:31:07,Ann Lee,2,212,811,30,599,19.97,no,/runs/Ann Leepass2.avi,no,"
               "no timing record\r\n"
               "2005-01-18,20:33:40,Bob,1,40,490,30,450,15.00,yes,/runs/Bobpass1.avi,yes,"
               "Pass window: clean\r\n"
               "2005-01-18,20:35:00,Ann Lee,2,215,814,30,599,19.97,no,/runs/Ann Leepass2.avi,yes,"
               "no timing record\r\n"
               "2005-01-18,21:02:03,\"Cy, Jr.\",3,10,510,25,500,20.00,no,\"/runs/a,b/Cy, "
               "Jr.pass3.avi\",yes,\"real \"\"20.03\"\" s\"\r\n"
               "2005-01-18,21:05:00,Dan,1,7,606,,599,,,/gone/Danpass1.avi,yes,no timing record\r\n")
                  .toStdString());
}

TEST(DayExport, RunEntryFieldsAndRefusedLines) {
    const auto run = run::parseRunEntry(QStringLiteral(
        "01-18-200520:31:07Skier: Ann LeePass:  12Start: -3End:  596File: D:\\R\\x.avi"));
    ASSERT_TRUE(run.has_value());
    EXPECT_EQ(run->skier, "Ann Lee");
    EXPECT_EQ(run->pass, "12");
    EXPECT_EQ(run->startFrame, -3);
    EXPECT_EQ(run->endFrame, 596);
    EXPECT_EQ(run->videoPath, "D:\\R\\x.avi");
    for (const char* line : {"", "01-18-200520:24:14Skivane Session started  ",
                             "01-18-200520:31:07Skier: APass: 1Start:  xEnd:  5File: /a.avi",
                             "01-18-200520:31:07Skier: APass: 1Start:  1End:  5File: ",
                             "01-18-200520:31:07Pass: 1Start:  1End:  5File: /a.avi"})
        EXPECT_FALSE(run::parseRunEntry(QString::fromLatin1(line))) << line;
}

TEST(DayExport, EmptyLogGivesTheHeaderAlone) {
    EXPECT_EQ(dayCsv(QByteArray(), nullptr), kHeader);
}

TEST(DayExport, CountsRunsAndRunLines) {
    struct Case {
        const char* log;
        int runs, runLines;
    };
    for (const Case& c : {
             Case{"", 0, 0},
             Case{"01-18-200520:24:14Skivane Session started  \r\njunk\r\n", 0, 0},
             // A video folder named after the program is no session line.
             Case{"01-18-200520:24:14Skivane Session started  \r\n"
                  "01-18-200520:31:07Skier: AnnPass: 1Start:  1End:  600File: /media/usb/"
                  "Skivane Runs/Annpass1.avi\r\n"
                  "junk File: x\r\n",
                  1, 2},
             Case{"junk File: x\nmore junk File: y", 0, 2},
         }) {
        SCOPED_TRACE(c.log);
        const run::LoggedRunCount count = run::countLoggedRuns(c.log);
        EXPECT_EQ(count.runs, c.runs);
        EXPECT_EQ(count.runLines, c.runLines);
    }
}

} // namespace
