// Marking the start: the run entry, the ".info" file, the pass-end check and failing writes.
#include "frmSetStartFixture.h"
#include "unit/AviTestBuilder.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace reviewtest;
using ports::Icon;

namespace {
const QString kNotStandard = QStringLiteral(
    "Warning, tis is not a  standard SKV file so it will not be saved in the Log for future "
    "reference");
}

class Marking : public ReviewScreen {
protected:
    // Loads `name` (a real AVI of `frames` frames at `rate` fps) by browsing.
    QString load(const QString& name, int frames, int rate) {
        const QString path = video(name);
        EXPECT_TRUE(makeAvi(path, frames, rate));
        env.dialogs.files.push_back(path);
        screen().Command6_Click();
        env.dialogs.clear();
        return path;
    }
};

TEST_F(Marking, WritesTheRunEntryAndTheInfoLineByteForByte) {
    env.clock = QDateTime(QDate(2005, 1, 18), QTime(20, 31, 7));
    env.writeFile(logPath(), "01-18-200520:24:14Skivane Session started  \r\n");
    const QString path = load("Ann Leepass2.avi", 900, 30);
    screens::frmSetStart& s = screen();
    player->position = 212.5; // half frames round to the even neighbour
    s.cmdMarkStart_Click();

    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(env.readFile(logPath()),
              "01-18-200520:24:14Skivane Session started  \r\n"
              "01-18-200520:31:07Skier: Ann LeePass: 2Start:  212End:  811File: " +
                  path.toLocal8Bit() + "\r\n");
    EXPECT_EQ(env.readFile(path + ".info"), path.toLocal8Bit() + ", 212\r\n");
    EXPECT_EQ(s.startFrame, 212);
    EXPECT_EQ(s.startLocked, 1);
    EXPECT_TRUE(s.startTaken);
    EXPECT_EQ(s.Label5->text(), "Start Position is now Locked");
    EXPECT_TRUE(s.cmdMarkStart->isHidden());
    for (QWidget* shown :
         {static_cast<QWidget*>(s.Command7), static_cast<QWidget*>(s.Text7),
          static_cast<QWidget*>(s.cmdPlayAndPause), static_cast<QWidget*>(s.Label2)})
        EXPECT_FALSE(shown->isHidden()) << shown->objectName().toStdString();
    EXPECT_FALSE(s.Command1->isEnabled());
    EXPECT_FALSE(s.Command4->isEnabled());
    EXPECT_FALSE(player->seekEnabled);
    // The replay of the pass end follows at once: 5 s before end frame 811.
    EXPECT_EQ(player->selectionStart, 661);
    EXPECT_EQ(player->selectionEnd, 811);
    EXPECT_EQ(player->plays, 1);
    EXPECT_EQ(s.Timer1->interval(), 6500);
    EXPECT_TRUE(s.Timer1->isActive());
}

TEST_F(Marking, AnEntryAfterALastLineWithoutLineEndStartsOnItsOwnLine) {
    env.clock = QDateTime(QDate(2005, 1, 18), QTime(20, 31, 7));
    env.writeFile(logPath(), "01-18-200520:24:14Skivane Session started  \r\nnote by hand");
    const QString path = load("Annpass1.avi", 900, 30);
    player->position = 100;
    screen().cmdMarkStart_Click();
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(env.readFile(logPath()),
              "01-18-200520:24:14Skivane Session started  \r\nnote by hand\r\n"
              "01-18-200520:31:07Skier: AnnPass: 1Start:  100End:  699File: " +
                  path.toLocal8Bit() + "\r\n");
}

TEST_F(Marking, BarefootAndTheFileOwnFrameRate) {
    setBarefoot(true);
    const QString path = load("Bobpass12.avi", 700, 25);
    player->position = 100;
    screen().cmdMarkStart_Click();
    EXPECT_TRUE(env.readFile(logPath()).endsWith(
        "Skier: BobPass: 12Start:  100End:  475File: " + path.toLocal8Bit() + "\r\n"));
}

TEST_F(Marking, ANameThatIsNotStandardWritesNothingButStillReplays) {
    const QString path = load("Bobpass1234.avi", 900, 30);
    player->position = 10;
    screen().cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, kNotStandard);
    EXPECT_EQ(env.dialogs.boxes[0].icon, Icon::Exclamation);
    EXPECT_FALSE(QFile::exists(logPath()));
    EXPECT_FALSE(QFile::exists(path + ".info"));
    EXPECT_EQ(player->plays, 1);
}

TEST_F(Marking, TheEndMustLieInsideTheFile) {
    load("Annpass1.avi", 800, 30);
    screens::frmSetStart& s = screen();
    player->position = 201; // 201 + 599 = 800: the last frame still counts
    s.cmdMarkStart_Click();
    EXPECT_TRUE(env.dialogs.boxes.empty());
    EXPECT_EQ(player->plays, 1);

    s.Timer1_Timer(); // the replay ends
    player->plays = 0;
    load("Annpass2.avi", 800, 30);
    player->position = 202;
    s.cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].title, "Captured File too short Warning");
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith(
        "I am sorry, but the file is only  800 frames long and the start position you have "
        "selected means that the end should be at frame  801 which"));
    // Nothing is played, but the run was still logged.
    EXPECT_EQ(player->plays, 0);
    EXPECT_EQ(s.beforeEndLoop, 0);
    EXPECT_TRUE(env.readFile(logPath()).contains("Start:  202End:  801File: "));
}

