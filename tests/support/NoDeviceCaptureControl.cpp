#include "support/NoDeviceCaptureControl.h"

namespace ports {

NoDeviceCaptureControl::NoDeviceCaptureControl(QObject* parent) : CaptureControl(parent) {}

void NoDeviceCaptureControl::noDevice() {
    throw ControlError(errors::kNotConnected, QStringLiteral("No capture device is connected"));
}

void NoDeviceCaptureControl::noEntry(int i) {
    throw ControlError(errors::kInvalidIndex,
                       QStringLiteral("There is no entry %1 in this list").arg(i));
}

void NoDeviceCaptureControl::noneOnly(int i) {
    if (i != -1)
        noEntry(i);
}

QString NoDeviceCaptureControl::VideoDeviceName(int i) {
    noEntry(i);
}

void NoDeviceCaptureControl::Connect(int i) {
    noEntry(i);
}

void NoDeviceCaptureControl::setVideoDeviceIndex(int i) {
    noEntry(i);
}

QString NoDeviceCaptureControl::VideoResolutionName(int i) {
    noEntry(i);
}
void NoDeviceCaptureControl::setVideoResolution(int i) {
    noneOnly(i);
}
QString NoDeviceCaptureControl::ColorFormatName(int i) {
    noEntry(i);
}
void NoDeviceCaptureControl::setColorFormat(int i) {
    noneOnly(i);
}
QString NoDeviceCaptureControl::VideoInputName(int i) {
    noEntry(i);
}
void NoDeviceCaptureControl::setVideoInputIndex(int i) {
    noneOnly(i);
}
QString NoDeviceCaptureControl::VideoCompressorName(int i) {
    noEntry(i);
}
void NoDeviceCaptureControl::setVideoCompressor(int i) {
    noneOnly(i);
}
QString NoDeviceCaptureControl::AudioDeviceName(int i) {
    noEntry(i);
}
void NoDeviceCaptureControl::setAudioDeviceIndex(int i) {
    noneOnly(i);
}
QString NoDeviceCaptureControl::AudioCompressorName(int i) {
    noEntry(i);
}
void NoDeviceCaptureControl::setAudioCompressor(int i) {
    noneOnly(i);
}

void NoDeviceCaptureControl::setCurrentChannel(int) {
    noDevice();
}

void NoDeviceCaptureControl::ShowDialog(int, const QString&) {
    noDevice();
}

QString NoDeviceCaptureControl::EffectName(const QString&, int i) {
    noEntry(i);
}

void NoDeviceCaptureControl::SetEffect(int, const QString&, int index) {
    noneOnly(index);
}

void NoDeviceCaptureControl::setFrameRate(int fps) {
    if (fps < 1 || fps > 1000)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid frame rate"));
    m_frameRate = fps;
}

void NoDeviceCaptureControl::setTimeLimit(int seconds) {
    if (seconds < 0)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid time limit"));
    m_timeLimit = seconds;
}

void NoDeviceCaptureControl::setAudioSampleRate(int hz) {
    if (hz < 1000 || hz > 192000)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid sample rate"));
    m_sampleRate = hz;
}

void NoDeviceCaptureControl::setAudioBitsPerSample(int bits) {
    if (bits != 8 && bits != 16)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid bits per sample"));
    m_bits = bits;
}

void NoDeviceCaptureControl::setAudioChannels(int channels) {
    if (channels != 1 && channels != 2)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid channel count"));
    m_channels = channels;
}

void NoDeviceCaptureControl::StartStreamCapture() {
    noDevice();
}

} // namespace ports
