#pragma once
// The Setup screen: home screen, shared configuration and the capture device set-up.
// Other screens reach it only through the links it implements (SetupValues and CapturePanel,
// ScreenLinks.h), never through its controls. Handlers are public so tests can run them.
#include "ui/screens/ScreenLinks.h"

#include <QString>
#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPushButton;
class QTextEdit;

namespace ports {
class CaptureControl;
class ControlError;
class Dialogs;
class SettingsStore;
struct Services;
} // namespace ports

namespace screens {
class ScreenHub;
class MainForm : public QWidget, public SetupValues, public CapturePanel {
    Q_OBJECT
public:
    explicit MainForm(ScreenHub& screens);
    ~MainForm() override;

    // ---- screen (MainForm.cpp) ---------------------------------------------------------------
    // The load sequence; runs once, before the window is first shown.
    void Form_Load();
    // Every repaint empties NavigationSource.
    void Form_Paint();
    // The client area is fixed; nothing moves on resize.
    void Form_Resize() {}
    void txtVideoDir_Change();
    void btnChangeDirectory_Click();
    void cmdShowConfig_Click();
    void cb15_Click();
    void List1_Click();
    void cmdImport_Click();
    // The configuration label from the frame rate in EdtRate.
    void UpdateConfigLabel();

    // ---- navigation and menu (MainForm_Navigation.cpp) ----------------------------------------
    void cmdGoCapture_Click();
    void cmdGoTimer_Click();
    void mnuViewLog_Click();
    // "Export &Day…": the CSV of the day's session log, for the scorer.
    void mnuExportDay_Click();
    void munManual_Click();
    void mnuExit_Click();
    // Places the Capture screen right of this one (once, during the load).
    void PlaceCaptureScreen();

    // ---- video device (MainForm_Device.cpp) ---------------------------------------------------
    void CmdConnect_Click();
    void OnDisconnect() override;
    void EnableVideoCompressionConfig();
    void ResolutionCombo_Click();
    void ColorFormatCombo_Click();
    void VideoInput_Click();
    void Channel_Click();
    void Effect_Click();
    void VideoConfig_Click();
    void CompressionCombo_Click();
    void ComprConfig_Click();
    void EdtRate_Change();

    // ---- audio (MainForm_Audio.cpp) -----------------------------------------------------------
    void InitAudioSettings();
    void EnableAudioConfig();
    void AudioDevice_Click();
    void AudioConfig_Click();
    void AudioCompr_Click();
    void ComboAttrib_Click();
    void Check1_Click();

    // ---- capture options (MainForm_Options.cpp) -----------------------------------------------
    // Copies the stream options to the capture control; throws ports::ControlError (a text
    // that is not a number: 13 "Type mismatch"; out of range: 6 "Overflow").
    void SetCaptureValues() override;
    void CaptureType_Click();

    // ---- read and written by the other screens (MainForm_Shared.cpp) --------------------------
    // cb15 "Enable Barefoot Timing (15 sec)": the pass is 15 s instead of 20 s.
    bool barefoot() const override;
    QString frameRateText() const override; // EdtRate, frames per second as typed
    QString videoDirText() const override;  // txtVideoDir
    // True while CmdConnect shows "Disconnect": the screen considers a device connected.
    bool connected() const override;
    // The capture counters in LblFrames, LblFrmDrop, LblSamples and LblTime.
    void showCaptureCounters(qint64 frames, qint64 dropped, qint64 samples, qint64 time) override;
    void showCaptureStatus(const QString& text) override; // LblStatus
    void showCameraLists() override;
    // A recording ended: CmdCap shows "Capture Stream" again.
    void showCaptureEnded() override;
    // The device lists, kept in step with devices plugged in or unplugged. Combo1 holds the video
    // devices in the control's order or the single entry "No Capture Devices"; AudioDevice entry 0
    // stands for no audio device and entry i + 1 for audio device i. Removing an entry the list
    // does not have throws ports::ControlError; selecting one does nothing.
    bool listsNoVideoDevices() const override; // the first entry of Combo1 is "No Capture Devices"
    void addVideoDevice(const QString& name) override;
    void removeVideoDevice(int position) override;
    void selectVideoDevice(int position) override;
    void listNoVideoDevices() override; // adds "No Capture Devices" and selects it
    void addAudioDevice(const QString& name) override;
    void removeAudioDevice(int position) override;
    void selectAudioDevice(int position) override;

    // ---- controls ----------------------------------------------------------------------------
    QMenuBar* menuBar = nullptr;
    QAction* mnuViewLog = nullptr;   // "&View Log"
    QAction* mnuExportDay = nullptr; // "Export &Day…"
    QAction* munManual = nullptr;    // "View &Manual"
    QAction* mnuExit = nullptr;      // "E&xit"
    QWidget* client = nullptr;       // the client area below the menu bar

