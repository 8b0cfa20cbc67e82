#pragma once
// A capture control driven by the test instead of a camera. Devices, their lists, channels,
// compressors, audio, effects and dialogs are plain members the test fills; every operation is
// recorded; any operation can be made to fail; the test sets the counters and emits the events.
//
//   FakeCaptureControl cap;                      // one device "Fake Camera 1", see below
//   cap.failOn["setVideoResolution"] = ports::ControlError{0x80040001, "Invalid index"};
//   cap.dialogScripts[35] = [](FakeCaptureControl& c) { c.device().resolution = 1; };
//   ... cap.calls.contains("Connect(0)") ...
#include "core/ports/CaptureControl.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace testsupport {

struct FakeVideoDevice {
    QString name;
    QStringList resolutions{QStringLiteral("320x240"), QStringLiteral("640x480"),
                            QStringLiteral("720x576")};
    QStringList colorFormats{QStringLiteral("RGB24"), QStringLiteral("YUY2")};
    QStringList inputs{QStringLiteral("Composite"), QStringLiteral("S-Video")};
    int resolution = 0;
    int colorFormat = 0;
    int input = 0;
    bool hasChannels = false;
    int channelMin = 0;
    int channelMax = 0;
    int channel = 0;
};

class FakeCaptureControl : public ports::CaptureControl {
    Q_OBJECT
public:
    explicit FakeCaptureControl(QObject* parent = nullptr);
    ~FakeCaptureControl() override;

    // ---- what the test scripts -------------------------------------------------------------
    QList<FakeVideoDevice> devices;   // default: one device "Fake Camera 1"
    QStringList videoCompressors;     // default: "Fake MJPEG", "Fake H.264"
    QStringList audioDevices;         // default: "Fake Microphone"
    QStringList audioCompressors;     // default: "Fake A-law"
    QStringList effects;              // "Video Effect 1" category; default: none
    QSet<int> dialogs{35, 256, 1032}; // codes for which HasDialog is true
    // Run by ShowDialog(code, ...) after it is recorded: a dialog may change any value.
    std::map<int, std::function<void(FakeCaptureControl&)>> dialogScripts;
    // Operation name ("setVideoResolution", "Connect", "VideoDeviceCount", ...) -> the error it
    // throws. Names in failOnce throw only once and are then removed from failOn.
    std::map<QString, std::optional<ports::ControlError>> failOn;
    QSet<QString> failOnce;
    // Refuses a written value: (operation, value) -> false throws kInvalidValue. Null: all pass.
    std::function<bool(const QString& operation, int value)> accepts;
    // When true, StartStreamCapture creates an empty file at StreamFileName (exclusively).
    bool createFileOnStart = false;
    // When true, StopCapture of a recording emits CaptureStatus(301, "") before returning.
    bool emitEndedOnStop = true;
    // Handed out once by takeStartWarning (the camera list's warning of the real control).
    QString startWarning;

    // ---- the control's state (read and set freely by tests) ----------------------------------
    bool connected = false;
    int deviceIndex = 0;
    bool preview = false;
    int videoCompressor = -1;
    int audioDeviceIndex = 0; // -1 = no audio
    int audioCompressor = -1;
    int currentEffect = -1;
    QString streamFileName = QStringLiteral("capture.avi");
    int frameRate = 30;
    int timeLimit = 0;
    int audioSampleRate = 11025;
    int audioBitsPerSample = 8;
    int audioChannels = 1;
    bool listen = false;
    QSize previewSize; // as the screen last set it (not recorded in calls: it follows resizes)
    bool recording = false;
    qint64 framesCaptured = 0;
    qint64 framesDropped = 0;
    qint64 samplesCaptured = 0;
    qint64 captureTime = 0;
    // PicturesComing() and CameraStateText(); emitCameraState() sets them and tells it.
    bool picturesComing = true;
    QString cameraText;