TEST_F(Marking, AnEndBeyondSixteenBitsIsTooShortWithItsRealNumber) {
    load("Annpass1.avi", 30, 30);
    screens::frmSetStart& s = screen();
    s.fileFrames = 32767;
    player->position = 32700;
    s.cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.contains("end should be at frame  33299 which"));
    EXPECT_EQ(player->plays, 0);
}

TEST_F(Marking, AFolderGoneAfterStartUpIsNamedAndTheReplayStillRuns) {
    const QString path = load("Annpass1.avi", 900, 30);
    // The log's folder no longer exists; the run's own folder does.
    env.session().VideoDirectory = env.root() + "/gone";
    player->position = 100;
    screen().cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.contains(env.root() + "/gone/SkivaneLog011805.txt"));
    EXPECT_EQ(env.dialogs.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(env.readFile(path + ".info"), path.toLocal8Bit() + ", 100\r\n");
    EXPECT_EQ(player->plays, 1);
}

TEST_F(Marking, AnInfoFileThatCannotBeReplacedIsNamedAndLeftAlone) {
    const QString path = load("Annpass1.avi", 900, 30);
    // A folder where the companion file should go: it cannot be replaced by a file.
    ASSERT_TRUE(QDir().mkpath(path + ".info/keep"));
    player->position = 100;
    screen().cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.contains(path + ".info"));
    EXPECT_TRUE(QDir(path + ".info/keep").exists());
    EXPECT_TRUE(env.readFile(logPath()).contains("Start:  100End:  699File: "));
    EXPECT_EQ(player->plays, 1);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(env.videoDir()).entryList({"*.info*"}, QDir::Files), QStringList());
}

// A run entry that would not hold the run is refused with one message and nothing is written:
// a start beyond what the log's 16-bit fields hold, a video whose headers cannot be read, a
// video that is gone. A damaged video also gives one message when it is loaded, not one a value.
TEST_F(Marking, RunsThatCannotBeMarkedWriteNothing) {
    screens::frmSetStart& s = screen();
    const QString nothing = " The start was not marked and nothing was written to the log.";
    auto nothingWritten = [&](const QString& path) {
        EXPECT_FALSE(QFile::exists(logPath()));
        EXPECT_FALSE(QFile::exists(path + ".info"));
        EXPECT_EQ(s.startLocked, 0);
        EXPECT_FALSE(s.cmdMarkStart->isHidden());
    };

    QString path = load("Annpass1.avi", 900, 30);
    player->position = 32767.6;
    s.cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              "Frame 32768 is beyond frame 32767, the last start frame the log can hold." +
                  nothing);
    EXPECT_EQ(env.dialogs.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(player->plays, 0);
    nothingWritten(path);

    // Headers cut short: one message at load, one at marking.
    path = video("Bobpass1.avi");
    ASSERT_TRUE(makeAvi(path, 30, 30));
    ASSERT_TRUE(QFile::resize(path, 40));
    env.dialogs.clear();
    env.dialogs.files.push_back(path);
    s.Command6_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u) << env.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(env.dialogs.boxes[0].text, "Unable to read AVI file info from:\r\n" + path);
    EXPECT_EQ(s.framesPerSecond, 0);
    env.dialogs.clear();
    s.cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              "The video " + path +
                  " cannot be read: its frame rate is unknown, so the end of the pass cannot be "
                  "worked out." +
                  nothing);
    nothingWritten(path);

    // Opened from the log viewer after the file was deleted.
    path = video("Cypass1.avi");
    env.session().FileToView = path;
    env.session().NavigationSource = "View";
    showAndArrive();
    env.dialogs.clear();
    s.cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "The video " + path + " no longer exists." + nothing);
    nothingWritten(path);

    // Handed over from the Capture screen with the control's rate, but holding no frame: a
    // recording that wrote nothing (a full disk) and one that wrote only its headers.
    avitest::Avi headersOnly;
    headersOnly.frames = 0;
    const std::pair<const char*, std::string> empties[] = {{"Dapass1.avi", std::string()},
                                                           {"Edpass1.avi", headersOnly.bytes()}};
    for (const auto& [name, bytes] : empties) {
        path = video(name);
        ASSERT_TRUE(avitest::writeFile(path, bytes));
        s.setRunPath(path);
        env.session().CapturedFrameRate = 30;
        env.session().CapturedFrameCount = 0;
        env.session().NavigationSource = "Capture";
        s.hide();
        showAndArrive();
        env.dialogs.clear();
        s.cmdMarkStart_Click();
        ASSERT_EQ(env.dialogs.boxes.size(), 1u) << name;
        EXPECT_EQ(env.dialogs.boxes[0].text,
                  "The video " + path + " holds no frame: nothing was recorded into it." + nothing);
        EXPECT_EQ(env.dialogs.boxes[0].icon, Icon::Exclamation);
        nothingWritten(path);
    }

    // "View Already Recorded Runs" from the Capture screen empties the path box; the player
    // keeps its picture, but no run is named to mark.
    env.session().NavigationSource = "CaptureGoToTimer";
    s.hide();
    showAndArrive();
    ASSERT_TRUE(s.Text6->toPlainText().isEmpty());
    env.dialogs.clear();
    s.cmdMarkStart_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              "No run is open: choose one with \"...\" first." + nothing);
    nothingWritten(path);
}
