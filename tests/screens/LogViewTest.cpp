// The log viewer: which lines it lists, the path it takes from a line, other log files, the
// sideways scrolling, the hand-over to the review screen and the export for the scorer.
#include "ui/screens/LogView.h"
#include "FakePlayerForReview.h"
#include "core/media/RunFacts.h"
#include "core/run/DayExport.h"
#include "support/TestEnv.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <gtest/gtest.h>

using reviewtest::FakePlayer;

namespace {
const QByteArray kLog = "01-18-200520:24:14Skivane Session started  \r\n"
                        "01-18-200520:31:07Skier: Ann LeePass: 2Start:  212End:  811File: "
                        "D:\\Runs\\Ann Leepass2.avi\r\n"
                        "01-18-200520:40:00Skier: BobPass: 1Start:  30End:  629File: "
                        "D:\\Skivane runs\\Bobpass1.avi\r\n"
                        "01-18-200521:02:00Skier: CyPass: 1Start:  5End:  604File: "
                        "D:\\File: old\\Cypass1.avi\n"
                        "a line without the marker\r\n";
}

class LogViewer : public ::testing::Test {
protected:
    LogViewer() {
        env.services.makePlayer = [this](QWidget* parent) {
            player = new FakePlayer(parent);
            return player;
        };
        env.setup().txtVideoDir->setText(env.videoDir());
        env.session().LogFileName = QStringLiteral("SkivaneLog011805.txt");
    }
    QString logPath() const { return env.videoDir() + "/SkivaneLog011805.txt"; }
    screens::LogView& open(QWidget* owner) { return env.screens.showLogView(owner); }
    QStringList listed(const screens::LogView& v) const {
        QStringList out;
        for (int i = 0; i < v.lstLog->count(); ++i)
            out << v.lstLog->item(i)->text();
        return out;
    }

    testsupport::TestEnv env;
    FakePlayer* player = nullptr;
};

TEST_F(LogViewer, ListsRunLinesOnlyAndTakesThePathAfterTheFirstMarker) {
    env.writeFile(logPath(), kLog);
    screens::LogView& v = open(&env.setup());
    EXPECT_EQ(v.windowTitle(), "Log Viewer");
    EXPECT_EQ(v.txtLogFile->toPlainText(), logPath());
    // Session lines are not listed; a run whose folder holds "Skivane" is.
    ASSERT_EQ(listed(v), QStringList({"01-18-200520:31:07Skier: Ann LeePass: 2Start:  212End:  "
                                      "811File: D:\\Runs\\Ann Leepass2.avi",
                                      "01-18-200520:40:00Skier: BobPass: 1Start:  30End:  "
                                      "629File: D:\\Skivane runs\\Bobpass1.avi",
                                      "01-18-200521:02:00Skier: CyPass: 1Start:  5End:  604File: "
                                      "D:\\File: old\\Cypass1.avi",
                                      "a line without the marker"}));
    v.lstLog->setCurrentRow(0);
    EXPECT_EQ(v.txtFileToView->toPlainText(), "D:\\Runs\\Ann Leepass2.avi");
    v.lstLog->setCurrentRow(1);
    EXPECT_EQ(v.txtFileToView->toPlainText(), "D:\\Skivane runs\\Bobpass1.avi");
    // A folder named "File:" comes after the line's own marker: the whole path is taken.
    v.lstLog->setCurrentRow(2);
    EXPECT_EQ(v.txtFileToView->toPlainText(), "D:\\File: old\\Cypass1.avi");
    v.lstLog->setCurrentRow(3);
    EXPECT_TRUE(v.txtFileToView->toPlainText().isEmpty());
    // With nothing to view the button does nothing.
    v.cmdView_Click();
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    EXPECT_FALSE(env.screens.timerExists());
    EXPECT_EQ(screens::LogView::videoFileOf("File:"), "");
    // The first marker wins, even one inside the skier's name.
    EXPECT_EQ(screens::LogView::videoFileOf("Skier: File:XPass: 1File: D:\\a.avi"),
              "Pass: 1File: D:\\a.avi");
    EXPECT_FALSE(screens::LogView::isListed("xSkivaney"));
    EXPECT_TRUE(screens::LogView::isListed("skivane"));
}

