#pragma once
// The real capture control: V4L2 cameras and the built-in test camera, ALSA sound sources and the
// test tone, the live picture, effects through libavfilter, recording to AVI, hot-plug from udev.
//
// Device numbering: the cameras present at start in node order, then "Skivane Test Camera", then
// cameras plugged in later, each appended (so a list kept in step with DeviceChange events keeps
// the same order). Sound sources likewise, around "Skivane Test Tone".
//
// All methods run on the GUI thread. Signals are emitted on the GUI thread.
#include "core/ports/CaptureControl.h"
#include "core/engine/CaptureEngine.h"
#include "core/engine/Codecs.h"
#include "core/engine/UdevMonitor.h"

#include <QPointer>
#include <QSize>
#include <QTimer>
#include <memory>
#include <vector>

namespace av {

class PreviewWidget;
struct DialogSetting;
class SoundOutput;

class AvCaptureControl : public platform::CaptureControl {
    Q_OBJECT
public:
    static inline const QString kTestCameraName = QStringLiteral("Skivane Test Camera");
    static inline const QString kTestToneName = QStringLiteral("Skivane Test Tone");
    // A device node (or ALSA name) with this prefix, arriving in a scripted DeviceEvent, is an
    // extra test camera (test tone) that tests can plug in and pull out.
    static inline const QString kTestScheme = QStringLiteral("test:");

    explicit AvCaptureControl(QObject* parent = nullptr);
    ~AvCaptureControl() override;

    int VideoDeviceCount() override;
    QString VideoDeviceName(int i) override;
    void Connect(int i) override;
    bool Connected() override;
    void Disconnect() override;
    int VideoDeviceIndex() override;
    void setVideoDeviceIndex(int i) override;

    bool Preview() override;
    void setPreview(bool on) override;
    QWidget* previewWidget() override;

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

    // --- Beyond the interface ---
    // Index of the test camera / test tone in the device lists.
    int testCameraIndex() const;
    int testToneIndex() const;
    // false: the test camera delivers frames as fast as the recording takes them, none dropped
    // (tests and benchmarks record N frames quickly). true (default): one frame per 1/FrameRate.
    void setTestCameraPacing(bool paced);
    bool recording() const { return m_recording; }
    // Compressor quality 1 .. 100 (the compression dialog); sound input gain in percent.
    int compressorQuality() const { return m_quality; }
    void setCompressorQuality(int quality);
    int audioGain() const;
    void setAudioGain(int percent);
    // The test camera's picture settings (its video source dialog).
    TestCameraLook testCameraLook() const;
    void setTestCameraLook(const TestCameraLook& look);
    // Values of the selected effect's settings (the +4096 part of the video source dialog).
    std::vector<int> effectValues() const { return m_effect.values; }
    void setEffectValue(int param, int value);
    // Where device arrivals and removals come from: the udev monitor by default; tests give a
    // source they post scripted events to. Not owned; nullptr detaches.
    void setDeviceEventSource(DeviceEventSource* source);
    // Applies one arrival or removal to the device lists and emits DeviceChange.
    void handleDeviceEvent(const DeviceEvent& event);
    // The status timer (CaptureStatus 510 while recording), in milliseconds.
    static constexpr int kStatusIntervalMs = 250;

private:
    struct VideoDevice {
        QString name;
        QString devnode; // empty for the test camera
    };
    struct AudioDevice {
        QString name;
        QString id; // ALSA name; empty for the test tone
    };

    bool isTestCamera() const;
    static bool isTestNode(const QString& node);
    void clearDeviceLists();
    void requireConnected(const char* what) const;
    void requireIdle(const char* what) const;
    static void checkIndex(int i, int count, const char* what, bool allowNone = false);
    std::unique_ptr<VideoSource> openVideoSource(bool paced);
    void startPreviewSession();
    void restartPreview();
    void finishRecording(const QString& warning);
    void onSessionEnded(int session, const QString& warning);
    void emitStatus();
    void addSound(SessionConfig& config);
    void showSettings(const QString& title, std::vector<DialogSetting> settings);

    std::vector<VideoDevice> m_videoDevices;
    std::vector<AudioDevice> m_audioDevices;
    int m_videoIndex = 0;
    int m_audioIndex = -1;
    bool m_connected = false;
    bool m_preview = false;
    bool m_paced = true;

    // Lists of the connected device.
    std::vector<QSize> m_sizes;
    std::vector<QString> m_formats; // names shown
    std::vector<QString> m_inputs;
    int m_sizeIndex = -1;
    int m_formatIndex = -1;
    int m_inputIndex = -1;

    int m_videoCompressor = -1;
    int m_audioCompressor = -1;
    int m_quality = kDefaultQuality;
    EffectChoice m_effect;

    QString m_streamFile = QStringLiteral("capture.avi");
    int m_fps = 30;
    int m_timeLimit = 0;
    int m_sampleRate = 11025;
    int m_bits = 8;
    int m_channels = 1;
    bool m_listen = false;

    std::shared_ptr<LiveSettings> m_live;
    std::unique_ptr<CaptureEngine> m_engine;
    bool m_recording = false;
    int m_recordingSession = 0;
    CaptureCounters m_lastCounters;
    int m_lastFps = 30;
    QTimer m_statusTimer;

    std::unique_ptr<SoundOutput> m_output; // plays the sound while Listen is on
    QPointer<PreviewWidget> m_widget;
    QPointer<DeviceEventSource> m_eventSource;
    UdevMonitor* m_udev = nullptr; // child
};

} // namespace av
