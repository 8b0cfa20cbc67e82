// Playback loops and keys: frame steps, the arrow-key poll, the three play buttons, the one-shot
// loop timer and the seconds boxes.
#include "core/app/TextNumbers.h"
#include "core/ports/MediaPlayer.h"
#include "core/run/PassTiming.h"
#include "core/run/ReplayTiming.h"
#include "ui/screens/review/frmSetStart.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace screens {
namespace {
constexpr int kKeypad4 = 100;
constexpr int kKeypad6 = 102;
constexpr int kFullScreen = 3;
constexpr int kFitted = 4;
} // namespace

void frmSetStart::giveFocusAfterPlay() {
    if (MediaPlayer1->PlayerDisplaySize() != kFullScreen)
        MediaPlayer1->giveFocus();
}

void frmSetStart::Command1_Click() {
    const double position = MediaPlayer1->PlayerPosition();
    if (position > 1)
        MediaPlayer1->setPlayerPosition(position - 1);
    MediaPlayer1->giveFocus();
}

void frmSetStart::Command4_Click() {
    MediaPlayer1->setPlayerPosition(MediaPlayer1->PlayerPosition() + 1);
    MediaPlayer1->giveFocus();
}

void frmSetStart::Timer2_Timer() {
    const bool left = m_leftDown || m_leftPressed;
    const bool right = m_rightDown || m_rightPressed;
    m_leftPressed = false;
    m_rightPressed = false;
    if (left && Command1->isEnabled())
        Command1_Click();
    if (right && Command4->isEnabled())
        Command4_Click();
}

void frmSetStart::MediaPlayer1_KeyDown(int keyCode, int /*shift*/) {
    // Keypad keys step the picture even while the start is locked; the start stays as marked.
    if (keyCode == kKeypad6)
        Command4_Click();
    else if (keyCode == kKeypad4)
        Command1_Click();
}

void frmSetStart::Command5_Click() {
    if (beforeStartLoop == 1)
        return;
    if (cbFullScreen->isChecked())
        MediaPlayer1->setPlayerDisplaySize(kFullScreen);
    if (startLocked == 0)
        startFrame = app::clampToInt16(MediaPlayer1->PlayerPosition());
    const run::Replay replay =
        run::beforeStartReplay(startFrame, app::numericValue(Text4->text()), framesPerSecond);
    MediaPlayer1->setPlayerSelectionStart(replay.selectionStart);
    MediaPlayer1->setPlayerSelectionEnd(replay.selectionEnd);
    beforeStartLoop = 1;
    startTaken = true;
    Timer1->setInterval(replay.intervalMs);
    Timer1->start();
    MediaPlayer1->PlayerPlay();
    giveFocusAfterPlay();
}

void frmSetStart::Command7_Click() {
    if (beforeEndLoop == 1)
        return;
    if (cbFullScreen->isChecked())
        MediaPlayer1->setPlayerDisplaySize(kFullScreen);
    computePassFrames();
    if (!startTaken) {
        startFrame = app::clampToInt16(MediaPlayer1->PlayerPosition());
        startTaken = true;
    }
    startLocked = 1;
    cmdMarkStart->setEnabled(false);
    if (!passEndCheck())
        return;
    beforeEndLoop = 1;
    afterEndPhase = 0;
    const run::Replay replay =
        run::beforeEndReplay(endFrame(), app::numericValue(Text7->text()), framesPerSecond);
    MediaPlayer1->setPlayerSelectionStart(replay.selectionStart);
    MediaPlayer1->setPlayerSelectionEnd(replay.selectionEnd);
    Timer1->setInterval(replay.intervalMs);
    Timer1->start();
    MediaPlayer1->PlayerPlay();
    giveFocusAfterPlay();
}

void frmSetStart::cmdPlayAndPause_Click() {
    cbPlayAfter->setChecked(true);
    Command7_Click();
}

void frmSetStart::Timer1_Timer() {
    Timer1->stop();
    if (beforeStartLoop == 1) {
        beforeStartLoop = 0;
        beforeEndLoop = 0;
        MediaPlayer1->setPlayerDisplaySize(kFitted);
        Command5->setFocus();
    }
    if (beforeEndLoop == 1 && afterEndPhase == 1) {
        // Ready for another replay with the player's own play button.
        const run::Replay replay =
            run::beforeEndReplay(endFrame(), app::numericValue(Text7->text()), framesPerSecond);
        MediaPlayer1->setPlayerSelectionStart(replay.selectionStart);
        MediaPlayer1->setPlayerSelectionEnd(replay.selectionEnd);
        beforeStartLoop = 0;
        beforeEndLoop = 0;
        afterEndPhase = 0;
        MediaPlayer1->setPlayerDisplaySize(kFitted);
        cmdPlayAndPause->setFocus();
    }
    if (beforeEndLoop == 1 && afterEndPhase == 0) {
        if (cbPlayAfter->isChecked()) {
            cbPlayAfter->setChecked(false);
            const run::Replay replay = run::afterEndReplay(endFrame(), framesPerSecond);
            MediaPlayer1->setPlayerSelectionStart(replay.selectionStart);
            MediaPlayer1->setPlayerSelectionEnd(replay.selectionEnd);
            afterEndPhase = 1;
            Timer1->setInterval(replay.intervalMs);
            Timer1->start();
            MediaPlayer1->PlayerPlay();
        } else {
            beforeStartLoop = 0;
            beforeEndLoop = 0;
            MediaPlayer1->setPlayerDisplaySize(kFitted);
            Command7->setFocus();
        }
    }
}

void frmSetStart::Text4_Change() {
    if (const auto text = run::limitedSecondsText(Text4->text(), 1, 5))
        Text4->setText(*text);
}

void frmSetStart::Text7_Change() {
    if (const auto text = run::limitedSecondsText(Text7->text(), 1, 22))
        Text7->setText(*text);
}

void frmSetStart::cbFullScreen_Click() {
    MediaPlayer1->giveFocus();
}

void frmSetStart::cbPlayAfter_Click() {
    if (!cbFullScreen->isChecked())
        MediaPlayer1->giveFocus();
}

bool frmSetStart::isInsideThisScreen(QObject* watched) const {
    // Walk the parents by hand: a player gone full screen is its own window but still ours.
    for (QObject* o = watched; o; o = o->parent())
        if (o == this)
            return true;
    return false;
}

// Tracks the arrow keys for the 100 ms poll while this screen is shown: "down now" and "pressed
// since the last poll", so a quick tap between two polls still steps one frame. The keys are
// passed on untouched. The numeric keypad's 4 and 6 step through the player's key event; with
// Num Lock off they arrive as arrows, which are not polled, or one press would step twice.
bool frmSetStart::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && isInsideThisScreen(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool press = type == QEvent::KeyPress;
        if (key->modifiers() & Qt::KeypadModifier) {
            // the player's key event
        } else if (key->key() == Qt::Key_Left) {
            if (press)
                m_leftPressed = true;
            if (!key->isAutoRepeat())
                m_leftDown = press;
        } else if (key->key() == Qt::Key_Right) {
            if (press)
                m_rightPressed = true;
            if (!key->isAutoRepeat())
                m_rightDown = press;
        }
    }
    return QWidget::eventFilter(watched, event);
}
} // namespace screens