TEST_F(LogViewer, NoLogTodayGivesEmptyBoxes) {
    screens::LogView& v = open(&env.setup());
    EXPECT_EQ(v.lstLog->count(), 0);
    EXPECT_TRUE(v.txtLogFile->toPlainText().isEmpty());
    EXPECT_TRUE(env.dialogs.boxes.empty());
}

TEST_F(LogViewer, ALogThatCannotBeReadIsReported) {
    env.writeFile(logPath(), kLog);
    screens::LogView& v = open(&env.setup());
    ASSERT_GT(v.lstLog->count(), 0);
    // A file that exists and opens but fails on reading (even for root).
    const QString unreadable = "/proc/self/mem";
    env.dialogs.files = {unreadable};
    v.cmdSelectLogFile_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The log file " + unreadable))
        << env.dialogs.boxes[0].text.toStdString();
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
    EXPECT_EQ(v.lstLog->count(), 0);
    EXPECT_EQ(v.txtLogFile->toPlainText(), unreadable);
}

TEST_F(LogViewer, SelectingAnotherLogAndCancelling) {
    env.writeFile(logPath(), kLog);
    const QString other =
        env.writeFile(env.videoDir() + "/SkivaneLog011705.txt", "x File: D:\\a.avi\r\n");
    screens::LogView& v = open(&env.setup());
    env.dialogs.files = {other};
    v.cmdSelectLogFile_Click();
    ASSERT_EQ(env.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.fileCalls[0].initialFolder, env.videoDir());
    EXPECT_EQ(env.dialogs.fileCalls[0].filter, "*.txt|SkivaneLog*.txt");
    EXPECT_EQ(v.txtLogFile->toPlainText(), other);
    EXPECT_EQ(listed(v), QStringList{"x File: D:\\a.avi"});
    // Cancelled: the dialog's last file name stays, and the list is read from it again.
    v.cmdSelectLogFile_Click();
    EXPECT_EQ(v.txtLogFile->toPlainText(), other);
    EXPECT_EQ(listed(v), QStringList{"x File: D:\\a.avi"});
}

TEST_F(LogViewer, ACancelledFirstDialogClearsTheList) {
    env.writeFile(logPath(), kLog);
    screens::LogView& v = open(&env.setup());
    ASSERT_GT(v.lstLog->count(), 0);
    v.cmdSelectLogFile_Click();
    EXPECT_TRUE(v.txtLogFile->toPlainText().isEmpty());
    EXPECT_EQ(v.lstLog->count(), 0);
}

TEST_F(LogViewer, TheLongestLinePlusASpaceCanBeScrolledIntoView) {
    const QByteArray longLine = "File: D:\\" + QByteArray(110, 'w') + ".avi";
    ASSERT_EQ(longLine.size(), 123);
    env.writeFile(logPath(), "short File: a\r\n" + longLine + "\r\n");
    screens::LogView& v = open(&env.setup());
    v.show();
    QCoreApplication::processEvents();
    const QFontMetrics metrics(v.font());
    EXPECT_EQ(v.horizontalExtent(), metrics.horizontalAdvance(QString::fromLatin1(longLine) + " "));
    QScrollBar* bar = v.lstLog->horizontalScrollBar();
    EXPECT_GE(bar->maximum() + v.lstLog->viewport()->width(), v.horizontalExtent());

    env.writeFile(logPath(), "short File: a\r\nshorter\r\n");
    v.LoadLog(logPath());
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->maximum(), 0);
}

TEST_F(LogViewer, ViewingAFileHandsItToTheReviewScreen) {
    env.writeFile(logPath(), kLog);
    env.setup().show();
    screens::LogView& v = open(&env.setup());
    v.lstLog->setCurrentRow(0);
    v.cmdView_Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(env.screens.logView() == nullptr || !env.screens.logView()->isVisible());
    EXPECT_FALSE(env.setup().isVisible());
    ASSERT_TRUE(env.screens.timerExists());
    screens::frmSetStart& review = env.timer();
    EXPECT_TRUE(review.isVisible());
    EXPECT_EQ(env.session().FileToView, "D:\\Runs\\Ann Leepass2.avi");
    // The review screen consumed the hand-over.
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    EXPECT_EQ(review.Text6->toPlainText(), "D:\\Runs\\Ann Leepass2.avi");
}

