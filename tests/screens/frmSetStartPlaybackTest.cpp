// Frame steps, keys, the play buttons and the one-shot loop timer.
#include "frmSetStartFixture.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

using namespace reviewtest;

class Playback : public ReviewScreen {
protected:
    // A loaded run without touching the disk: the timing fields as a load sets them.
    screens::frmSetStart& loaded(double fps, qint16 frames) {
        screens::frmSetStart& s = screen();
        s.Text6->setPlainText(video("Annpass1.avi"));
        s.framesPerSecond = fps;
        s.fileFrames = frames;
        s.Command5->setEnabled(true);
        s.cmdMarkStart->setEnabled(true);
        return s;
    }
    void key(QWidget* target, QEvent::Type type, int k, bool autoRepeat = false) {
        QKeyEvent e(type, k, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(target, &e);
    }
};

TEST_F(Playback, PlayBeforeStartSelectionsIntervalsAndTheTick) {
    screens::frmSetStart& s = loaded(30, 3000);
    player->position = 300;
    s.cbFullScreen->setChecked(true);
    s.Command5_Click();
    EXPECT_EQ(player->selectionStart, 240);
    EXPECT_EQ(player->selectionEnd, 300);
    EXPECT_EQ(s.Timer1->interval(), 2300);
    EXPECT_TRUE(s.Timer1->isActive());
    EXPECT_EQ(player->displaySize, 3);
    EXPECT_EQ(player->plays, 1);
    EXPECT_TRUE(s.startTaken);
    // A second click while the replay runs is ignored.
    s.Command5_Click();
    EXPECT_EQ(player->plays, 1);
    s.Timer1_Timer();
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_EQ(s.beforeStartLoop, 0);
    EXPECT_EQ(player->displaySize, 4);

    // An early start plays from frame 0 and waits only until the start.
    player->position = 40;
    s.Command5_Click();
    EXPECT_EQ(player->selectionStart, 0);
    EXPECT_EQ(player->selectionEnd, 40);
    EXPECT_EQ(s.Timer1->interval(), 1633);
    s.Timer1_Timer();
    player->position = 0;
    s.Command5_Click();
    EXPECT_EQ(player->selectionEnd, 1);
}

TEST_F(Playback, PlayBeforeEndThenContinuePastTheEnd) {
    screens::frmSetStart& s = loaded(25, 3000);
    player->position = 100;
    s.cmdPlayAndPause_Click();
    EXPECT_TRUE(s.startTaken);
    EXPECT_EQ(s.startLocked, 1);
    EXPECT_FALSE(s.cmdMarkStart->isEnabled());
    EXPECT_EQ(player->selectionStart, 475);
    EXPECT_EQ(player->selectionEnd, 600);
    EXPECT_EQ(s.Timer1->interval(), 6500);
    EXPECT_TRUE(s.cbPlayAfter->isChecked());

    s.Timer1_Timer(); // the pause is over: the two seconds after the end follow
    EXPECT_FALSE(s.cbPlayAfter->isChecked());
    EXPECT_EQ(s.afterEndPhase, 1);
    EXPECT_EQ(player->selectionStart, 600);
    EXPECT_EQ(player->selectionEnd, 650);
    EXPECT_EQ(s.Timer1->interval(), 2100);
    EXPECT_TRUE(s.Timer1->isActive());
    EXPECT_EQ(player->plays, 2);

    s.Timer1_Timer(); // ready for another replay with the player's own button
    EXPECT_EQ(player->selectionStart, 475);
    EXPECT_EQ(player->selectionEnd, 600);
    EXPECT_EQ(s.beforeEndLoop, 0);
    EXPECT_EQ(s.afterEndPhase, 0);
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_EQ(player->plays, 2);

    // Without the continue flag the tick ends the replay.
    s.Command7_Click();
    EXPECT_EQ(player->plays, 3);
    s.Timer1_Timer();
    EXPECT_EQ(s.beforeEndLoop, 0);
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_EQ(player->plays, 3);
}

TEST_F(Playback, AnEarlyStartWithLongSecondsBeforeEndPlaysFromFrameZero) {
    screens::frmSetStart& s = loaded(30, 3000);
    s.Text7->setText("22");
    player->position = 10;
    s.Command7_Click();
    EXPECT_EQ(player->selectionStart, 0);
    EXPECT_EQ(player->selectionEnd, 609);
}

TEST_F(Playback, PlayBeforeStartEndsARunningEndReplayAtItsTick) {
    screens::frmSetStart& s = loaded(30, 3000);
    player->position = 300;
    s.Command7_Click();
    s.Command5_Click();
    EXPECT_EQ(s.Timer1->interval(), 2300);
    s.Timer1_Timer();
    EXPECT_EQ(s.beforeStartLoop, 0);
    EXPECT_EQ(s.beforeEndLoop, 0);
    EXPECT_FALSE(s.Timer1->isActive());
}

TEST_F(Playback, SecondsBoxesKeepTheirLimits) {
    screens::frmSetStart& s = screen();
    s.Text4->setText("0");
    EXPECT_EQ(s.Text4->text(), "1");
    s.Text4->setText("9");
    EXPECT_EQ(s.Text4->text(), "5");
    s.Text4->setText("2.5");
    EXPECT_EQ(s.Text4->text(), "2.5");
    s.Text7->setText("30");
    EXPECT_EQ(s.Text7->text(), "22");
    s.Text7->setText("");
    EXPECT_EQ(s.Text7->text(), "1");
}

TEST_F(Playback, FrameStepsAndPlayerKeys) {
    screens::frmSetStart& s = loaded(30, 3000);
    player->position = 2;
    s.Command1_Click();
    EXPECT_EQ(player->position, 1);
    s.Command1_Click(); // never below frame 1
    EXPECT_EQ(player->position, 1);
    s.Command4_Click();
    EXPECT_EQ(player->position, 2);
    // Keypad 6 and 4 step even while the buttons are disabled; other keys do nothing.
    s.Command1->setEnabled(false);
    s.Command4->setEnabled(false);
    emit player->PlayerKey(102, 0);
    EXPECT_EQ(player->position, 3);
    emit player->PlayerKey(100, 1);
    EXPECT_EQ(player->position, 2);
    emit player->PlayerKey(39, 0);
    EXPECT_EQ(player->position, 2);
}

TEST_F(Playback, ArrowKeysArePolledEvery100Ms) {
    screens::frmSetStart& s = loaded(30, 3000);
    showAndArrive();
    player->position = 50;
    // A tap between two polls still steps once.
    key(s.Command5, QEvent::KeyPress, Qt::Key_Right);
    key(s.Command5, QEvent::KeyRelease, Qt::Key_Right);
    s.Timer2_Timer();
    EXPECT_EQ(player->position, 51);
    s.Timer2_Timer();
    EXPECT_EQ(player->position, 51);
    // Held down: one step per poll until released.
    key(s.Command5, QEvent::KeyPress, Qt::Key_Left);
    s.Timer2_Timer();
    key(s.Command5, QEvent::KeyPress, Qt::Key_Left, true);
    key(s.Command5, QEvent::KeyRelease, Qt::Key_Left, true);
    s.Timer2_Timer();
    EXPECT_EQ(player->position, 49);
    key(s.Command5, QEvent::KeyRelease, Qt::Key_Left);
    s.Timer2_Timer();
    EXPECT_EQ(player->position, 49);
    // While the start is locked the arrows do nothing.
    s.Command1->setEnabled(false);
    key(s.Command5, QEvent::KeyPress, Qt::Key_Left);
    key(s.Command5, QEvent::KeyRelease, Qt::Key_Left);
    s.Timer2_Timer();
    EXPECT_EQ(player->position, 49);
    // Keys in another window are not this screen's.
    key(&env.setup(), QEvent::KeyPress, Qt::Key_Right);
    key(&env.setup(), QEvent::KeyRelease, Qt::Key_Right);
    s.Timer2_Timer();
    EXPECT_EQ(player->position, 49);
}

TEST_F(Playback, FocusRulesOfTheCheckBoxes) {
    screens::frmSetStart& s = screen();
    const int before = player->focusCalls;
    s.cbPlayAfter->setChecked(true);
    EXPECT_EQ(player->focusCalls, before + 1);
    s.cbFullScreen->setChecked(true);
    EXPECT_EQ(player->focusCalls, before + 2);
    s.cbPlayAfter->setChecked(false); // full screen: the player is not given the focus
    EXPECT_EQ(player->focusCalls, before + 2);
}
