#pragma once
// The Capture screen: run naming, recording with countdowns, device arrival and removal.
// Holds the capture control's live picture as Grabora1.
#include "ui/screens/ScreenLinks.h"

#include <QString>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTimer;

namespace ports {
class ControlError;
} // namespace ports

namespace screens {
class ScreenHub;
class PreviewForm : public QWidget, public SkierEntry {
    Q_OBJECT
public:
    // Creating the screen runs its load (default skier name, PaintBusy reset).
    explicit PreviewForm(ScreenHub& screens);
    ~PreviewForm() override; // disconnects the capture control

    // Read and written by the other screens.
    QString skierName() const override; // txtSkierName
    // Sets txtSkierName; its change rule sets the pass to "1".
    void setSkierName(const QString& name) override;
    void setPass(const QString& pass) override; // txtPass
    // True when the last composition showed Label4, the warning that the skier name had to be
    // changed. Its own flag, so it holds while the screen is hidden.
    bool nameChangeShown() const override;

    // Controls, named as on the screen's design.
    QLineEdit* txtSkierName = nullptr;
    QLineEdit* txtPass = nullptr;
    QLabel* Label4 = nullptr; // duplicate-name warning
    QMenuBar* menuBar = nullptr;
    QAction* mnuStart = nullptr; // "&Start Recording"
    QLabel* Label1 = nullptr;
    QPushButton* cmdSelect = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdStartCapture = nullptr;
    QPushButton* cmdStartTimer = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* captime = nullptr;            // whole seconds of capture left
    QPushButton* cmdEndCapture = nullptr; // never shown; its action runs on ESC and time-out
    QLabel* runTime = nullptr;            // whole seconds of the pass left
    QLabel* Label8 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* LblFrame = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* LblFrmDrop = nullptr;
    QPushButton* cmdGoSetup = nullptr;
    QPushButton* cmdGoToTimer = nullptr;
    QWidget* Grabora1 = nullptr; // the capture control's live picture
    // Hidden: " " while a recording has no start mark yet, else the frame count at the mark.
    QLabel* lblStartFrame = nullptr;
    QTimer* Timer40 = nullptr;   // capture countdown, 1000 ms while recording
    QTimer* passTimer = nullptr; // pass countdown, 1000 ms after "Start of Tricks"

    // Full path of the run file last composed; the file the capture control records to.
    QString CaptureFileName;
    // 1 when the last composition had to change the pass or the skier name.
    qint16 NameChanged = 0;

    // Load: default skier name from the skier list, paint guard reset.
    void Form_Load();
    // Arrival check and countdown reset, run from a step posted when the screen is shown or
    // painted (never inside the call that shows it).
    void Form_Paint();
    // Key preview: ESC (27) ends the recording whatever control has the focus.
    void Form_KeyDown(int keyCode, int shift);

    // Naming.
    void txtSkierName_Change();
    void txtPass_Change();
    void cmdSelect_Click();
    void txtSkierName_DblClick();
    // Composes CaptureFileName from the video folder, the skier name and the pass.
    void ComposeCaptureFileName();

    // Recording.
    void cmdStartCapture_Click();
    void mnuStart_Click();
    void cmdStartTimer_Click();
    void Timer40_Timer();
    void passTimer_Timer();
    void cmdEndCapture_Click();

    // Navigation.
    void cmdGoSetup_Click();
    void cmdGoToTimer_Click();

    // Capture-control events.
    void Grabora1_CaptureStatus(int code, const QString& text);
    void Grabora1_StatusMessage(int code, const QString& text);
    void Grabora1_WarningMessage(int code, const QString& text);
    void Grabora1_DeviceChange(const QString& category, int action, int index, const QString& name);
    // The camera gives pictures again, or none for now: "Start Recording" follows while idle.
    void Grabora1_CameraState(bool picturesComing);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void placeControls();
    void connectHandlers();
    void postPaintStep();

    // Recording steps shared by several handlers.
    void nameForRecording();
    void setHintFromFrameRate();
    // "Start Recording" and its menu entry when no recording runs: usable while pictures come.
    void enableStartWhenIdle();
    QString passSeconds() const; // "20", or "15" in barefoot mode
    void playSound(const QString& fileName);
    // The control-error box (ControlErrorBox.h) with the number in hexadecimal.
    void showControlError(const ports::ControlError& e);
    void VideoDeviceChange(int action, int index, const QString& name);
    void AudioDeviceChange(int action, int index, const QString& name);

    ScreenHub& m_screens;
    QWidget* m_client = nullptr; // the client area below the menu bar
    bool m_paintPosted = false;
    // Set while the end-of-recording procedure runs: the status handler's yield may deliver a
    // second ESC, which must not end (and count) the same run twice.
    bool m_ending = false;
};
} // namespace screens
