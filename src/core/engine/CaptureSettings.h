#pragma once
// What a capture is made with: the lists of the connected camera (resolutions, colour formats,
// inputs), the compressors and their quality, the effect, the test camera's look, the sound gain,
// the recording options, and the contents of the settings dialogs (35 video source, +4096 with
// the effect's settings, 256 video compression, 1032 audio) as setting lists.
//
// Setters check their value and throw ports::ControlError as the CaptureControl port says.
// Those that shape the file are refused (kBusy) while a recording runs. Setters that return bool
// say whether the value changed, so that the caller can restart the live picture.
#include "core/engine/CaptureDevices.h"
#include "core/engine/CaptureSources.h"
#include "core/engine/SettingList.h"

#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace engine {

// The devices a dialog is about.
struct DialogSubject {
    bool connected = false;
    bool testCamera = false; // the connected camera is a test camera
    QString devnode;         // the connected V4L2 camera
    int audioIndex = -1;     // the chosen sound source (-1: none)
    QString audioName;
};

class CaptureSettings {
public:
    // `recording` tells whether a recording runs now.
    explicit CaptureSettings(std::function<bool()> recording);

    // The connected camera's lists: filled when it connects (640x480 chosen when offered),
    // emptied when it disconnects. Throws kDeviceOpenFailed for a camera that cannot be read.
    void loadDevice(const VideoDeviceEntry& device);
    // A network or file camera's lists: its own size and the pixel format it gives (an empty
    // size and no format until its first picture came).
    void loadStream(QSize size, AVPixelFormat format);
    void clearDevice();

    int sizeCount() const { return int(m_sizes.size()); }
    QString sizeName(int i) const;
    int sizeIndex() const { return m_sizeIndex; }
    bool setSizeIndex(int i);
    int formatCount() const { return int(m_formats.size()); }
    QString formatName(int i) const;
    int formatIndex() const { return m_formatIndex; }
    bool setFormatIndex(int i);
    int inputCount() const { return int(m_inputs.size()); }
    QString inputName(int i) const;
    int inputIndex() const { return m_inputIndex; }
    bool setInputIndex(int i);
    // The chosen entries of a connected camera.
    QSize size() const { return m_sizes.at(size_t(m_sizeIndex)); }
    QString format() const { return m_formats.at(size_t(m_formatIndex)); }

    // Compressors: -1 none (uncompressed video, PCM sound).
    int videoCompressor() const { return m_videoCompressor; }
    void setVideoCompressor(int i);
    int audioCompressor() const { return m_audioCompressor; }
    void setAudioCompressor(int i);
    int quality() const { return m_quality; } // 1 .. 100, the compression dialog
    void setQuality(int quality);

    // Read while pictures flow: channel, gain, the test camera's look, the effect.
    const std::shared_ptr<LiveSettings>& live() const { return m_live; }
    int channel() const { return m_live->channel.load(); }
    void setChannel(int channel); // kTestChannelMin .. kTestChannelMax
    int gain() const { return m_live->gainPercent.load(); }
    void setGain(int percent); // clamped to 0 .. 400
    TestCameraLook look() const { return m_live->look(); }
    void setLook(const TestCameraLook& look); // brightness clamped, tint turned into 0 .. 359

    // Effects of the category "Video Effect 1", slot 0.
    int effectCount(const QString& category) const;
    QString effectName(const QString& category, int i) const;
    int findEffect(const QString& category, const QString& name) const;
    int currentEffect(int slot) const;
    void setEffect(int slot, const QString& category, int index);
    void setEffectValue(int param, int value);

    // Recording options.
    QString streamFile() const { return m_streamFile; }
    void setStreamFile(const QString& path);
    int fps() const { return m_fps; }
    bool setFps(int fps);
    int timeLimit() const { return m_timeLimit; }
    void setTimeLimit(int seconds);
    int sampleRate() const { return m_sampleRate; }
    void setSampleRate(int hz);
    int bitsPerSample() const { return m_bits; }
    void setBitsPerSample(int bits);
    int channels() const { return m_channels; }
    void setChannels(int channels);
    bool listen() const { return m_listen; }
    bool setListen(bool on);

    // Dialogs.
    bool hasDialog(int code, const DialogSubject& subject) const;
    // What dialog `code` shows now; throws kNotSupported when it is not available.
    SettingList dialog(int code, const DialogSubject& subject) const;
    // Applies a change made in a dialog; returns a complaint when the device refused it.
    QString applySetting(const QString& id, int value, const DialogSubject& subject);

private:
    void requireIdle(const char* what) const;

    std::function<bool()> m_recording;
    std::vector<QSize> m_sizes;
    std::vector<QString> m_formats; // names shown
    std::vector<QString> m_inputs;
    int m_sizeIndex = -1;
    int m_formatIndex = -1;
    int m_inputIndex = -1;

    int m_videoCompressor = -1;
    int m_audioCompressor = -1;
    int m_quality;
    EffectChoice m_effect;
    std::shared_ptr<LiveSettings> m_live;

    QString m_streamFile = QStringLiteral("capture.avi");
    int m_fps = 30;
    int m_timeLimit = 0;
    int m_sampleRate = 11025;
    int m_bits = 8;
    int m_channels = 1;
    bool m_listen = false;
};

// The pixel format of a test camera colour format name (I420 when unknown).
AVPixelFormat testCameraFormat(const QString& name);

} // namespace engine
