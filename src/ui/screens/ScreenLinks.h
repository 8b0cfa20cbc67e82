#pragma once
// What one screen asks of another. The hub (ScreenHub) hands these out; a screen never holds
// another screen's class, so no screen includes another screen's header.
#include <QString>
#include <QtGlobal>

// The Setup screen's options the other screens read.
namespace screens {
class SetupValues {
public:
    // cb15 "Enable Barefoot Timing (15 sec)": the pass is 15 s instead of 20 s.
    virtual bool barefoot() const = 0;
    virtual QString frameRateText() const = 0; // EdtRate, frames per second as typed
    virtual QString videoDirText() const = 0;  // txtVideoDir

protected:
    ~SetupValues() = default;
};

// The Setup screen's capture panel as the Capture screen drives it: the stream options, the
// connection, the counters, the status line and the device lists.
class CapturePanel {
public:
    // Copies the stream options to the capture control; throws ports::ControlError.
    virtual void SetCaptureValues() = 0;
    // True while CmdConnect shows "Disconnect": the screen considers a device connected.
    virtual bool connected() const = 0;
    virtual void OnDisconnect() = 0;
    // The capture counters in LblFrames, LblFrmDrop, LblSamples and LblTime.
    virtual void showCaptureCounters(qint64 frames, qint64 dropped, qint64 samples,
                                     qint64 time) = 0;
    virtual void showCaptureStatus(const QString& text) = 0; // LblStatus
    // A recording ended: CmdCap shows "Capture Stream" again.
    virtual void showCaptureEnded() = 0;
    // The connected camera's resolution and colour format lists, read again from the control
    // (a network camera's are known only from its first picture).
    virtual void showCameraLists() = 0;
    // The device lists, kept in step with devices plugged in or unplugged. Combo1 holds the video
    // devices in the control's order or the single entry "No Capture Devices"; AudioDevice entry
    // 0 stands for no audio device and entry i + 1 for audio device i. Removing an entry the list
    // does not have throws ports::ControlError; selecting one does nothing.
    virtual bool
    listsNoVideoDevices() const = 0; // the first entry of Combo1 is "No Capture Devices"
    virtual void addVideoDevice(const QString& name) = 0;
    virtual void removeVideoDevice(int position) = 0;
    virtual void selectVideoDevice(int position) = 0;
    virtual void listNoVideoDevices() = 0; // adds "No Capture Devices" and selects it
    virtual void addAudioDevice(const QString& name) = 0;
    virtual void removeAudioDevice(int position) = 0;
    virtual void selectAudioDevice(int position) = 0;

protected:
    ~CapturePanel() = default;
};

// The Capture screen's skier name and pass, read and written by the other screens.
class SkierEntry {
public:
    virtual QString skierName() const = 0; // txtSkierName
    // Sets txtSkierName; its change rule sets the pass to "1".
    virtual void setSkierName(const QString& name) = 0;
    virtual void setPass(const QString& pass) = 0; // txtPass
    // True when the last composition showed the warning that the skier name had to be changed.
    virtual bool nameChangeShown() const = 0;

protected:
    ~SkierEntry() = default;
};

// The Timer & Review screen taking a run from another screen.
class RunReceiver {
public:
    // The run's full path, set before the screen is shown with NavigationSource "Capture".
    virtual void setRunPath(const QString& path) = 0;
    // Posts one arrival step (for a hand-over to a screen that is already shown).
    virtual void postPaint() = 0;

protected:
    ~RunReceiver() = default;
};
} // namespace screens