TEST_F(LogViewer, DoubleClickFromTheReviewScreenReloadsThere) {
    env.writeFile(logPath(), kLog);
    screens::frmSetStart& review = env.timer();
    review.show();
    QCoreApplication::processEvents();
    screens::LogView& v = open(&review);
    v.lstLog->setCurrentRow(2);
    v.lstLog_DblClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(review.isVisible());
    EXPECT_EQ(review.Text6->toPlainText(), "D:\\File: old\\Cypass1.avi");
    EXPECT_EQ(player->fileName, "D:\\File: old\\Cypass1.avi");

    // A double-click on a line without the marker views nothing; Exit closes the viewer.
    screens::LogView& w = open(&review);
    w.lstLog->setCurrentRow(3);
    w.lstLog_DblClick();
    EXPECT_TRUE(w.isVisible());
    w.cmdDismiss_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(env.screens.logView(), nullptr);
}

TEST_F(LogViewer, ExportWritesTheDayCsvAndAsksBeforeReplacing) {
    env.writeFile(logPath(), kLog);
    screens::LogView& v = open(&env.setup());
    const QString csv = env.videoDir() + "/day.csv";
    env.dialogs.saveFiles.push_back(csv);
    v.cmdExport_Click();
    ASSERT_EQ(env.dialogs.saveFileCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.saveFileCalls[0].initialFolder, env.videoDir() + "/SkivaneLog011805.csv");
    EXPECT_EQ(env.readFile(csv), run::dayCsv(kLog, media::readRunFacts));
    // Every run of the log is a row, the one in a folder named "Skivane runs" too.
    EXPECT_EQ(env.readFile(csv).count("\r\n"), 4);
    EXPECT_TRUE(env.readFile(csv).contains(",D:\\Skivane runs\\Bobpass1.avi,yes,"));
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "The day's runs were exported to " + csv);

    // An existing file is replaced only when the operator says Yes; the log itself never.
    env.writeFile(csv, "keep");
    for (const auto answer : {ports::Answer::No, ports::Answer::Yes}) {
        env.dialogs.clear();
        env.dialogs.saveFiles.push_back(csv);
        env.dialogs.answers.push_back(answer);
        v.cmdExport_Click();
        ASSERT_FALSE(env.dialogs.boxes.empty());
        EXPECT_EQ(env.dialogs.boxes[0].text, csv + " already exists. Replace it?");
        EXPECT_EQ(env.dialogs.boxes[0].defaultButton, ports::Answer::No);
    }
    EXPECT_EQ(env.readFile(csv), run::dayCsv(kLog, media::readRunFacts));
    env.dialogs.clear();
    env.dialogs.saveFiles.push_back(logPath());
    v.cmdExport_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The export cannot replace the log file"));
    EXPECT_EQ(env.readFile(logPath()), kLog);
    EXPECT_EQ(QDir(env.videoDir()).entryList(QDir::Files),
              QStringList({"day.csv", "SkivaneLog011805.txt"}));

    // A log whose run lines cannot be read exports nothing and says so; one unreadable run line
    // among readable ones is named in the message.
    env.writeFile(logPath(), "01-18-200520:24:14Skivane Session started  \r\nStart:  1End:  "
                             "600File: /v/Annpass1.avi\r\n");
    env.dialogs.clear();
    env.dialogs.saveFiles.push_back(env.videoDir() + "/none.csv");
    v.cmdExport_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              "The log file " + logPath() +
                  " holds 1 run line, but none of them can be read as a run entry; nothing was "
                  "exported.");
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
    EXPECT_FALSE(QFile::exists(env.videoDir() + "/none.csv"));
    env.writeFile(logPath(), kLog + "Start:  1End:  600File: /v/Annpass1.avi\r\n");
    env.dialogs.clear();
    env.dialogs.saveFiles.push_back(env.videoDir() + "/some.csv");
    v.cmdExport_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "The day's runs were exported to " + env.videoDir() +
                                             "/some.csv. 1 run line of the log could not be read "
                                             "as a run entry and is not in the export.");
}
