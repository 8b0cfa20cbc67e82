// A whole event day through the real program: first start, configuration, skiers imported from
// a names file, recordings from the test camera with "Start of Tricks" at different moments, a
// barefoot pass, a duplicate name fixed on arrival in the review screen, a run reopened from the
// log viewer and marked again; then every file on disk is checked.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "core/app/SessionLog.h"
#include "core/app/TextNumbers.h"
#include "core/media/mmInfo.h"
#include "core/run/RunNaming.h"
#include "support/RealProgramEnv.h"
#include "ui/screens/LogView.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using ports::Answer;
using testsupport::RealProgramEnv;

namespace {

constexpr int kRate = 30;

struct DayRun {
    QString skier; // as logged
    QString pass;
    QString file;
    int start = 0;
    int end = 0;
    qint16 frames = 0;
};

struct Stamp {
    qint64 size = -1;
    qint64 mtimeNs = 0;
    ino_t inode = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QString& path) {
    struct stat st {};
    if (::stat(path.toLocal8Bit().constData(), &st) != 0)
        return {};
    return {static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, st.st_ino};
}

// Every file below `folder`, relative to it.
QStringList filesBelow(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

class EventDay : public ::testing::Test {
protected:
    RealProgramEnv env;
    std::vector<DayRun> runs;
    std::map<QString, Stamp> stamps; // recordings already on disk, as they were

    screens::MainForm& setup() { return env.setup(); }
    screens::PreviewForm& capture() { return env.capture(); }
    screens::frmSetStart& review() { return env.timer(); }

    QString video(const QString& name) const { return env.videoDir() + u'/' + name; }

    void expectNoBoxes(const char* when) {
        EXPECT_TRUE(env.dialogs.boxes.empty())
            << when << ": " << env.dialogs.texts().join(u'|').toStdString();
        env.dialogs.clear();
    }

    // One recording through the Capture screen: Start Recording, "Start of Tricks" once at least
    // `markAt` frames are in, then the two countdowns ticked to their end. The pass sound stops
    // at 0 and the capture countdown ends the recording; the review screen takes the run.
    void record(int markAt, int passFrames) {
        screens::PreviewForm& form = capture();
        ASSERT_TRUE(form.isVisible());
        form.cmdStartCapture_Click();
        ASSERT_TRUE(env.realControl.recording()) << env.dialogs.texts().join(u'|').toStdString();
        form.Timer40->stop(); // the test ticks the countdowns itself
        ASSERT_TRUE(
            capture_test::waitUntil([&] { return env.realControl.FramesCaptured() >= markAt; }));
        form.cmdStartTimer_Click();
        form.passTimer->stop();
        const int hint = env.session().StartFrameHint;
        ASSERT_GE(hint, markAt);
        EXPECT_EQ(form.captime->text(), "25");
        // The whole pass and a little more is recorded before the countdowns run out.
        ASSERT_TRUE(capture_test::waitUntil(
            [&] { return env.realControl.FramesCaptured() >= hint + passFrames + 20; }, 60000));
        const int passSeconds = env.setup().cb15->isChecked() ? 15 : 20;
        const qsizetype soundsBefore = env.sound.played.size();
        for (int s = 0; s < passSeconds; ++s)
            form.passTimer_Timer();
        EXPECT_EQ(env.sound.played.size(), soundsBefore + 1);
        EXPECT_TRUE(env.sound.played.last().endsWith("/StopSound.wav"));
        EXPECT_TRUE(env.realControl.recording()) << "the pass end does not stop the recording";
        for (int s = 0; s < 25 && form.isVisible(); ++s)
            form.Timer40_Timer();
        ASSERT_FALSE(form.isVisible()) << "the capture countdown did not end the recording";
        EXPECT_FALSE(env.realControl.recording());
    }

    // The review screen after a recording: arrives on the start hint, `steps` frames forward,
    // then marks the start and lets the one-second replay of the pass end run out.
    void markAfterRecording(const QString& skier, const QString& pass, int steps) {
        screens::frmSetStart& r = review();
        const int hint = env.session().StartFrameHint;
        const qint16 frames = env.session().CapturedFrameCount;
        EXPECT_EQ(env.session().CapturedFrameRate, kRate);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return env.session().NavigationSource.isEmpty() && env.player() &&
                       env.player()->shownFrame() == hint;
            },
            15000))
            << "the review screen did not arrive on the start hint " << hint;
        mark(steps, hint);
        const QString file = r.Text6->toPlainText();
        const bool barefoot = env.setup().cb15->isChecked();
        runs.push_back(
            {skier, pass, file, hint + steps, hint + steps + (barefoot ? 450 : 599), frames});
        ASSERT_TRUE(QFileInfo(file).isFile());
    }

    void mark(int steps, int from) {
        screens::frmSetStart& r = review();
        for (int i = 0; i < steps; ++i)
            r.Command4_Click();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return env.player()->shownFrame() == from + steps; }, 15000));
        r.Text7->setText("1");
        r.cmdMarkStart_Click();
        EXPECT_EQ(r.startFrame, from + steps);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !r.Timer1->isActive(); }, 20000))
            << "the replay did not end";
    }

    void backToCapture() {
        review().cmdGoToCapture_Click();
        QCoreApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return env.session().NavigationSource.isEmpty(); }));
        ASSERT_TRUE(capture().isVisible());
    }

    // Keeps what every recording on disk looks like now; at the end none may have changed.
    void stampRecordings() {
        for (const QString& name : QDir(env.videoDir()).entryList({"*.avi"}, QDir::Files))
            stamps.emplace(name, stampOf(video(name))); // the first stamp of each stays
    }

    void nextSkier(const QString& name) {
        capture().txtSkierName->setText(name);
        capture().txtPass->setText("1");
    }
};

