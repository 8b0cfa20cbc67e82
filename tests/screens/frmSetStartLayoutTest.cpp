// The review screen's controls, its load, browsing for a run, and the free-space read-out.
#include "core/app/DesignFont.h"
#include "frmSetStartFixture.h"

#include "core/app/Twips.h"
#include "ui/screens/LogView.h"
#include "ui/widgets/FitCaption.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

using namespace reviewtest;
using ports::Icon;

namespace {
template <typename W> W* find(QWidget& screen, const char* name) {
    return screen.findChild<W*>(QString::fromLatin1(name));
}

void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
           const QString& text = QString()) {
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &up);
}
} // namespace

TEST_F(ReviewScreen, ControlsStandWhereDesignedAndTheHiddenOnesAreHidden) {
    screens::frmSetStart& s = screen();
    EXPECT_EQ(s.windowTitle(), "Skivane 2004 Timer & Review Screen");
    EXPECT_EQ(s.MediaPlayer1->view()->geometry(), app::twips(240, 360, 5775, 5415));
    EXPECT_EQ(s.MediaPlayer1->view()->objectName(), "MediaPlayer1");
    EXPECT_EQ(find<QPushButton>(s, "cmdMarkStart")->geometry(), app::twips(6480, 3000, 1695, 495));
    EXPECT_EQ(find<QTextEdit>(s, "Text6"), s.Text6);
    EXPECT_EQ(s.Text6->geometry(), app::twips(6360, 480, 3255, 975));
    EXPECT_EQ(s.lblDiskSpace->geometry(), app::twips(2520, 0, 1215, 255));
    // "Play before end" takes the place of the marking button from the start.
    EXPECT_EQ(s.Command7->geometry(), app::twips(6480, 3000, 1695, 495));
    EXPECT_EQ(s.Label5->text(), "Select Start Position using direction buttons and/or slider");
    EXPECT_EQ(s.cbFullScreen->text(),
              "Play using Full Screen, ESC returns Click Mouse to repeat Play");
    EXPECT_EQ(s.Command1->font().pointSizeF(), 18.0);
    EXPECT_TRUE(s.Label9->font().bold());
    EXPECT_EQ(s.Label9->font().pointSizeF(), 12.0);
    EXPECT_EQ(s.Label3->font().family(), app::designFamily());
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{s.Command7, s.cmdPlayAndPause, s.Text7, s.Label2, s.Label6,
                                         s.cbPlayAfter, s.Label9, s.lstFileInfo, s.Label11})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_FALSE(s.cmdMarkStart->isHidden());
    // Nothing loaded: nothing to play or mark.
    EXPECT_FALSE(s.Command5->isEnabled());
    EXPECT_FALSE(s.Command7->isEnabled());
    EXPECT_FALSE(s.cmdMarkStart->isEnabled());
    EXPECT_EQ(s.Text4->text(), "2");
    EXPECT_EQ(s.Text7->text(), "5");
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_TRUE(s.Timer2->isActive());
    EXPECT_EQ(s.Timer2->interval(), 100);
}

TEST_F(ReviewScreen, BrowsingLoadsAnAviAndReportsAnEarlierStartFromTheLastComma) {
    const QString path = video("Ann, Leepass1.avi");
    ASSERT_TRUE(makeAvi(path, 90, 30));
    env.writeFile(path + ".info", (path + ", 212\r\n").toLocal8Bit());
    env.dialogs.files.push_back(path);
    screens::frmSetStart& s = screen();
    s.Command6_Click();

    ASSERT_EQ(env.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.fileCalls[0].initialFolder, env.videoDir());
    EXPECT_EQ(env.dialogs.fileCalls[0].filter, "*.avi|*.avi");
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "File already measured - start frame is  212");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Start Already Measured Warning");
    EXPECT_EQ(s.Text6->toPlainText(), path);
    EXPECT_EQ(s.framesPerSecond, 30);
    EXPECT_EQ(s.fileFrames, 90);
    EXPECT_GE(s.lstFileInfo->count(), 1);
    EXPECT_EQ(s.lstFileInfo->item(0)->text(), "Filename: " + path);
    EXPECT_TRUE(s.cmdMarkStart->isEnabled());
    EXPECT_TRUE(s.Command5->isEnabled());
    EXPECT_EQ(player->fileName, path);
    EXPECT_TRUE(player->calls.contains("stop"));
    EXPECT_TRUE(player->seekEnabled);
}

