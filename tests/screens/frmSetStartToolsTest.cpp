// Tools around a loaded run: the pass window line shown at marking, the notice and repaired copy
// of a cut-off recording, and the pass clip with its progress and cancel.
#include "frmSetStartFixture.h"

#include "core/engine/AviRepair.h"
#include "core/media/RunFacts.h"
#include "core/run/TimingRecord.h"
#include "ui/widgets/FitCaption.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <optional>

using namespace reviewtest;
using ports::Icon;

class Tools : public ReviewScreen {
protected:
    QString load(const QString& path) {
        env.dialogs.files.push_back(path);
        screen().Command6_Click();
        return path;
    }
    QString loadNew(const QString& name, int frames, int rate) {
        const QString path = video(name);
        EXPECT_TRUE(makeAvi(path, frames, rate));
        load(path);
        env.dialogs.clear();
        return path;
    }
    // The run's timing record at 30 fps with three repeated slots from `gap`; without `end` it
    // is cut off (no end line).
    static bool writeTiming(const QString& run, int gap, std::optional<int> end) {
        run::TimingRecordWriter timing;
        if (!timing.open(run + ".timing", run::Fraction{30, 1},
                         QDateTime::fromString("2026-06-01T10:00:00Z", Qt::ISODate)))
            return false;
        timing.time(0, 0);
        for (int slot = gap; slot < gap + 3; ++slot)
            timing.note(slot, run::SlotKind::Gap);
        if (end)
            timing.finish(*end);
        else
            timing.flush();
        return true;
    }
};

TEST_F(Tools, PassWindowLineAtMarkingWithAndWithoutATimingRecord) {
    screens::frmSetStart& s = screen();
    EXPECT_TRUE(s.lblPassWindow->isHidden());
    EXPECT_TRUE(s.cmdSavePassClip->isHidden());

    // A recording whose camera missed three slots inside the window.
    const QString run = loadNew("Annpass1.avi", 900, 30);
    ASSERT_TRUE(writeTiming(run, 412, 900));
    player->position = 200;
    s.cmdMarkStart_Click();
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    const run::PassWindowCheck check = media::passWindowOf(run, 200, 799);
    ASSERT_TRUE(check.haveRecord);
    EXPECT_EQ(check.text, "Pass window: 19.97 s; 3 repeated frames at 412–414");
    EXPECT_FALSE(s.lblPassWindow->isHidden());
    EXPECT_EQ(s.lblPassWindow->text(), check.text);
    EXPECT_FALSE(s.cmdSavePassClip->isHidden());
    // The log line and the companion file keep their format.
    EXPECT_TRUE(env.readFile(logPath()).endsWith("Start:  200End:  799File: " + run.toLocal8Bit() +
                                                 "\r\n"));
    EXPECT_EQ(env.readFile(run + ".info"), run.toLocal8Bit() + ", 200\r\n");

    // Loading another run clears the line; a run without a record says so.
    s.Timer1_Timer();
    loadNew("Bobpass1.avi", 900, 30);
    EXPECT_TRUE(s.lblPassWindow->isHidden());
    s.cmdMarkStart_Click();
    EXPECT_EQ(s.lblPassWindow->text(), "Pass window: 19.97 s; no timing record");
    EXPECT_FALSE(s.lblPassWindow->isHidden());
}

// A short, cut-off run with repeated frames names all three; the line takes the lines it needs
// and the controls under it move down rather than cover its foot.
TEST_F(Tools, ALongPassWindowLineShowsWholeAboveTheControlsBelowIt) {
    screens::frmSetStart& s = screen();
    s.show();
    const QString run = video("Annpass2.avi");
    ASSERT_TRUE(makeAvi(run, 300, 30));
    ASSERT_TRUE(QFile::resize(run, QFileInfo(run).size() * 2 / 3)); // the index is gone
    ASSERT_TRUE(writeTiming(run, 150, std::nullopt));               // cut off
    load(run);
    ASSERT_FALSE(s.lblFileNotice->isHidden());
    player->position = 100;
    s.cmdMarkStart_Click();
    QCoreApplication::processEvents();
    EXPECT_GE(s.lblPassWindow->text().count(QLatin1Char(';')), 3)
        << s.lblPassWindow->text().toStdString();
    EXPECT_TRUE(widgets::captionFits(*s.lblPassWindow)) << s.lblPassWindow->text().toStdString();
    EXPECT_TRUE(widgets::captionFits(*s.lblFileNotice));
    const QList<QWidget*> column{s.lblPassWindow, s.cmdSavePassClip, s.lblFileNotice,
                                 s.cmdRepairCopy};
    for (qsizetype i = 1; i < column.size(); ++i)
        EXPECT_GT(column[i]->y(), column[i - 1]->geometry().bottom()) << i;
    EXPECT_LE(s.cmdRepairCopy->geometry().bottom(), s.height());
}

