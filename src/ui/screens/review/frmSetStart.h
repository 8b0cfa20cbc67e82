#pragma once
// The Timer & Review screen: loading runs, marking the start, the pass end and replay loops.
// Handlers are split by concern: frmSetStart.cpp (layout, load, browsing, disk space, leaving),
// frmSetStart_Marking.cpp, frmSetStart_Playback.cpp, frmSetStart_Arrival.cpp and
// frmSetStart_Tools.cpp (the pass window line, the repaired copy and the pass clip).
#include "ui/screens/ScreenLinks.h"

#include <QString>
#include <QWidget>

namespace media {
struct AviFileRead;
} // namespace media

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;
class QTimer;

namespace ports {
class MediaPlayer;
} // namespace ports

namespace screens {
class ScreenHub;
class frmSetStart : public QWidget, public RunReceiver {
    Q_OBJECT
public:
    // Creating the screen runs Form_Load.
    explicit frmSetStart(ScreenHub& screens);
    ~frmSetStart() override;

    // --- Handlers ---
    void Form_Load();
    // The arrival step: runs from the event loop after every show, never inside show().
    void Form_Paint();
    // Posts one Form_Paint (for a hand-over to a screen that is already shown).
    void postPaint() override;
    void Command6_Click(); // "..."
    void BrowseForRun();
    void cmdMarkStart_Click();
    void Command1_Click(); // "<"
    void Command4_Click(); // ">"
    void Command5_Click(); // "Play before start -->"
    void Command7_Click(); // "Play before end -->"
    void cmdPlayAndPause_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Text4_Change();
    void Text7_Change();
    void cbFullScreen_Click();
    void cbPlayAfter_Click();
    // A key pressed in the player (Windows virtual-key codes: 100 keypad 4, 102 keypad 6).
    void MediaPlayer1_KeyDown(int keyCode, int shift);
    void cmdGoToCapture_Click();
    void cmdGoToSetup_Click();
    void cmdViewLog_Click();
    void cmdRepairCopy_Click();   // "Repair copy…"
    void cmdSavePassClip_Click(); // "Save pass clip…"

    // Called by the Capture screen before it hands a new recording over: the run's full path.
    void setRunPath(const QString& path) override;

    // --- Controls ---
    ports::MediaPlayer* MediaPlayer1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command6 = nullptr;
    // Full path of the loaded run; every part of the screen reads the run's path from here.
    // Read-only for the operator (selectable, scrollable).
    QTextEdit* Text6 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QLineEdit* Text4 = nullptr; // seconds before the start, 1 to 5
    QLabel* Label1 = nullptr;
    QPushButton* cmdMarkStart = nullptr;
    QLineEdit* Text7 = nullptr; // seconds before the end, 1 to 22
    QLabel* Label2 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* cmdPlayAndPause = nullptr;
    QCheckBox* cbPlayAfter = nullptr; // never shown: the continue-after-the-end flag
    QLabel* Label6 = nullptr;
    QCheckBox* cbFullScreen = nullptr;
    QPushButton* cmdGoToCapture = nullptr;
    QPushButton* cmdGoToSetup = nullptr;
    QLabel* Label9 = nullptr;
    QListWidget* lstFileInfo = nullptr; // never shown: the file information lines
    QPushButton* cmdViewLog = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* lblDiskSpace = nullptr;
    QLabel* Label11 = nullptr;
    // The check of the marked pass window against the run's timing record.
    QLabel* lblPassWindow = nullptr;
    // "This recording was cut off: ..." for a recording without an index.
    QLabel* lblFileNotice = nullptr;
    QPushButton* cmdRepairCopy = nullptr;
    QPushButton* cmdSavePassClip = nullptr; // shown once the start is marked
    QTimer* Timer1 = nullptr;               // loop timer, one-shot in use
    QTimer* Timer2 = nullptr;               // arrow-key poll, 100 ms

    // --- Run state ---
    qint16 startFrame = 0;
    int passFrames = 0; // frames from start to end of the timed pass
    double framesPerSecond = 0;
    qint16 fileFrames = 0;
    qint16 startLocked = 0;
    bool startTaken = false;
    qint16 beforeStartLoop = 0;
    qint16 beforeEndLoop = 0;
    qint16 afterEndPhase = 0;
    QString newSkierName;

    // The end frame of the timed pass (start + pass frames; may lie beyond 16 bits).
    qint32 endFrame() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void prepareToLeave();
    void createControls();
    void connectHandlers();
    QString runPath() const;
    bool barefoot() const;
    void computePassFrames();
    // Hides the end-play controls and shows cmdMarkStart, unlocking the start.
    void resetEndControls();
    void giveFocusAfterPlay();
    void playerStopIfLoaded();
    void showAlreadyMeasuredNotice(const QString& path);
    // Reads the file's AVI record once: frame rate, length, the file information lines and the
    // cut-off notice. A file that cannot be read gives one message and a rate of 0.
    // `read`: the file's headers when already read (browsing checks the file first).
    void loadFileRecord(const QString& path, const media::AviFileRead* read = nullptr);
    // "This recording was cut off: ..." and "Repair copy…", shown or hidden.
    void showCutOffNotice(bool cutOff);
    // Part files that a repaired copy or a pass clip of this run left when they were cut off.
    void removeRunLeftovers(const QString& path);
    // A run that cannot be marked (video gone, unreadable, start beyond 16 bits) is named in a
    // message; false then, and nothing is written.
    bool canMarkRun(double position);
    void markShownFrame();
    bool m_markWaiting = false; // a click waits for the picture asked for
    void showPassWindow();
    void hideTools();
    void placeTools();
    void createToolControls();
    void refreshDiskSpace();
    // Pass-end check; shows the "file too short" box and returns false when the end is past the
    // file's last frame.
    bool passEndCheck();
    void writeRunRecord();
    void arriveFromCapture();
    void renameRun();
    QString askSkierName(const QString& prompt);
    void arriveFromView();
    bool isInsideThisScreen(QObject* watched) const;

    ScreenHub& m_screens;
    bool m_paintPosted = false;
    bool m_filterInstalled = false;
    // Arrow keys for the poll: held down now, or pressed since the last poll.
    bool m_leftDown = false;
    bool m_leftPressed = false;
    bool m_rightDown = false;
    bool m_rightPressed = false;
};
} // namespace screens
