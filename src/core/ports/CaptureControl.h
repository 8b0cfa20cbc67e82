#pragma once
// The video capture control: opens a capture device, delivers the live picture, records video
// with sound to an AVI file and reports status and device arrival/removal. Every operation that
// fails throws ports::ControlError. Lists are 0-based; index -1 means "none" where noted. Reads
// are named as the operation, writes are set + the name. Events are signals delivered on the GUI
// thread.
#include "core/ports/ControlError.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

namespace ports {

class CaptureControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CaptureControl() override = default;

    // Devices
    virtual int VideoDeviceCount() = 0;
    virtual QString VideoDeviceName(int i) = 0;
    virtual void Connect(int i) = 0;
    virtual bool Connected() = 0;
    virtual void Disconnect() = 0; // safe when not connected
    virtual int VideoDeviceIndex() = 0;
    virtual void setVideoDeviceIndex(int i) = 0;
    // A camera that is opened in the background (a network camera) gives no pictures for a
    // while after Connect, and none while it is being reconnected after a loss. Meanwhile
    // PicturesComing() is false and CameraStateText() says what is happening ("Connecting to
    // Lake…"); CameraState tells each change. A control that opens its cameras at once always
    // has pictures coming and nothing to say.
    virtual bool PicturesComing() { return true; }
    virtual QString CameraStateText() { return {}; }

    // Live picture on or off: while it is on, PreviewFrame delivers the pictures.
    virtual bool Preview() = 0;
    virtual void setPreview(bool on) = 0;
    // The size of the area the live picture is shown in (the Capture screen's Grabora1): the
    // pictures are made to fit inside it, aspect kept. Empty, as at the start: none are made.
    virtual void setPreviewSize(const QSize& size) = 0;

    // Lists: count, name of entry i, current index.
    virtual int VideoResolutionCount() = 0;
    virtual QString VideoResolutionName(int i) = 0;
    virtual int VideoResolution() = 0;
    virtual void setVideoResolution(int i) = 0;

    virtual int ColorFormatCount() = 0;
    virtual QString ColorFormatName(int i) = 0;
    virtual int ColorFormat() = 0;
    virtual void setColorFormat(int i) = 0;

    virtual int VideoInputCount() = 0;
    virtual QString VideoInputName(int i) = 0;
    virtual int VideoInputIndex() = 0;
    virtual void setVideoInputIndex(int i) = 0;

    virtual int VideoCompressorCount() = 0;
    virtual QString VideoCompressorName(int i) = 0;
    virtual int VideoCompressor() = 0; // -1 = none (uncompressed)
    virtual void setVideoCompressor(int i) = 0;

    virtual int AudioDeviceCount() = 0;
    virtual QString AudioDeviceName(int i) = 0;
    virtual int AudioDeviceIndex() = 0; // -1 = no audio
    virtual void setAudioDeviceIndex(int i) = 0;

    virtual int AudioCompressorCount() = 0;
    virtual QString AudioCompressorName(int i) = 0;
    virtual int AudioCompressor() = 0; // -1 = PCM
    virtual void setAudioCompressor(int i) = 0;

    // Channels (tuner-like inputs).
    virtual bool HasChannels() = 0;
    virtual int ChannelMin() = 0;
    virtual int ChannelMax() = 0;
    virtual int CurrentChannel() = 0;
    virtual void setCurrentChannel(int channel) = 0;

    // Dialogs: 35 video source (+4096 while an effect is selected), 256 video compression,
    // 1032 audio. Shown modally; a change applies at once.
    virtual bool HasDialog(int code) = 0;
    virtual void ShowDialog(int code, const QString& text) = 0;

    // Effects of a category ("Video Effect 1"); slot 0; index -1 = none.
    virtual int EffectCount(const QString& category) = 0;
    virtual QString EffectName(const QString& category, int i) = 0;
    virtual int FindEffect(const QString& category, const QString& name) = 0; // negative: unknown
    virtual int CurrentEffect(int slot) = 0;
    virtual void SetEffect(int slot, const QString& category, int index) = 0;

    // Stream recording.
    virtual QString StreamFileName() = 0;
    virtual void setStreamFileName(const QString& path) = 0;
    virtual int FrameRate() = 0; // frames per second
    virtual void setFrameRate(int fps) = 0;
    virtual int TimeLimit() = 0; // seconds, 0 = none
    virtual void setTimeLimit(int seconds) = 0;
    virtual int AudioSampleRate() = 0; // Hz
    virtual void setAudioSampleRate(int hz) = 0;
    virtual int AudioBitsPerSample() = 0; // 8 or 16
    virtual void setAudioBitsPerSample(int bits) = 0;
    virtual int AudioChannels() = 0; // 1 or 2
    virtual void setAudioChannels(int channels) = 0;
    virtual bool Listen() = 0;
    virtual void setListen(bool on) = 0;
    // Starts recording to StreamFileName. Never replaces an existing file: the file is created
    // exclusively and an existing one is an error.
    virtual void StartStreamCapture() = 0;
    virtual void StopCapture() = 0; // idempotent; does nothing while idle
    virtual qint64 FramesCaptured() = 0;
    virtual qint64 FramesDropped() = 0;
    virtual qint64 SamplesCaptured() = 0;
    virtual qint64 CaptureTime() = 0; // milliseconds

    // What the control found wrong while it was made (lines of the camera list that are no
    // camera), handed out once for the program to show when it has started; empty when nothing.
    virtual QString takeStartWarning() { return {}; }

signals:
    // A live picture, fitted to the preview size; only while Preview is on.
    void PreviewFrame(const QImage& picture);
    // PicturesComing() and CameraStateText() changed.
    void CameraState(bool picturesComing, const QString& text);
    // 510: counters updated while recording; 301: recording ended; other codes carry a text.
    void CaptureStatus(int code, const QString& text);
    void StatusMessage(int code, const QString& text);
    void WarningMessage(int code, const QString& text);
    // category "Video Capture Sources" or "Audio Capture Sources"; action 0 arrived, 1 removed.
    void DeviceChange(const QString& category, int action, int index, const QString& name);
};

inline const QString kVideoSources = QStringLiteral("Video Capture Sources");
inline const QString kAudioSources = QStringLiteral("Audio Capture Sources");
inline const QString kEffectCategory = QStringLiteral("Video Effect 1");

} // namespace ports