TEST_F(Tools, ACutOffRecordingIsNamedAndARepairedCopyWritten) {
    screens::frmSetStart& s = screen();
    loadNew("Annpass1.avi", 60, 30);
    EXPECT_TRUE(s.lblFileNotice->isHidden()); // a whole recording: no notice
    EXPECT_TRUE(s.cmdRepairCopy->isHidden());

    // Cut off part way: the index at the end is gone.
    const QString run = video("Bobpass1.avi");
    ASSERT_TRUE(makeAvi(run, 60, 30));
    ASSERT_TRUE(QFile::resize(run, QFileInfo(run).size() * 2 / 3));
    // A repair of this run and a clip of another were cut off by a crash: opening this run
    // removes its own part file only.
    const QString ownPart = env.writeFile(video(".Bobpass1-repaired.part.avi"), "half a copy");
    const QString otherPart = env.writeFile(video(".Annpass1-pass.part.mp4"), "half a clip");
    load(run);
    EXPECT_FALSE(QFile::exists(ownPart));
    EXPECT_TRUE(QFile::exists(otherPart));
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    EXPECT_FALSE(s.lblFileNotice->isHidden());
    EXPECT_EQ(s.lblFileNotice->text(),
              "This recording was cut off: other players may refuse it or play it short.");
    ASSERT_FALSE(s.cmdRepairCopy->isHidden());

    s.cmdRepairCopy_Click();
    const QString copy = engine::repairedPath(run);
    ASSERT_EQ(env.dialogs.progressCalls.size(), 1u);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "The repaired copy was saved as " + copy);
    EXPECT_EQ(env.dialogs.boxes[0].icon, Icon::Information);
    ASSERT_TRUE(QFile::exists(copy));

    // The copy has an index: loading it shows no notice. Repairing again is refused.
    env.dialogs.clear();
    s.cmdRepairCopy_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The recording could not be repaired: "));
    env.dialogs.clear();
    load(copy);
    EXPECT_TRUE(s.lblFileNotice->isHidden());
    EXPECT_TRUE(s.cmdRepairCopy->isHidden());

    // Handed over by the Capture screen (a full disk ended it): the notice shows at once.
    for (const QString& handed : {run, copy}) {
        s.setRunPath(handed);
        env.session().CapturedFrameRate = 30;
        env.session().CapturedFrameCount = 40;
        env.session().NavigationSource = "Capture";
        s.hide();
        showAndArrive();
        EXPECT_EQ(s.lblFileNotice->isHidden(), handed == copy) << handed.toStdString();
        EXPECT_EQ(s.cmdRepairCopy->isHidden(), handed == copy) << handed.toStdString();
    }
}

TEST_F(Tools, PassClipSavedThenACancelledOneLeavesNoFile) {
    screens::frmSetStart& s = screen();
    setBarefoot(true);
    const QString run = loadNew("Annpass1.avi", 600, 25);
    player->position = 50; // 15 s at 25 fps: end at 425
    s.cmdMarkStart_Click();
    env.dialogs.clear();

    s.cmdSavePassClip_Click();
    ASSERT_EQ(env.dialogs.progressCalls.size(), 1u);
    const auto& reports = env.dialogs.progressCalls[0].reports;
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().first, reports.back().second); // the bar ran to its end
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    const QString prefix = "The pass clip was saved as ";
    ASSERT_TRUE(env.dialogs.boxes[0].text.startsWith(prefix));
    const QString clip = env.dialogs.boxes[0].text.mid(prefix.size());
    EXPECT_TRUE(clip.startsWith(env.videoDir() + "/Annpass1")) << clip.toStdString();
    EXPECT_GT(QFileInfo(clip).size(), 0);

    const QStringList before = QDir(env.videoDir()).entryList(QDir::Files);
    env.dialogs.clear();
    env.dialogs.cancelAfterReports = 20;
    s.cmdSavePassClip_Click();
    ASSERT_EQ(env.dialogs.progressCalls.size(), 1u);
    EXPECT_TRUE(env.dialogs.progressCalls[0].cancelled);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "The pass clip was cancelled; no file was written.");
    EXPECT_EQ(QDir(env.videoDir()).entryList(QDir::Files), before);
}