TEST_F(EventDay, ADayOfRunsLeavesExactlyTheRightFilesOnDisk) {
    // --- First start: an empty settings store ---
    env.chooseTestCamera();
    env.dialogs.answers = {Answer::No}; // no reset: the second question is not asked
    env.dialogs.inputs = {env.videoDir()};
    env.screens.start();
    ASSERT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.inputCalls[0].title, "Input Save Video Files Path");
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"Do you want to reset all parameters to install values?"});
    env.dialogs.clear();
    ASSERT_TRUE(setup().isVisible());
    ASSERT_TRUE(env.realControl.Connected());
    EXPECT_EQ(env.storedValue("logpath"), env.videoDir());
    const QString logName = app::logFileNameFor(env.clock);
    const QString logPath = video(logName);
    ASSERT_TRUE(QFileInfo(logPath).isFile()) << "the session line opens the day's log";

    // --- Configuration: Motion JPEG, 30 frames a second, the shortest pause ---
    const int mjpeg = setup().CompressionCombo->findText("Motion JPEG", Qt::MatchContains);
    ASSERT_GE(mjpeg, 1);
    setup().CompressionCombo->setCurrentIndex(mjpeg);
    setup().CompressionCombo_Click();
    EXPECT_EQ(env.realControl.VideoCompressor(), mjpeg - 1);
    setup().EdtRate->setText("30");
    setup().List1->setCurrentRow(0);
    EXPECT_EQ(env.storedValue("framerate"), "30");

    // --- Three skiers from a names file ---
    const QString names = env.writeFile(env.root() + "/names.txt", "Ann\r\nBob\r\nCid\r\n");
    env.dialogs.files = {names};
    setup().cmdImport_Click();
    expectNoBoxes("import");
    EXPECT_EQ(env.readFile(env.appDir() + "/SkierNames.txt"), "Ann\r\nBob\r\nCid\r\n");

    setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(capture().isVisible());

    // --- Two passes each, "Start of Tricks" at different moments ---
    const QStringList skiers = {"Ann", "Bob", "Cid"};
    const int markAt[3][2] = {{30, 75}, {45, 120}, {60, 90}};
    for (int s = 0; s < 3; ++s) {
        nextSkier(skiers[s]);
        for (int p = 0; p < 2; ++p) {
            SCOPED_TRACE((skiers[s] + " pass " + QString::number(p + 1)).toStdString());
            const QString expected = video(skiers[s] + "pass" + QString::number(p + 1) + ".avi");
            ASSERT_FALSE(QFileInfo::exists(expected));
            ASSERT_NO_FATAL_FAILURE(record(markAt[s][p], 599));
            EXPECT_EQ(review().Text6->toPlainText(), expected);
            ASSERT_NO_FATAL_FAILURE(markAfterRecording(skiers[s], QString::number(p + 1), p + s));
            expectNoBoxes("a plain run");
            stampRecordings();
            ASSERT_NO_FATAL_FAILURE(backToCapture());
            if (p == 1) { // the pass after two runs is 3: a new skier may be due
                EXPECT_EQ(env.dialogs.texts(), QStringList{run::kHighPassText});
                env.dialogs.clear();
            }
            expectNoBoxes("back to capture");
        }
    }

    // --- A barefoot pass: Cid's third, 15 s ---
    env.setup().cb15->setChecked(true);
    EXPECT_EQ(capture().txtPass->text(), " 3");
    ASSERT_NO_FATAL_FAILURE(record(50, 450));
    EXPECT_EQ(review().Text6->toPlainText(), video("Cidpass3.avi"));
    ASSERT_NO_FATAL_FAILURE(markAfterRecording("Cid", "3", 1));
    EXPECT_FALSE(review().Label9->isHidden()) << "the barefoot notice";
    expectNoBoxes("barefoot run");
    stampRecordings();
    env.setup().cb15->setChecked(false);
    ASSERT_NO_FATAL_FAILURE(backToCapture());
    env.dialogs.clear(); // pass 4 may bring the high pass warning

    // --- A second skier called Ann: the name is fixed when the run arrives for review ---
    nextSkier("Ann");
    env.dialogs.inputs = {"Ann Marie"};
    ASSERT_NO_FATAL_FAILURE(record(40, 599));
    EXPECT_FALSE(capture().Label4->isHidden()) << "the name had to change";
    EXPECT_EQ(capture().CaptureFileName, video("AnnXpass1.avi"));
    ASSERT_NO_FATAL_FAILURE(markAfterRecording("Ann Marie", "1", 2));
    ASSERT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.inputCalls[0].title, "Fix the skier's name");
    EXPECT_EQ(env.dialogs.inputCalls[0].preset, "AnnX");
    EXPECT_EQ(review().Text6->toPlainText(), video("Ann Mariepass1.avi"));
    EXPECT_FALSE(QFileInfo::exists(video("AnnXpass1.avi")));
    expectNoBoxes("renamed run");
    EXPECT_EQ(capture().txtSkierName->text(), "Ann Marie");
    stampRecordings();

    // --- Bob's first pass reopened from the log viewer and marked again ---
    review().cmdViewLog_Click();
    screens::LogView* viewer = env.screens.logView();
    ASSERT_NE(viewer, nullptr);
    const DayRun& bob1 = runs[2];
    int row = -1;
    for (int i = 0; i < viewer->lstLog->count(); ++i)
        if (viewer->lstLog->item(i)->text().endsWith("File: " + bob1.file))
            row = i;
    ASSERT_GE(row, 0);
    viewer->lstLog->setCurrentRow(row);
    viewer->lstLog_DblClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return env.session().NavigationSource.isEmpty(); }));
    EXPECT_EQ(review().Text6->toPlainText(), bob1.file);
    ASSERT_EQ(env.dialogs.texts(), QStringList{"File already measured - start frame is " +
                                               app::SignedNumberText(bob1.start)});
    env.dialogs.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return env.player()->shownFrame() == 0; }, 15000));
    const int remarkFrom = env.player()->shownFrame();
    ASSERT_NO_FATAL_FAILURE(mark(3, remarkFrom));
    expectNoBoxes("re-marked run");
    runs.push_back({"Bob", "1", bob1.file, remarkFrom + 3, remarkFrom + 3 + 599, bob1.frames});

    // ===== Every file on disk =====
    QStringList expectedFiles;
    for (const DayRun& run : runs) {
        const QString name = QFileInfo(run.file).fileName();
        if (!expectedFiles.contains(name))
            expectedFiles << name << name + ".info" << name + ".timing";
    }
    expectedFiles << logName;
    expectedFiles.sort();
    EXPECT_EQ(filesBelow(env.videoDir()), expectedFiles);
    // Outside the video folder: only the settings, the skier list and the imported file.
    QStringList outside = filesBelow(env.root());
    outside.removeIf([](const QString& f) { return f.startsWith("videos/"); });
    EXPECT_EQ(outside, QStringList({"app/SkierNames.txt", "names.txt", "settings.ini"}));

    // Recordings: the frames the control counted, at 30 frames a second, each picture in order.
    for (size_t i = 0; i + 1 < runs.size(); ++i) {
        const DayRun& run = runs[i];
        SCOPED_TRACE(run.file.toStdString());
        const capture_test::Recording r = capture_test::readRecording(run.file);
        ASSERT_TRUE(r.opened) << r.error.toStdString();
        EXPECT_EQ(r.headerFrames, run.frames);
        EXPECT_EQ(r.frameRate.num, kRate);
        EXPECT_EQ(r.frameRate.den, 1);
        EXPECT_EQ(r.videoCodec, "mjpeg");
        // The program's own AVI reading, as the review screen uses it, agrees.
        EXPECT_EQ(media::AviLength(run.file, env.dialogs), static_cast<quint32>(run.frames));
        EXPECT_EQ(media::AviFrameRate(run.file, env.dialogs), static_cast<quint32>(kRate));
        ASSERT_EQ(static_cast<qint64>(r.numbers.size()), run.frames);
        for (size_t f = 0; f < r.numbers.size(); ++f)
            ASSERT_EQ(r.numbers[f], static_cast<int>(f)) << "picture " << f;
        EXPECT_GE(run.frames, run.end) << "the pass end lies in the recording";
    }
    expectNoBoxes("reading the recordings");
    // Nothing recorded was replaced or changed afterwards.
    for (const auto& [name, stamp] : stamps)
        EXPECT_EQ(stampOf(video(name)), stamp) << name.toStdString();

    // Companion files: the start last marked, CR LF.
    for (const DayRun& run : runs) {
        if (&run == &runs[2])
            continue; // marked again: the last entry holds its present start
        EXPECT_EQ(env.readFile(run.file + ".info").toStdString(),
                  (run.file + "," + app::SignedNumberText(run.start) + "\r\n").toStdString());
    }

    // The session log: the session line, then one entry per marking, in order, CR LF each.
    QByteArray expectedLog = (app::sessionLine(env.clock) + "\r\n").toLocal8Bit();
    for (const DayRun& run : runs)
        expectedLog +=
            (app::runEntryLine(env.clock, run.skier, run.pass, run.start, run.end, run.file) +
             "\r\n")
                .toLocal8Bit();
    const QByteArray log = env.readFile(logPath);
    const QList<QByteArray> got = log.split('\n');
    const QList<QByteArray> want = expectedLog.split('\n');
    ASSERT_EQ(got.size(), want.size()) << log.toStdString();
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << "log line " << i;
    EXPECT_TRUE(log.startsWith(QByteArray("01-18-2005") + "20:24:14Skivane Session started  \r\n"));
}

} // namespace