    QGroupBox* Frame1 = nullptr; // "Skivane Configuration"
    QPushButton* cmdGoCapture = nullptr;
    QPushButton* cmdGoTimer = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblVideodir = nullptr;
    QLineEdit* txtVideoDir = nullptr; // video directory holder (hidden)
    QPushButton* btnChangeDirectory = nullptr;
    QPushButton* cmdImport = nullptr;
    QCheckBox* cb15 = nullptr; // "Enable Barefoot Timing (15 sec)"
    QPushButton* cmdShowConfig = nullptr;
    QLabel* lblConfig = nullptr;
    QListWidget* List1 = nullptr; // pause time
    QLabel* Label12 = nullptr;
    QLabel* LblStatus = nullptr;
    QTextEdit* RichTextBox1 = nullptr; // converter holder (hidden)

    QGroupBox* Frame3 = nullptr; // "Commands"
    QLabel* Label4 = nullptr;
    QComboBox* Combo1 = nullptr;       // video devices
    QPushButton* CmdConnect = nullptr; // caption "Disconnect" while connected (hidden)
    QPushButton* CmdPreview = nullptr; // hidden
    QLabel* ResolLabel = nullptr;
    QComboBox* ResolutionCombo = nullptr;
    QLabel* ColorLabel = nullptr;
    QComboBox* ColorFormatCombo = nullptr;
    QLabel* InputLabel = nullptr;
    QComboBox* VideoInput = nullptr;
    QLabel* ChannelLabel = nullptr;
    QComboBox* Channel = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Effect = nullptr;
    QPushButton* VideoConfig = nullptr;

    QGroupBox* StrmOptions = nullptr; // "Options" (stream)
    QLabel* Label24 = nullptr;
    QComboBox* CompressionCombo = nullptr;
    QPushButton* ComprConfig = nullptr;
    QLabel* Label17 = nullptr;
    QLineEdit* EdtRate = nullptr;  // frame rate as typed
    QLabel* Label18 = nullptr;     // hidden
    QLineEdit* EdtLimit = nullptr; // hidden
    QLabel* Label22 = nullptr;     // "AUDIO"
    QLabel* Label23 = nullptr;
    QComboBox* AudioDevice = nullptr;
    QPushButton* AudioConfig = nullptr;
    QLabel* AttribLabel = nullptr;
    QComboBox* ComboAttrib = nullptr;
    QLabel* AudioCompLabel = nullptr;
    QComboBox* AudioCompr = nullptr;
    QCheckBox* Check1 = nullptr; // "Listen"
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* LblFrames = nullptr;
    QLabel* LblFrmDrop = nullptr;
    QLabel* LblSamples = nullptr;
    QLabel* LblTime = nullptr;

    QGroupBox* FrmOptions = nullptr;  // "Options" (frames; hidden in stream capture)
    QGroupBox* Frame4 = nullptr;      // "Capture" (always hidden)
    QComboBox* CaptureType = nullptr; // "Frames", "Streams"
    QPushButton* CmdCap = nullptr;
    QLineEdit* EdtFile = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildDevicePanel();
    void buildOptionsPanel();
    void connectHandlers();

    // The capture control. The first touch creates the Capture screen (hidden), which holds
    // the live picture.
    ports::CaptureControl& grabora();
    ports::Services& services();
    ports::Dialogs& dialogs();
    ports::SettingsStore& store();

    // Stores a setting; a write that fails is reported (once until a write succeeds again).
    void storeSetting(const QString& key, const QString& value);
    void checkVideoDirectory();
    void startSessionLog();
    void applyPauseTime();
    void SelectStreamCapture();
    // Load steps filling the lists from the control, in load order.
    void fillVideoDevices();
    void fillAudioDevices();
    void fillVideoCompressors();
    void fillAudioCompressors();
    void fillEffects();
    void copyAudioSettings();
    // Applies the audio format of ComboAttrib entry `position` (rate, channels, depth).
    void applyAudioFormat(int position);
    // The control-error box (ControlErrorBox.h) with `prefix`, the number in hexadecimal or not.
    void showControlError(const QString& prefix, const ports::ControlError& e, bool hex);
    // Reports a failure in a handler that has no trap of its own, so that the screen goes on.
    void reportUntrapped(const ports::ControlError& e);
    template <typename F> void guarded(F&& handler);

    ScreenHub& m_screens;
    bool m_attribRecovering = false;
    bool m_settingsFailureShown = false;
};
} // namespace screens
