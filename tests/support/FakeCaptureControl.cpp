#include "support/FakeCaptureControl.h"

#include <QFile>

namespace testsupport {

using ports::ControlError;
namespace errors = ports::errors;

FakeCaptureControl::FakeCaptureControl(QObject* parent) : ports::CaptureControl(parent) {
    FakeVideoDevice d;
    d.name = QStringLiteral("Fake Camera 1");
    devices << d;
    videoCompressors << QStringLiteral("Fake MJPEG") << QStringLiteral("Fake H.264");
    audioDevices << QStringLiteral("Fake Microphone");
    audioCompressors << QStringLiteral("Fake A-law");
}

FakeCaptureControl::~FakeCaptureControl() = default;

int FakeCaptureControl::callCount(const QString& prefix) const {
    int n = 0;
    for (const QString& c : calls)
        if (c.startsWith(prefix))
            ++n;
    return n;
}

void FakeCaptureControl::clearRecord() {
    calls.clear();
    reads.clear();
    startCount = 0;
    stopCount = 0;
}

FakeVideoDevice& FakeCaptureControl::device() {
    if (FakeVideoDevice* d = connectedDevice())
        return *d;
    Q_ASSERT(!devices.isEmpty());
    return devices.first();
}

void FakeCaptureControl::addDevice(const FakeVideoDevice& d, bool notify) {
    devices << d;
    if (notify)
        emit DeviceChange(ports::kVideoSources, 0, devices.size() - 1, d.name);
}

void FakeCaptureControl::removeDevice(int index, bool notify) {
    if (index < 0 || index >= devices.size())
        return;
    const QString name = devices[index].name;
    devices.removeAt(index);
    if (connected && index == deviceIndex) {
        connected = false;
        recording = false;
    } else if (connected && index < deviceIndex) {
        --deviceIndex;
    }
    if (notify)
        emit DeviceChange(ports::kVideoSources, 1, index, name);
}

void FakeCaptureControl::emitPreviewFrame(const QImage& picture) {
    emit PreviewFrame(picture);
}

void FakeCaptureControl::emitCaptureStatus(int code, const QString& text) {
    emit CaptureStatus(code, text);
}
void FakeCaptureControl::emitStatusMessage(int code, const QString& text) {
    emit StatusMessage(code, text);
}
void FakeCaptureControl::emitWarningMessage(int code, const QString& text) {
    emit WarningMessage(code, text);
}
void FakeCaptureControl::emitDeviceChange(const QString& category, int action, int index,
                                          const QString& name) {
    emit DeviceChange(category, action, index, name);
}

// ---- bookkeeping ----------------------------------------------------------------------------

void FakeCaptureControl::maybeFail(const QString& op) {
    const auto it = failOn.find(op);
    if (it == failOn.end() || !it->second)
        return;
    const ControlError e = *it->second;
    if (failOnce.contains(op)) {
        failOn.erase(it);
        failOnce.remove(op);
    }
    throw e;
}

void FakeCaptureControl::read(const QString& op) {
    reads << op;
    maybeFail(op);
}

void FakeCaptureControl::act(const QString& op, const QString& args) {
    calls << op + QLatin1Char('(') + args + QLatin1Char(')');
    maybeFail(op);
}

void FakeCaptureControl::checkValue(const QString& op, int value) {
    if (accepts && !accepts(op, value))
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid value"));
}

void FakeCaptureControl::checkIndex(int i, int count, bool allowNone) {
    if ((allowNone && i == -1) || (i >= 0 && i < count))
        return;
    throw ControlError(errors::kInvalidIndex, QStringLiteral("Invalid index"));
}

void FakeCaptureControl::needConnection() {
    if (!connectedDevice())
        throw ControlError(errors::kNotConnected, QStringLiteral("Not connected"));
}

FakeVideoDevice* FakeCaptureControl::connectedDevice() {
    if (!connected || deviceIndex < 0 || deviceIndex >= devices.size())
        return nullptr;
    return &devices[deviceIndex];
}

// ---- devices --------------------------------------------------------------------------------

int FakeCaptureControl::VideoDeviceCount() {
    read(QStringLiteral("VideoDeviceCount"));
    return static_cast<int>(devices.size());
}

QString FakeCaptureControl::VideoDeviceName(int i) {
    read(QStringLiteral("VideoDeviceName"));
    checkIndex(i, static_cast<int>(devices.size()), false);
    return devices[i].name;
}

void FakeCaptureControl::Connect(int i) {
    act(QStringLiteral("Connect"), QString::number(i));
    checkIndex(i, static_cast<int>(devices.size()), false);
    deviceIndex = i;
    connected = true;
}

bool FakeCaptureControl::Connected() {
    read(QStringLiteral("Connected"));
    return connectedDevice() != nullptr;
}

void FakeCaptureControl::Disconnect() {
    act(QStringLiteral("Disconnect"));
    connected = false;
    recording = false;
}

int FakeCaptureControl::VideoDeviceIndex() {
    read(QStringLiteral("VideoDeviceIndex"));
    return deviceIndex;
}

void FakeCaptureControl::setVideoDeviceIndex(int i) {
    act(QStringLiteral("setVideoDeviceIndex"), QString::number(i));
    checkIndex(i, static_cast<int>(devices.size()), false);
    deviceIndex = i;
}

bool FakeCaptureControl::Preview() {
    read(QStringLiteral("Preview"));
    return preview;
}

void FakeCaptureControl::setPreview(bool on) {
    act(QStringLiteral("setPreview"), on ? QStringLiteral("true") : QStringLiteral("false"));
    preview = on;
}

void FakeCaptureControl::setPreviewSize(const QSize& size) {
    previewSize = size;
}

// ---- device lists ---------------------------------------------------------------------------

int FakeCaptureControl::VideoResolutionCount() {
    read(QStringLiteral("VideoResolutionCount"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? static_cast<int>(d->resolutions.size()) : 0;
}

QString FakeCaptureControl::VideoResolutionName(int i) {
    read(QStringLiteral("VideoResolutionName"));
    needConnection();
    checkIndex(i, static_cast<int>(device().resolutions.size()), false);
    return device().resolutions[i];
}

int FakeCaptureControl::VideoResolution() {
    read(QStringLiteral("VideoResolution"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? d->resolution : -1;
}

void FakeCaptureControl::setVideoResolution(int i) {
    act(QStringLiteral("setVideoResolution"), QString::number(i));
    needConnection();
    checkIndex(i, static_cast<int>(device().resolutions.size()), false);
    checkValue(QStringLiteral("setVideoResolution"), i);
    device().resolution = i;
}

int FakeCaptureControl::ColorFormatCount() {
    read(QStringLiteral("ColorFormatCount"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? static_cast<int>(d->colorFormats.size()) : 0;
}

QString FakeCaptureControl::ColorFormatName(int i) {
    read(QStringLiteral("ColorFormatName"));
    needConnection();
    checkIndex(i, static_cast<int>(device().colorFormats.size()), false);
    return device().colorFormats[i];
}

int FakeCaptureControl::ColorFormat() {
    read(QStringLiteral("ColorFormat"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? d->colorFormat : -1;
}

void FakeCaptureControl::setColorFormat(int i) {
    act(QStringLiteral("setColorFormat"), QString::number(i));
    needConnection();
    checkIndex(i, static_cast<int>(device().colorFormats.size()), false);
    checkValue(QStringLiteral("setColorFormat"), i);
    device().colorFormat = i;
}

int FakeCaptureControl::VideoInputCount() {
    read(QStringLiteral("VideoInputCount"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? static_cast<int>(d->inputs.size()) : 0;
}

QString FakeCaptureControl::VideoInputName(int i) {
    read(QStringLiteral("VideoInputName"));
    needConnection();
    checkIndex(i, static_cast<int>(device().inputs.size()), false);
    return device().inputs[i];
}

int FakeCaptureControl::VideoInputIndex() {
    read(QStringLiteral("VideoInputIndex"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? d->input : -1;
}

void FakeCaptureControl::setVideoInputIndex(int i) {
    act(QStringLiteral("setVideoInputIndex"), QString::number(i));
    needConnection();
    checkIndex(i, static_cast<int>(device().inputs.size()), false);
    checkValue(QStringLiteral("setVideoInputIndex"), i);
    device().input = i;
}

// ---- compressors and audio ------------------------------------------------------------------

int FakeCaptureControl::VideoCompressorCount() {
    read(QStringLiteral("VideoCompressorCount"));
    return static_cast<int>(videoCompressors.size());
}

QString FakeCaptureControl::VideoCompressorName(int i) {
    read(QStringLiteral("VideoCompressorName"));
    checkIndex(i, static_cast<int>(videoCompressors.size()), false);
    return videoCompressors[i];
}

int FakeCaptureControl::VideoCompressor() {
    read(QStringLiteral("VideoCompressor"));
    return videoCompressor;
}

void FakeCaptureControl::setVideoCompressor(int i) {
    act(QStringLiteral("setVideoCompressor"), QString::number(i));
    checkIndex(i, static_cast<int>(videoCompressors.size()), true);
    checkValue(QStringLiteral("setVideoCompressor"), i);
    videoCompressor = i;
}

int FakeCaptureControl::AudioDeviceCount() {
    read(QStringLiteral("AudioDeviceCount"));
    return static_cast<int>(audioDevices.size());
}

QString FakeCaptureControl::AudioDeviceName(int i) {
    read(QStringLiteral("AudioDeviceName"));
    checkIndex(i, static_cast<int>(audioDevices.size()), false);
    return audioDevices[i];
}

int FakeCaptureControl::AudioDeviceIndex() {
    read(QStringLiteral("AudioDeviceIndex"));
    return audioDevices.isEmpty() ? -1 : audioDeviceIndex;
}

void FakeCaptureControl::setAudioDeviceIndex(int i) {
    act(QStringLiteral("setAudioDeviceIndex"), QString::number(i));
    checkIndex(i, static_cast<int>(audioDevices.size()), true);
    checkValue(QStringLiteral("setAudioDeviceIndex"), i);
    audioDeviceIndex = i;
}

int FakeCaptureControl::AudioCompressorCount() {
    read(QStringLiteral("AudioCompressorCount"));
    return static_cast<int>(audioCompressors.size());
}

QString FakeCaptureControl::AudioCompressorName(int i) {
    read(QStringLiteral("AudioCompressorName"));
    checkIndex(i, static_cast<int>(audioCompressors.size()), false);
    return audioCompressors[i];
}

int FakeCaptureControl::AudioCompressor() {
    read(QStringLiteral("AudioCompressor"));
    return audioCompressor;
}

void FakeCaptureControl::setAudioCompressor(int i) {
    act(QStringLiteral("setAudioCompressor"), QString::number(i));
    checkIndex(i, static_cast<int>(audioCompressors.size()), true);
    checkValue(QStringLiteral("setAudioCompressor"), i);
    audioCompressor = i;
}

// ---- channels, dialogs, effects -------------------------------------------------------------

bool FakeCaptureControl::HasChannels() {
    read(QStringLiteral("HasChannels"));
    const FakeVideoDevice* d = connectedDevice();
    return d && d->hasChannels;
}

int FakeCaptureControl::ChannelMin() {
    read(QStringLiteral("ChannelMin"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? d->channelMin : 0;
}

int FakeCaptureControl::ChannelMax() {
    read(QStringLiteral("ChannelMax"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? d->channelMax : 0;
}

int FakeCaptureControl::CurrentChannel() {
    read(QStringLiteral("CurrentChannel"));
    const FakeVideoDevice* d = connectedDevice();
    return d ? d->channel : 0;
}

void FakeCaptureControl::setCurrentChannel(int channel) {
    act(QStringLiteral("setCurrentChannel"), QString::number(channel));
    needConnection();
    FakeVideoDevice& d = device();
    if (!d.hasChannels || channel < d.channelMin || channel > d.channelMax)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid channel"));
    checkValue(QStringLiteral("setCurrentChannel"), channel);
    d.channel = channel;
}

bool FakeCaptureControl::HasDialog(int code) {
    read(QStringLiteral("HasDialog"));
    return dialogs.contains(code);
}

void FakeCaptureControl::ShowDialog(int code, const QString& text) {
    act(QStringLiteral("ShowDialog"),
        QString::number(code) + QStringLiteral(",\"") + text + QLatin1Char('"'));
    const auto it = dialogScripts.find(code);
    if (it != dialogScripts.end() && it->second)
        it->second(*this);
}

int FakeCaptureControl::EffectCount(const QString& category) {
    read(QStringLiteral("EffectCount"));
    return category == ports::kEffectCategory ? static_cast<int>(effects.size()) : 0;
}

QString FakeCaptureControl::EffectName(const QString& category, int i) {
    read(QStringLiteral("EffectName"));
    if (category != ports::kEffectCategory)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Unknown category"));
    checkIndex(i, static_cast<int>(effects.size()), false);
    return effects[i];
}

int FakeCaptureControl::FindEffect(const QString& category, const QString& name) {
    read(QStringLiteral("FindEffect"));
    if (category != ports::kEffectCategory)
        return -1;
    return static_cast<int>(effects.indexOf(name));
}

int FakeCaptureControl::CurrentEffect(int slot) {
    read(QStringLiteral("CurrentEffect"));
    return slot == 0 ? currentEffect : -1;
}

void FakeCaptureControl::SetEffect(int slot, const QString& category, int index) {
    act(QStringLiteral("SetEffect"), QString::number(slot) + QStringLiteral(",\"") + category +
                                         QStringLiteral("\",") + QString::number(index));
    if (slot != 0 || category != ports::kEffectCategory)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Invalid effect slot"));
    checkIndex(index, static_cast<int>(effects.size()), true);
    currentEffect = index;
}

// ---- stream recording -----------------------------------------------------------------------

QString FakeCaptureControl::StreamFileName() {
    read(QStringLiteral("StreamFileName"));
    return streamFileName;
}

void FakeCaptureControl::setStreamFileName(const QString& path) {
    act(QStringLiteral("setStreamFileName"), path);
    streamFileName = path;
}

int FakeCaptureControl::FrameRate() {
    read(QStringLiteral("FrameRate"));
    return frameRate;
}

void FakeCaptureControl::setFrameRate(int fps) {
    act(QStringLiteral("setFrameRate"), QString::number(fps));
    checkValue(QStringLiteral("setFrameRate"), fps);
    frameRate = fps;
}

int FakeCaptureControl::TimeLimit() {
    read(QStringLiteral("TimeLimit"));
    return timeLimit;
}

void FakeCaptureControl::setTimeLimit(int seconds) {
    act(QStringLiteral("setTimeLimit"), QString::number(seconds));
    checkValue(QStringLiteral("setTimeLimit"), seconds);
    timeLimit = seconds;
}

int FakeCaptureControl::AudioSampleRate() {
    read(QStringLiteral("AudioSampleRate"));
    return audioSampleRate;
}

void FakeCaptureControl::setAudioSampleRate(int hz) {
    act(QStringLiteral("setAudioSampleRate"), QString::number(hz));
    checkValue(QStringLiteral("setAudioSampleRate"), hz);
    audioSampleRate = hz;
}

int FakeCaptureControl::AudioBitsPerSample() {
    read(QStringLiteral("AudioBitsPerSample"));
    return audioBitsPerSample;
}

void FakeCaptureControl::setAudioBitsPerSample(int bits) {
    act(QStringLiteral("setAudioBitsPerSample"), QString::number(bits));
    checkValue(QStringLiteral("setAudioBitsPerSample"), bits);
    audioBitsPerSample = bits;
}

int FakeCaptureControl::AudioChannels() {
    read(QStringLiteral("AudioChannels"));
    return audioChannels;
}

void FakeCaptureControl::setAudioChannels(int channels) {
    act(QStringLiteral("setAudioChannels"), QString::number(channels));
    checkValue(QStringLiteral("setAudioChannels"), channels);
    audioChannels = channels;
}

bool FakeCaptureControl::Listen() {
    read(QStringLiteral("Listen"));
    return listen;
}

void FakeCaptureControl::setListen(bool on) {
    act(QStringLiteral("setListen"), on ? QStringLiteral("true") : QStringLiteral("false"));
    listen = on;
}

void FakeCaptureControl::StartStreamCapture() {
    act(QStringLiteral("StartStreamCapture"));
    needConnection();
    if (recording)
        throw ControlError(errors::kBusy, QStringLiteral("Already recording"));
    if (QFile::exists(streamFileName))
        throw ControlError(errors::kFileExists, QStringLiteral("File exists"));
    if (createFileOnStart) {
        QFile f(streamFileName);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw ControlError(errors::kFileCreateFailed, QStringLiteral("Cannot create file"));
    }
    recording = true;
    ++startCount;
}

void FakeCaptureControl::StopCapture() {
    ++stopCount;
    act(QStringLiteral("StopCapture"));
    if (!recording)
        return;
    recording = false;
    if (emitEndedOnStop)
        emit CaptureStatus(301, QString());
}

qint64 FakeCaptureControl::FramesCaptured() {
    read(QStringLiteral("FramesCaptured"));
    return framesCaptured;
}

qint64 FakeCaptureControl::FramesDropped() {
    read(QStringLiteral("FramesDropped"));
    return framesDropped;
}

qint64 FakeCaptureControl::SamplesCaptured() {
    read(QStringLiteral("SamplesCaptured"));
    return samplesCaptured;
}

qint64 FakeCaptureControl::CaptureTime() {
    read(QStringLiteral("CaptureTime"));
    return captureTime;
}

void FakeCaptureControl::emitCameraState(bool pictures, const QString& text) {
    picturesComing = pictures;
    cameraText = text;
    emit CameraState(pictures, text);
}

} // namespace testsupport
