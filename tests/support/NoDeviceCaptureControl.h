#pragma once
// A capture control for a build without the real one: it lists no devices and no compressors,
// keeps the stream options it is given, and refuses to connect or record with
// ControlError kNotConnected. The program starts and every screen can be reached with it.
#include "core/ports/CaptureControl.h"

namespace ports {

class NoDeviceCaptureControl : public CaptureControl {
    Q_OBJECT
public:
    explicit NoDeviceCaptureControl(QObject* parent = nullptr);

    int VideoDeviceCount() override { return 0; }
    QString VideoDeviceName(int i) override;
    void Connect(int i) override;
    bool Connected() override { return false; }
    void Disconnect() override {}
    int VideoDeviceIndex() override { return -1; }
    void setVideoDeviceIndex(int i) override;

    bool Preview() override { return m_preview; }
    void setPreview(bool on) override { m_preview = on; }
    void setPreviewSize(const QSize&) override {} // no pictures to make

    int VideoResolutionCount() override { return 0; }
    QString VideoResolutionName(int i) override;
    int VideoResolution() override { return -1; }
    void setVideoResolution(int i) override;

    int ColorFormatCount() override { return 0; }
    QString ColorFormatName(int i) override;
    int ColorFormat() override { return -1; }
    void setColorFormat(int i) override;

    int VideoInputCount() override { return 0; }
    QString VideoInputName(int i) override;
    int VideoInputIndex() override { return -1; }
    void setVideoInputIndex(int i) override;

    int VideoCompressorCount() override { return 0; }
    QString VideoCompressorName(int i) override;
    int VideoCompressor() override { return -1; }
    void setVideoCompressor(int i) override;

    int AudioDeviceCount() override { return 0; }
    QString AudioDeviceName(int i) override;
    int AudioDeviceIndex() override { return -1; }
    void setAudioDeviceIndex(int i) override;

    int AudioCompressorCount() override { return 0; }
    QString AudioCompressorName(int i) override;
    int AudioCompressor() override { return -1; }
    void setAudioCompressor(int i) override;

    bool HasChannels() override { return false; }
    int ChannelMin() override { return 0; }
    int ChannelMax() override { return 0; }
    int CurrentChannel() override { return 0; }
    void setCurrentChannel(int channel) override;

    bool HasDialog(int) override { return false; }
    void ShowDialog(int code, const QString& text) override;

    int EffectCount(const QString&) override { return 0; }
    QString EffectName(const QString& category, int i) override;
    int FindEffect(const QString&, const QString&) override { return -1; }
    int CurrentEffect(int) override { return -1; }
    void SetEffect(int slot, const QString& category, int index) override;

    QString StreamFileName() override { return m_streamFileName; }
    void setStreamFileName(const QString& path) override { m_streamFileName = path; }
    int FrameRate() override { return m_frameRate; }
    void setFrameRate(int fps) override;
    int TimeLimit() override { return m_timeLimit; }
    void setTimeLimit(int seconds) override;
    int AudioSampleRate() override { return m_sampleRate; }
    void setAudioSampleRate(int hz) override;
    int AudioBitsPerSample() override { return m_bits; }
    void setAudioBitsPerSample(int bits) override;
    int AudioChannels() override { return m_channels; }
    void setAudioChannels(int channels) override;
    bool Listen() override { return m_listen; }
    void setListen(bool on) override { m_listen = on; }
    void StartStreamCapture() override;
    void StopCapture() override {}
    qint64 FramesCaptured() override { return 0; }
    qint64 FramesDropped() override { return 0; }
    qint64 SamplesCaptured() override { return 0; }
    qint64 CaptureTime() override { return 0; }

private:
    [[noreturn]] static void noDevice();
    [[noreturn]] static void noEntry(int i);
    // Index -1 ("none") is accepted; any other index names an entry that does not exist.
    static void noneOnly(int i);

    bool m_preview = false;
    QString m_streamFileName;
    int m_frameRate = 30;
    int m_timeLimit = 0;
    int m_sampleRate = 44100;
    int m_bits = 16;
    int m_channels = 2;
    bool m_listen = false;
};

} // namespace ports