TEST_F(ReviewScreen, AFileThatIsNotAnAviIsRefusedAndTheCurrentRunReloaded) {
    const QString run = video("Annpass1.avi");
    ASSERT_TRUE(makeAvi(run, 30, 30));
    env.dialogs.files.push_back(run);
    screens::frmSetStart& s = screen();
    s.Command6_Click();
    // A start marked on the run, then a refused file: the start is unlocked, the run reloaded.
    s.cmdMarkStart_Click();
    env.dialogs.clear();
    player->calls.clear();
    env.dialogs.files.push_back(env.writeFile(video("notes.avi"), "just some text, not RIFF"));
    s.Command6_Click();
    ASSERT_FALSE(env.dialogs.boxes.empty());
    EXPECT_EQ(env.dialogs.boxes.back().text, "Not a valid avi file");
    EXPECT_EQ(env.dialogs.boxes.back().icon, Icon::Exclamation);
    EXPECT_EQ(env.dialogs.boxes.back().title, "Grabora Demo");
    EXPECT_EQ(s.Text6->toPlainText(), run);
    EXPECT_EQ(player->calls.first(), "file " + run);
    EXPECT_EQ(s.startLocked, 0);
    EXPECT_FALSE(s.cmdMarkStart->isHidden());
    EXPECT_TRUE(s.Command7->isHidden());
    EXPECT_TRUE(s.Command1->isEnabled());

    // A cancelled dialog does the same without a box.
    env.dialogs.clear();
    s.Command6_Click();
    EXPECT_TRUE(env.dialogs.boxes.empty());
    EXPECT_EQ(player->fileName, run);
}

// The path box shows the run that marking reads: keys never change it, and Tab moves on.
TEST_F(ReviewScreen, ThePathBoxTakesNoTypingAndTabMovesOn) {
    const QString run = video("Annpass1.avi");
    showAndArrive();
    screens::frmSetStart& s = screen();
    s.setRunPath(run);
    s.activateWindow();
    s.Text6->setFocus();
    press(s.Text6, Qt::Key_X, Qt::NoModifier, "x");
    press(s.Text6, Qt::Key_Backspace);
    press(s.Text6, Qt::Key_Delete);
    press(s.Text6, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::clipboard()->setText("other");
    s.Text6->selectAll();
    press(s.Text6, Qt::Key_V, Qt::ControlModifier); // paste over the selection
    press(s.Text6, Qt::Key_X, Qt::ControlModifier); // cut
    press(s.Text6, Qt::Key_Tab, Qt::NoModifier, "\t");
    EXPECT_EQ(s.Text6->toPlainText(), run);
    EXPECT_TRUE(s.Text6->isReadOnly());
    EXPECT_TRUE(s.Text6->tabChangesFocus());
    EXPECT_TRUE(s.Text6->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(s.Text6->textInteractionFlags() & Qt::TextSelectableByKeyboard);
}

TEST_F(ReviewScreen, FreeSpaceIsShownInWholeMegabytesWithAWarningBelow200) {
    env.disk.volume = "/media/runs";
    env.disk.freeBytes = 199999999;
    showAndArrive();
    screens::frmSetStart& s = screen();
    EXPECT_EQ(s.Label10->text(), "Disk Space Available /media/runs");
    EXPECT_TRUE(widgets::captionFits(*s.Label10)); // a mount point longer than "C:\\" shows whole
    EXPECT_EQ(s.lblDiskSpace->text(), " 199 MB");
    EXPECT_FALSE(s.Label11->isHidden());
    EXPECT_TRUE(env.disk.asked.contains(env.videoDir()));

    env.disk.freeBytes = 200000000;
    s.Form_Paint();
    EXPECT_EQ(s.lblDiskSpace->text(), " 200 MB");
    EXPECT_TRUE(s.Label11->isHidden());

    // A volume that cannot be queried reads as nothing free.
    env.disk.freeBytes.reset();
    s.Form_Paint();
    EXPECT_EQ(s.lblDiskSpace->text(), " 0 MB");
    EXPECT_FALSE(s.Label11->isHidden());
}

TEST_F(ReviewScreen, LeavingShowsTheOtherScreenAndStopsTheKeyPoll) {
    showAndArrive();
    screens::frmSetStart& s = screen();
    s.Command1->setEnabled(false);
    player->seekEnabled = false;
    s.cmdGoToSetup_Click();
    EXPECT_TRUE(env.setup().isVisible());
    EXPECT_FALSE(s.isVisible());
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_TRUE(s.Command1->isEnabled());
    EXPECT_TRUE(player->seekEnabled);
    EXPECT_EQ(env.session().NavigationSource, "Timer");

    showAndArrive();
    EXPECT_TRUE(s.Timer2->isActive());
    s.cmdGoToCapture_Click();
    EXPECT_TRUE(env.capture().isVisible());
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(env.session().NavigationSource, "Timer");
}

TEST_F(ReviewScreen, ViewLogOpensTheViewerOverThisScreen) {
    showAndArrive();
    screens::frmSetStart& s = screen();
    s.cmdViewLog_Click();
    ASSERT_NE(env.screens.logView(), nullptr);
    EXPECT_TRUE(env.screens.logView()->isVisible());
    EXPECT_EQ(env.screens.logView()->parentWidget(), &s);
    EXPECT_TRUE(s.isVisible());
}