    // ---- what happened -----------------------------------------------------------------------
    QStringList calls; // writes and actions: "Connect(0)", "setFrameRate(30)", "StopCapture()"
    QStringList reads; // reads by name: "VideoDeviceCount", "FrameRate", ...
    int startCount = 0;
    int stopCount = 0; // every StopCapture call, recording or not
    int callCount(const QString& prefix) const;
    void clearRecord();

    // ---- helpers -----------------------------------------------------------------------------
    // The connected device (the first one when none is connected and there is one).
    FakeVideoDevice& device();
    // Plugging in / out at run time; emits DeviceChange for the video category when `notify`.
    void addDevice(const FakeVideoDevice& d, bool notify = true);
    void removeDevice(int index, bool notify = true);
    void emitPreviewFrame(const QImage& picture);
    void emitCaptureStatus(int code, const QString& text = QString());
    void emitStatusMessage(int code, const QString& text);
    void emitWarningMessage(int code, const QString& text);
    void emitDeviceChange(const QString& category, int action, int index, const QString& name);
    void emitCameraState(bool pictures, const QString& text);

    // ---- ports::CaptureControl -----------------------------------------------------------
    QString takeStartWarning() override { return std::exchange(startWarning, QString()); }
    int VideoDeviceCount() override;
    QString VideoDeviceName(int i) override;
    void Connect(int i) override;
    bool Connected() override;
    void Disconnect() override;
    int VideoDeviceIndex() override;
    void setVideoDeviceIndex(int i) override;
    bool PicturesComing() override { return picturesComing; }
    QString CameraStateText() override { return cameraText; }
    bool Preview() override;
    void setPreview(bool on) override;
    void setPreviewSize(const QSize& size) override;
    int VideoResolutionCount() override;
    QString VideoResolutionName(int i) override;
    int VideoResolution() override;
    void setVideoResolution(int i) override;
    int ColorFormatCount() override;
    QString ColorFormatName(int i) override;
    int ColorFormat() override;
    void setColorFormat(int i) override;
    int VideoInputCount() override;
    QString VideoInputName(int i) override;
    int VideoInputIndex() override;
    void setVideoInputIndex(int i) override;
    int VideoCompressorCount() override;
    QString VideoCompressorName(int i) override;
    int VideoCompressor() override;
    void setVideoCompressor(int i) override;
    int AudioDeviceCount() override;
    QString AudioDeviceName(int i) override;
    int AudioDeviceIndex() override;
    void setAudioDeviceIndex(int i) override;
    int AudioCompressorCount() override;
    QString AudioCompressorName(int i) override;
    int AudioCompressor() override;
    void setAudioCompressor(int i) override;
    bool HasChannels() override;
    int ChannelMin() override;
    int ChannelMax() override;
    int CurrentChannel() override;
    void setCurrentChannel(int channel) override;
    bool HasDialog(int code) override;
    void ShowDialog(int code, const QString& text) override;
    int EffectCount(const QString& category) override;
    QString EffectName(const QString& category, int i) override;
    int FindEffect(const QString& category, const QString& name) override;
    int CurrentEffect(int slot) override;
    void SetEffect(int slot, const QString& category, int index) override;
    QString StreamFileName() override;
    void setStreamFileName(const QString& path) override;
    int FrameRate() override;
    void setFrameRate(int fps) override;
    int TimeLimit() override;
    void setTimeLimit(int seconds) override;
    int AudioSampleRate() override;
    void setAudioSampleRate(int hz) override;
    int AudioBitsPerSample() override;
    void setAudioBitsPerSample(int bits) override;
    int AudioChannels() override;
    void setAudioChannels(int channels) override;
    bool Listen() override;
    void setListen(bool on) override;
    void StartStreamCapture() override;
    void StopCapture() override;
    qint64 FramesCaptured() override;
    qint64 FramesDropped() override;
    qint64 SamplesCaptured() override;
    qint64 CaptureTime() override;

private:
    void read(const QString& op);
    void act(const QString& op, const QString& args = QString());
    void maybeFail(const QString& op);
    void checkValue(const QString& op, int value);
    void checkIndex(int i, int count, bool allowNone);
    void needConnection();
    FakeVideoDevice* connectedDevice();
};

} // namespace testsupport
