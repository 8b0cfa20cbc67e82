#pragma once
// The capture control without its screen side: V4L2 cameras, the network and file cameras listed
// in Cameras.txt of the application folder, and the built-in test camera, ALSA
// sound sources and the test tone, the live picture (PreviewFrame), effects through libavfilter,
// recording to AVI, hot-plug from udev. It ties together the device lists (CaptureDevices), what
// a capture is made with (CaptureSettings) and the sessions (CaptureRecorder).
//
// The one thing it leaves to a subclass is ShowDialog: dialogSettings() says what a dialog
// holds, applySetting() applies a change made in it.
//
// All methods run on the GUI thread. Signals are emitted on the GUI thread.
#include "core/engine/CaptureDevices.h"
#include "core/engine/CaptureRecorder.h"
#include "core/engine/CaptureSettings.h"
#include "core/engine/StreamCamera.h"
#include "core/ports/CaptureControl.h"

#include <QPointer>
#include <QSize>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace engine {

class CaptureService : public ports::CaptureControl {
    Q_OBJECT
public:
    static inline const QString kTestCameraName = CaptureDevices::kTestCameraName;
    static inline const QString kTestToneName = CaptureDevices::kTestToneName;
    static inline const QString kTestScheme = CaptureDevices::kTestScheme;
    // The status timer (CaptureStatus 510 while recording), in milliseconds.
    static constexpr int kStatusIntervalMs = CaptureRecorder::kStatusIntervalMs;

    // Lists the devices present and listens to udev for arrivals and removals. The network and
    // file cameras come from Cameras.txt in `appDir` (none when it is empty); lines that are no
    // camera are skipped and named in takeStartWarning().
    explicit CaptureService(QObject* parent = nullptr);
    explicit CaptureService(const QString& appDir, QObject* parent = nullptr);
    ~CaptureService() override;

    int VideoDeviceCount() override;
    QString VideoDeviceName(int i) override;
    void Connect(int i) override;
    bool Connected() override;
    void Disconnect() override;
    int VideoDeviceIndex() override;
    void setVideoDeviceIndex(int i) override;
    bool PicturesComing() override;
    QString CameraStateText() override;

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
    // What dialog `code` holds now; throws ControlError(kNotSupported) when it is not available.
    SettingList dialogSettings(int code);
    // Applies a change made in a dialog at once. A value the device refuses, or one that cannot
    // be changed now, is reported with StatusMessage.
    void applySetting(const QString& id, int value);
    // Index of the test camera / test tone in the device lists.
    int testCameraIndex() const;
    int testToneIndex() const;
    // false: the test camera delivers frames as fast as the recording takes them, none dropped
    // (tests and benchmarks record N frames quickly). true (default): one frame per 1/FrameRate.
    void setTestCameraPacing(bool paced);
    // true (default): a Motion JPEG camera's pictures go into a Motion JPEG recording as they
    // came; false: they are decoded and encoded again (the benchmark's reference).
    void setCameraJpegPassThrough(bool on) { m_jpegPassThrough = on; }
    bool recording() const { return m_recorder.recording(); }
    // Where device arrivals and removals come from: the udev monitor by default; tests give a
    // source they post scripted events to. Not owned; nullptr detaches.
    void setDeviceEventSource(DeviceEventSource* source);
    QString takeStartWarning() override;
    // Applies one arrival or removal to the device lists and emits DeviceChange.
    void handleDeviceEvent(const DeviceEvent& event);

signals:
    // Listen: the sound of the session, for an audio output (see CaptureRecorder).
    void listenStarted(int rate, int channels);
    void listenStopped();
    void heard(const QByteArray& pcm);

private:
    CaptureService(const media::CameraList& streams, QObject* parent);
    void requireConnected(const char* what) const;
    void requireIdle(const char* what) const;
    DialogSubject dialogSubject() const;
    std::unique_ptr<VideoSource> openVideoSource(bool paced);
    void addSound(SessionConfig& config);
    void startPreviewSession();
    void startLiveSession(std::unique_ptr<VideoSource> video);
    bool chosenCameraIsV4l2() const;
    void openCameraInBackground();
    void onCameraOpened(int generation, std::unique_ptr<VideoSource> video, const QString& why);
    void cancelCameraOpening();
    void restartPreview();
    void applyPreviewSize();
    void onRecordingFinished(bool failed);
    void onLiveFailed(const QString& why);
    void onStreamChanged();
    void tellCameraState();
    void retireStream();

    CaptureDevices m_devices;
    // The connected network or file camera, opened in the background; declared before the
    // recorder so that it outlives the sessions reading it.
    std::unique_ptr<StreamCamera> m_stream;
    QString m_streamName;
    // Cameras disconnected while their thread was inside an opening or a read: each ends on a
    // thread of its own (a tenth of a second or so), joined here at the latest.
    struct Retiring {
        std::shared_ptr<std::atomic<bool>> done;
        std::jthread thread;
    };
    std::vector<Retiring> m_retiring;
    // A USB camera's live picture is opened on a thread of its own: the opening and the first
    // picture (up to 5 s from a stalled camera) never hold the GUI thread. While it opens, no
    // pictures come; one that fails is tried again after a pause, as a network camera is.
    std::jthread m_opening;
    int m_openGeneration = 0; // the opening whose result is awaited; others are given up
    bool m_cameraOpening = false;
    QString m_openFailure; // the last failed opening's reason
    // The decoded format the live picture's opening found, with the settings it was opened with.
    struct FoundFormat {
        AVPixelFormat format = AV_PIX_FMT_NONE;
        QSize size;
        QString fourcc;
        int input = -1;
    } m_liveFormat;
    static constexpr int kOpenRetryMs = 2000;
    QTimer m_streamWatch;       // while a stream is connected: its silences are told too
    bool m_toldPictures = true; // the last CameraState sent
    QString m_toldText;
    CaptureRecorder m_recorder;
    CaptureSettings m_settings;
    bool m_connected = false;
    bool m_preview = false;
    bool m_paced = true;
    bool m_jpegPassThrough = true;
    QSize m_previewSize;
    QPointer<DeviceEventSource> m_eventSource;
    UdevMonitor* m_udev = nullptr; // child
    QString m_startWarning;
};

} // namespace engine
