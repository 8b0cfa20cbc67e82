#pragma once
// The Setup screen: home screen, shared configuration and the capture device set-up.
// Other screens read its controls directly (cb15, EdtRate, txtVideoDir) and call its public
// routines SetCaptureValues and OnDisconnect.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Screens;

class MainForm : public QWidget {
    Q_OBJECT
public:
    explicit MainForm(Screens& screens);
    ~MainForm() override;

    // The load sequence; runs once, before the window is first shown.
    void Form_Load();

    // Copies the stream options to the capture control; throws platform::ControlError.
    void SetCaptureValues();
    // Puts the screen into the disconnected state.
    void OnDisconnect();

    // Controls read or written by other screens.
    QCheckBox* cb15 = nullptr;        // "Enable Barefoot Timing (15 sec)"
    QLineEdit* EdtRate = nullptr;     // frame rate as typed
    QLineEdit* txtVideoDir = nullptr; // video directory holder (hidden)
    QComboBox* Combo1 = nullptr;      // video devices
    QComboBox* AudioDevice = nullptr;
    QPushButton* CmdConnect = nullptr; // caption "Disconnect" while connected
    QPushButton* CmdCap = nullptr;
    QLabel* LblFrames = nullptr;
    QLabel* LblFrmDrop = nullptr;
    QLabel* LblSamples = nullptr;
    QLabel* LblTime = nullptr;
    QLabel* LblStatus = nullptr;

private:
    Screens& m_screens;
};
