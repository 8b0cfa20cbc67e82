#include "ui/adapters/AvCaptureControl.h"

#include "core/media/AviInfo.h"
#include "core/engine/AlsaDevices.h"
#include "ui/widgets/CaptureDialogWidget.h"
#include "core/engine/Codecs.h"
#include "ui/widgets/PreviewWidget.h"
#include "core/engine/V4l2Device.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>

namespace av {

using platform::ControlError;
namespace errors = platform::errors;

namespace {

QString sizeName(QSize s) {
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

AVPixelFormat testFormat(const QString& name) {
    for (const ColorFormatInfo& f : testCameraFormats())
        if (f.name == name)
            return f.format;
    return AV_PIX_FMT_YUV420P;
}

} // namespace

// Listen: the captured sound to the default output. Silent when the machine has none.
class SoundOutput {
public:
    SoundOutput(int rate, int channels) {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return;
        QAudioFormat format;
        format.setSampleRate(rate);
        format.setChannelCount(channels);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            return;
        m_sink = std::make_unique<QAudioSink>(device, format);
        m_io = m_sink->start();
    }
    ~SoundOutput() {
        if (m_sink)
            m_sink->stop();
    }
    void write(const QByteArray& pcm) {
        if (m_io)
            m_io->write(pcm); // what does not fit is left out: late sound is no use
    }

private:
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // owned by m_sink
};

AvCaptureControl::AvCaptureControl(QObject* parent)
    : CaptureControl(parent), m_live(std::make_shared<LiveSettings>()) {
    // Encoders chatter at info level (x264 statistics at every close); warnings and errors stay.
    if (av_log_get_level() == AV_LOG_INFO)
        av_log_set_level(AV_LOG_ERROR);
    for (const v4l2::Device& d : v4l2::captureDevices())
        m_videoDevices.push_back({d.name, d.devnode});
    m_videoDevices.push_back({kTestCameraName, {}});
    for (const alsa::Device& d : alsa::captureDevices())
        m_audioDevices.push_back({d.name, d.id});
    m_audioDevices.push_back({kTestToneName, {}});

    m_engine = std::make_unique<CaptureEngine>(
        [this](QImage image) { // recording thread
            QMetaObject::invokeMethod(
                this,
                [this, image = std::move(image)] {
                    if (m_widget) {
                        m_widget->setFrame(image);
                        // A hidden widget gets no resize events: follow its size here too.
                        m_engine->setPreviewSize(m_widget->size());
                    }
                    m_engine->previewShown();
                },
                Qt::QueuedConnection);
        },
        [this](int session, QString warning) { // recording thread
            QMetaObject::invokeMethod(
                this, [this, session, warning] { onSessionEnded(session, warning); },
                Qt::QueuedConnection);
        });
    m_statusTimer.setInterval(kStatusIntervalMs);
    connect(&m_statusTimer, &QTimer::timeout, this, &AvCaptureControl::emitStatus);
    m_udev = new UdevMonitor(this);
    setDeviceEventSource(m_udev);
}

AvCaptureControl::~AvCaptureControl() {
    // No signals from here on: the screens listening may be half gone.
    blockSignals(true);
    if (m_recording)
        m_engine->stop();
    m_engine.reset();
}

// ----- devices ------------------------------------------------------------------------------

int AvCaptureControl::testCameraIndex() const {
    for (size_t i = 0; i < m_videoDevices.size(); ++i)
        if (m_videoDevices[i].devnode.isEmpty())
            return int(i);
    return -1;
}

int AvCaptureControl::testToneIndex() const {
    for (size_t i = 0; i < m_audioDevices.size(); ++i)
        if (m_audioDevices[i].id.isEmpty())
            return int(i);
    return -1;
}

void AvCaptureControl::checkIndex(int i, int count, const char* what, bool allowNone) {
    if ((allowNone && i == -1) || (i >= 0 && i < count))
        return;
    throw ControlError(errors::kInvalidIndex, QStringLiteral("Invalid %1 index %2 (there are %3)")
                                                  .arg(QLatin1String(what))
                                                  .arg(i)
                                                  .arg(count));
}

void AvCaptureControl::requireConnected(const char* what) const {
    if (!m_connected)
        throw ControlError(
            errors::kNotConnected,
            QStringLiteral("No video device is connected (%1)").arg(QLatin1String(what)));
}

void AvCaptureControl::requireIdle(const char* what) const {
    if (m_recording)
        throw ControlError(
            errors::kBusy,
            QStringLiteral("Cannot change the %1 while recording").arg(QLatin1String(what)));
}

bool AvCaptureControl::isTestCamera() const {
    return m_videoIndex >= 0 && m_videoIndex < int(m_videoDevices.size()) &&
           isTestNode(m_videoDevices[size_t(m_videoIndex)].devnode);
}

bool AvCaptureControl::isTestNode(const QString& node) {
    return node.isEmpty() || node.startsWith(kTestScheme);
}

int AvCaptureControl::VideoDeviceCount() {
    return int(m_videoDevices.size());
}

QString AvCaptureControl::VideoDeviceName(int i) {
    checkIndex(i, VideoDeviceCount(), "video device");
    return m_videoDevices[size_t(i)].name;
}

void AvCaptureControl::Connect(int i) {
    checkIndex(i, VideoDeviceCount(), "video device");
    requireIdle("video device");
    if (m_connected)
        Disconnect();
    const VideoDevice& d = m_videoDevices[size_t(i)];
    std::vector<QSize> sizes;
    std::vector<QString> formats;
    std::vector<QString> inputs;
    int size = 0;
    if (isTestNode(d.devnode)) {
        sizes = testCameraSizes();
        for (const ColorFormatInfo& f : testCameraFormats())
            formats.push_back(f.name);
        inputs = {QStringLiteral("Test Pattern")};
        size = 1; // 640x480
    } else {
        auto caps = v4l2::capabilities(d.devnode);
        if (!caps || caps->formats.empty() || caps->sizes.empty())
            throw ControlError(errors::kDeviceOpenFailed,
                               QStringLiteral("Cannot open %1 (%2)").arg(d.name, d.devnode));
        sizes = caps->sizes;
        formats = caps->formats;
        inputs = caps->inputs;
        auto it = std::find(sizes.begin(), sizes.end(), QSize(640, 480));
        size = it == sizes.end() ? 0 : int(it - sizes.begin());
    }
    m_videoIndex = i;
    m_sizes = std::move(sizes);
    m_formats = std::move(formats);
    m_inputs = std::move(inputs);
    m_sizeIndex = size;
    m_formatIndex = 0;
    m_inputIndex = m_inputs.empty() ? -1 : 0;
    m_live->channel = kTestChannelMin;
    m_connected = true;
    try {
        startPreviewSession();
    } catch (...) {
        m_connected = false;
        throw;
    }
    emit StatusMessage(0, QStringLiteral("Connected to %1").arg(d.name));
}

bool AvCaptureControl::Connected() {
    return m_connected;
}

void AvCaptureControl::Disconnect() {
    if (!m_connected)
        return;
    StopCapture();
    m_engine->stop();
    m_output.reset();
    m_connected = false;
    clearDeviceLists();
}

void AvCaptureControl::clearDeviceLists() {
    m_sizes.clear();
    m_formats.clear();
    m_inputs.clear();
    m_sizeIndex = m_formatIndex = m_inputIndex = -1;
}

int AvCaptureControl::VideoDeviceIndex() {
    return m_videoIndex;
}

void AvCaptureControl::setVideoDeviceIndex(int i) {
    checkIndex(i, VideoDeviceCount(), "video device");
    if (m_connected && i != m_videoIndex)
        throw ControlError(errors::kBusy,
                           QStringLiteral("Disconnect before choosing another video device"));
    m_videoIndex = i;
}

// ----- live picture ---------------------------------------------------------------------------

bool AvCaptureControl::Preview() {
    return m_preview;
}

void AvCaptureControl::setPreview(bool on) {
    if (on == m_preview)
        return;
    m_preview = on;
    if (m_recording)
        return; // the recording shows the live picture; its end applies the new state
    if (on) {
        startPreviewSession();
    } else {
        m_engine->stop();
    }
}

QWidget* AvCaptureControl::previewWidget() {
    if (!m_widget) {
        auto* w = new PreviewWidget;
        m_widget = w;
        connect(w, &PreviewWidget::sizeChanged, this,
                [this](QSize s) { m_engine->setPreviewSize(s); });
        connect(w, &QObject::destroyed, this, [this] { m_engine->setPreviewSize({}); });
        m_engine->setPreviewSize(w->size());
    }
    return m_widget;
}

std::unique_ptr<VideoSource> AvCaptureControl::openVideoSource(bool paced) {
    const QSize size = m_sizes.at(size_t(m_sizeIndex));
    if (isTestCamera())
        return std::make_unique<TestCameraSource>(
            size, testFormat(m_formats[size_t(m_formatIndex)]), m_fps, paced, m_live);
    return std::make_unique<V4l2Source>(m_videoDevices[size_t(m_videoIndex)].devnode, size,
                                        m_formats[size_t(m_formatIndex)], m_inputIndex, m_fps);
}

void AvCaptureControl::startPreviewSession() {
    if (!m_connected || !m_preview || m_recording)
        return;
    SessionConfig config;
    config.video = openVideoSource(true);
    config.fps = m_fps;
    config.paced = true;
    config.live = m_live;
    if (m_listen)
        addSound(config); // the live sound only when someone listens
    m_engine->start(std::move(config));
}

void AvCaptureControl::addSound(SessionConfig& config) {
    config.sampleRate = m_sampleRate;
    config.channels = m_channels;
    if (m_audioIndex >= 0) {
        const AudioDevice& a = m_audioDevices[size_t(m_audioIndex)];
        if (isTestNode(a.id)) {
            config.sound = SoundSource::TestTone;
        } else {
            config.sound = SoundSource::Device;
            config.soundDevice = std::make_unique<AlsaSource>(a.id, m_sampleRate, m_channels);
        }
    }
    m_output.reset();
    if (m_listen && config.sound != SoundSource::None) {
        m_output = std::make_unique<SoundOutput>(m_sampleRate, m_channels);
        config.listen = [this](const std::vector<int16_t>& samples) { // recording thread
            QByteArray pcm(reinterpret_cast<const char*>(samples.data()),
                           qsizetype(samples.size() * sizeof(int16_t)));
            QMetaObject::invokeMethod(
                this,
                [this, pcm] {
                    if (m_output)
                        m_output->write(pcm);
                },
                Qt::QueuedConnection);
        };
    }
}

void AvCaptureControl::restartPreview() {
    if (m_recording || !m_engine->running())
        return;
    m_engine->stop();
    startPreviewSession();
}

// ----- lists ----------------------------------------------------------------------------------

int AvCaptureControl::VideoResolutionCount() {
    return int(m_sizes.size());
}

QString AvCaptureControl::VideoResolutionName(int i) {
    checkIndex(i, VideoResolutionCount(), "resolution");
    return sizeName(m_sizes[size_t(i)]);
}

int AvCaptureControl::VideoResolution() {
    return m_sizeIndex;
}

void AvCaptureControl::setVideoResolution(int i) {
    requireConnected("resolution");
    checkIndex(i, VideoResolutionCount(), "resolution");
    if (i == m_sizeIndex)
        return;
    requireIdle("resolution");
    m_sizeIndex = i;
    restartPreview();
}

int AvCaptureControl::ColorFormatCount() {
    return int(m_formats.size());
}

QString AvCaptureControl::ColorFormatName(int i) {
    checkIndex(i, ColorFormatCount(), "colour format");
    return m_formats[size_t(i)];
}

int AvCaptureControl::ColorFormat() {
    return m_formatIndex;
}

void AvCaptureControl::setColorFormat(int i) {
    requireConnected("colour format");
    checkIndex(i, ColorFormatCount(), "colour format");
    if (i == m_formatIndex)
        return;
    requireIdle("colour format");
    m_formatIndex = i;
    restartPreview();
}

int AvCaptureControl::VideoInputCount() {
    return int(m_inputs.size());
}

QString AvCaptureControl::VideoInputName(int i) {
    checkIndex(i, VideoInputCount(), "video input");
    return m_inputs[size_t(i)];
}

int AvCaptureControl::VideoInputIndex() {
    return m_inputIndex;
}

void AvCaptureControl::setVideoInputIndex(int i) {
    requireConnected("video input");
    checkIndex(i, VideoInputCount(), "video input");
    if (i == m_inputIndex)
        return;
    requireIdle("video input");
    m_inputIndex = i;
    restartPreview();
}

int AvCaptureControl::VideoCompressorCount() {
    return int(videoCompressors().size());
}

QString AvCaptureControl::VideoCompressorName(int i) {
    checkIndex(i, VideoCompressorCount(), "video compressor");
    return videoCompressors()[size_t(i)].name;
}

int AvCaptureControl::VideoCompressor() {
    return m_videoCompressor;
}

void AvCaptureControl::setVideoCompressor(int i) {
    checkIndex(i, VideoCompressorCount(), "video compressor", true);
    if (i == m_videoCompressor)
        return;
    requireIdle("video compressor");
    m_videoCompressor = i;
}

int AvCaptureControl::AudioDeviceCount() {
    return int(m_audioDevices.size());
}

QString AvCaptureControl::AudioDeviceName(int i) {
    checkIndex(i, AudioDeviceCount(), "audio device");
    return m_audioDevices[size_t(i)].name;
}

int AvCaptureControl::AudioDeviceIndex() {
    return m_audioIndex;
}

void AvCaptureControl::setAudioDeviceIndex(int i) {
    checkIndex(i, AudioDeviceCount(), "audio device", true);
    if (i == m_audioIndex)
        return;
    requireIdle("audio device");
    m_audioIndex = i;
}

int AvCaptureControl::AudioCompressorCount() {
    return int(audioCompressors().size());
}

QString AvCaptureControl::AudioCompressorName(int i) {
    checkIndex(i, AudioCompressorCount(), "audio compressor");
    return audioCompressors()[size_t(i)].name;
}

int AvCaptureControl::AudioCompressor() {
    return m_audioCompressor;
}

void AvCaptureControl::setAudioCompressor(int i) {
    checkIndex(i, AudioCompressorCount(), "audio compressor", true);
    if (i == m_audioCompressor)
        return;
    requireIdle("audio compressor");
    m_audioCompressor = i;
}

// ----- channels -------------------------------------------------------------------------------

bool AvCaptureControl::HasChannels() {
    return m_connected && isTestCamera();
}

int AvCaptureControl::ChannelMin() {
    return HasChannels() ? kTestChannelMin : 0;
}

int AvCaptureControl::ChannelMax() {
    return HasChannels() ? kTestChannelMax : 0;
}

int AvCaptureControl::CurrentChannel() {
    return HasChannels() ? m_live->channel.load() : 0;
}

void AvCaptureControl::setCurrentChannel(int channel) {
    requireConnected("channel");
    if (!HasChannels())
        throw ControlError(errors::kNotSupported, QStringLiteral("This device has no channels"));
    if (channel < kTestChannelMin || channel > kTestChannelMax)
        throw ControlError(errors::kInvalidValue, QStringLiteral("Channel %1 is outside %2 to %3")
                                                      .arg(channel)
                                                      .arg(kTestChannelMin)
                                                      .arg(kTestChannelMax));
    m_live->channel = channel; // the next picture shows it, recording or not
}

// ----- effects --------------------------------------------------------------------------------

int AvCaptureControl::EffectCount(const QString& category) {
    return category.compare(platform::kEffectCategory, Qt::CaseInsensitive) == 0
               ? int(effectList().size())
               : 0;
}

QString AvCaptureControl::EffectName(const QString& category, int i) {
    if (EffectCount(category) == 0)
        throw ControlError(errors::kInvalidValue,
                           QStringLiteral("Unknown effect category \"%1\"").arg(category));
    checkIndex(i, EffectCount(category), "effect");
    return effectList()[size_t(i)].name;
}

int AvCaptureControl::FindEffect(const QString& category, const QString& name) {
    const int n = EffectCount(category);
    for (int i = 0; i < n; ++i)
        if (effectList()[size_t(i)].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int AvCaptureControl::CurrentEffect(int slot) {
    if (slot != 0)
        throw ControlError(errors::kInvalidIndex, QStringLiteral("Effect slot %1 does not exist; "
                                                                 "there is slot 0 only")
                                                      .arg(slot));
    return m_effect.index;
}

void AvCaptureControl::SetEffect(int slot, const QString& category, int index) {
    if (slot != 0)
        throw ControlError(errors::kInvalidIndex, QStringLiteral("Effect slot %1 does not exist; "
                                                                 "there is slot 0 only")
                                                      .arg(slot));
    if (index != -1 && EffectCount(category) == 0)
        throw ControlError(errors::kInvalidValue,
                           QStringLiteral("Unknown effect category \"%1\"").arg(category));
    checkIndex(index, int(effectList().size()), "effect", true);
    EffectChoice choice;
    choice.index = index;
    if (index >= 0)
        for (const EffectParam& p : effectList()[size_t(index)].params)
            choice.values.push_back(p.value);
    m_effect = choice;
    m_live->setEffect(m_effect); // picked up with the next picture, recording or not
}

void AvCaptureControl::setEffectValue(int param, int value) {
    checkIndex(param, int(m_effect.values.size()), "effect setting");
    const EffectParam& p = effectList()[size_t(m_effect.index)].params[size_t(param)];
    m_effect.values[size_t(param)] = std::clamp(value, p.min, p.max);
    m_live->setEffect(m_effect);
}

// ----- dialogs --------------------------------------------------------------------------------

bool AvCaptureControl::HasDialog(int code) {
    switch (code) {
    case 35:
        return m_connected;
    case 35 + 4096:
        return m_connected && m_effect.index >= 0;
    case 256:
        return m_videoCompressor >= 0 && videoCompressors()[size_t(m_videoCompressor)].hasQuality;
    case 1032:
        return m_audioIndex >= 0;
    default:
        return false;
    }
}

void AvCaptureControl::showSettings(const QString& title, std::vector<DialogSetting> settings) {
    CaptureSettingsDialog dialog(title, std::move(settings), QApplication::activeWindow());
    dialog.exec();
}

void AvCaptureControl::ShowDialog(int code, const QString&) {
    if (!HasDialog(code))
        throw ControlError(errors::kNotSupported,
                           QStringLiteral("Dialog %1 is not available now").arg(code));
    std::vector<DialogSetting> settings;
    if (code == 35 || code == 35 + 4096) {
        if (isTestCamera()) {
            const TestCameraLook look = testCameraLook();
            settings.push_back(
                {tr("Test camera"), tr("Brightness"), -100, 100, look.brightness, [this](int v) {
                     TestCameraLook l = testCameraLook();
                     l.brightness = v;
                     setTestCameraLook(l);
                 }});
            settings.push_back(
                {tr("Test camera"), tr("Background tint"), 0, 359, look.tint, [this](int v) {
                     TestCameraLook l = testCameraLook();
                     l.tint = v;
                     setTestCameraLook(l);
                 }});
            settings.push_back({tr("Test camera"), tr("Channel"), kTestChannelMin, kTestChannelMax,
                                m_live->channel.load(), [this](int v) { setCurrentChannel(v); }});
        } else {
            const QString node = m_videoDevices[size_t(m_videoIndex)].devnode;
            for (const v4l2::Control& c : v4l2::controls(node)) {
                const uint32_t id = c.id;
                settings.push_back({tr("Camera"), c.name, c.minimum, c.maximum, c.value,
                                    [this, node, id, name = c.name](int v) {
                                        if (!v4l2::setControl(node, id, v))
                                            emit StatusMessage(
                                                0,
                                                tr("The camera refused %1 = %2").arg(name).arg(v));
                                    }});
            }
        }
        if (code == 35 + 4096) {
            const auto& params = effectList()[size_t(m_effect.index)].params;
            for (size_t i = 0; i < params.size(); ++i)
                settings.push_back({effectList()[size_t(m_effect.index)].name, params[i].name,
                                    params[i].min, params[i].max, m_effect.values[i],
                                    [this, i](int v) { setEffectValue(int(i), v); }});
        }
        showSettings(tr("Video Source"), std::move(settings));
    } else if (code == 256) {
        settings.push_back({videoCompressors()[size_t(m_videoCompressor)].name,
                            tr("Quality (100 = best)"), 1, 100, m_quality,
                            [this](int v) { setCompressorQuality(v); }});
        showSettings(tr("Video Compression"), std::move(settings));
    } else {
        settings.push_back({AudioDeviceName(m_audioIndex), tr("Input gain (%)"), 0, 400,
                            audioGain(), [this](int v) { setAudioGain(v); }});
        showSettings(tr("Audio Format"), std::move(settings));
    }
}

void AvCaptureControl::setCompressorQuality(int quality) {
    requireIdle("compressor quality");
    m_quality = std::clamp(quality, 1, 100);
}

int AvCaptureControl::audioGain() const {
    return m_live->gainPercent.load();
}

void AvCaptureControl::setAudioGain(int percent) {
    m_live->gainPercent = std::clamp(percent, 0, 400);
}

TestCameraLook AvCaptureControl::testCameraLook() const {
    return m_live->look();
}

void AvCaptureControl::setTestCameraLook(const TestCameraLook& look) {
    TestCameraLook l = look;
    l.brightness = std::clamp(l.brightness, -100, 100);
    l.tint = ((l.tint % 360) + 360) % 360;
    m_live->setLook(l);
}

void AvCaptureControl::setTestCameraPacing(bool paced) {
    m_paced = paced;
}

// ----- stream recording -----------------------------------------------------------------------

QString AvCaptureControl::StreamFileName() {
    return m_streamFile;
}

void AvCaptureControl::setStreamFileName(const QString& path) {
    requireIdle("file name");
    m_streamFile = path;
}

int AvCaptureControl::FrameRate() {
    return m_fps;
}

void AvCaptureControl::setFrameRate(int fps) {
    if (fps < 1 || fps > kTestCameraMaxFps)
        throw ControlError(errors::kInvalidValue,
                           QStringLiteral("A frame rate of %1 per second cannot be used (1 to %2)")
                               .arg(fps)
                               .arg(kTestCameraMaxFps));
    if (fps == m_fps)
        return;
    requireIdle("frame rate");
    m_fps = fps;
    restartPreview();
}

int AvCaptureControl::TimeLimit() {
    return m_timeLimit;
}

void AvCaptureControl::setTimeLimit(int seconds) {
    if (seconds < 0 || seconds > 24 * 3600)
        throw ControlError(
            errors::kInvalidValue,
            QStringLiteral("A time limit of %1 seconds cannot be used").arg(seconds));
    requireIdle("time limit");
    m_timeLimit = seconds;
}

int AvCaptureControl::AudioSampleRate() {
    return m_sampleRate;
}

void AvCaptureControl::setAudioSampleRate(int hz) {
    if (hz < 8000 || hz > 48000)
        throw ControlError(
            errors::kInvalidValue,
            QStringLiteral("A sample rate of %1 Hz cannot be used (8000 to 48000)").arg(hz));
    requireIdle("sample rate");
    m_sampleRate = hz;
}

int AvCaptureControl::AudioBitsPerSample() {
    return m_bits;
}

void AvCaptureControl::setAudioBitsPerSample(int bits) {
    if (bits != 8 && bits != 16)
        throw ControlError(errors::kInvalidValue,
                           QStringLiteral("%1 bits per sample cannot be used (8 or 16)").arg(bits));
    requireIdle("sample size");
    m_bits = bits;
}

int AvCaptureControl::AudioChannels() {
    return m_channels;
}

void AvCaptureControl::setAudioChannels(int channels) {
    if (channels != 1 && channels != 2)
        throw ControlError(
            errors::kInvalidValue,
            QStringLiteral("%1 sound channels cannot be used (1 or 2)").arg(channels));
    requireIdle("sound channels");
    m_channels = channels;
}

bool AvCaptureControl::Listen() {
    return m_listen;
}

void AvCaptureControl::setListen(bool on) {
    if (on == m_listen)
        return;
    m_listen = on;
    if (!on)
        m_output.reset();
    if (!m_recording)
        restartPreview(); // the live session takes the sound in or leaves it out
}

void AvCaptureControl::StartStreamCapture() {
    requireConnected("start recording");
    if (m_recording)
        throw ControlError(errors::kBusy, QStringLiteral("A recording is already running"));
    SessionConfig config;
    config.fps = m_fps;
    config.paced = m_paced || !isTestCamera();
    config.frameLimit = int64_t(m_timeLimit) * m_fps;
    config.live = m_live;
    config.sampleRate = m_sampleRate;
    config.channels = m_channels;
    // The device is reopened for the recording so that its frame clock starts at 0.
    m_engine->stop();
    try {
        config.video = openVideoSource(config.paced);
        addSound(config);
        RecordingSettings rs;
        rs.path = m_streamFile;
        rs.width = config.video->size().width();
        rs.height = config.video->size().height();
        rs.sourceFormat = config.video->format();
        rs.fps = m_fps;
        rs.videoCompressor = m_videoCompressor;
        rs.quality = m_quality;
        rs.audio = m_audioIndex >= 0;
        rs.sampleRate = m_sampleRate;
        rs.channels = m_channels;
        rs.bitsPerSample = m_bits;
        rs.audioCompressor = m_audioCompressor;
        config.writer = std::make_unique<AviWriter>(rs); // creates the file: last step that throws
    } catch (...) {
        try {
            startPreviewSession();
        } catch (const ControlError&) {
            // The first error is the one to report.
        }
        throw;
    }
    m_recording = true;
    m_lastFps = m_fps;
    m_lastCounters = {};
    m_recordingSession = m_engine->start(std::move(config));
    m_statusTimer.start();
    emit StatusMessage(0, QStringLiteral("Recording to %1").arg(m_streamFile));
}

void AvCaptureControl::StopCapture() {
    if (!m_recording)
        return;
    const QString warning = m_engine->stop();
    finishRecording(warning);
}

void AvCaptureControl::finishRecording(const QString& warning) {
    m_lastCounters = m_engine->counters(); // what the file holds, also after a failure
    m_recording = false;
    m_statusTimer.stop();
    if (!warning.isEmpty())
        emit WarningMessage(0, QStringLiteral("The recording %1 was ended: %2. What was recorded "
                                              "until then is kept.")
                                   .arg(m_streamFile, warning));
    if (const QString notice = m_engine->notice(); !notice.isEmpty())
        emit WarningMessage(0, notice);
    emit CaptureStatus(301, QStringLiteral("Recording ended: %1 frames (%2 dropped) in %3")
                                .arg(m_lastCounters.framesCaptured)
                                .arg(m_lastCounters.framesDropped)
                                .arg(m_streamFile));
    if (m_connected && m_preview && !m_engine->running()) {
        try {
            startPreviewSession();
        } catch (const ControlError& e) {
            emit WarningMessage(e.number(), e.description());
        }
    }
}

void AvCaptureControl::onSessionEnded(int session, const QString& warning) {
    if (session != m_engine->session() || !m_engine->running())
        return; // stale: that session was stopped already
    const QString why = m_engine->stop();
    if (m_recording && session == m_recordingSession) {
        finishRecording(why.isEmpty() ? warning : why);
    } else if (!warning.isEmpty()) {
        emit WarningMessage(0, QStringLiteral("The live picture stopped: %1").arg(warning));
    }
}

void AvCaptureControl::emitStatus() {
    if (!m_recording)
        return;
    const CaptureCounters c = m_engine->counters();
    emit CaptureStatus(510, QStringLiteral("Captured %1 frames (%2 dropped) %3 sec.")
                                .arg(c.framesCaptured)
                                .arg(c.framesDropped)
                                .arg(double(c.clockFrames) / m_lastFps, 0, 'f', 3));
}

qint64 AvCaptureControl::FramesCaptured() {
    return m_recording ? m_engine->counters().framesCaptured : m_lastCounters.framesCaptured;
}

qint64 AvCaptureControl::FramesDropped() {
    return m_recording ? m_engine->counters().framesDropped : m_lastCounters.framesDropped;
}

qint64 AvCaptureControl::SamplesCaptured() {
    return m_recording ? m_engine->counters().samplesCaptured : m_lastCounters.samplesCaptured;
}

qint64 AvCaptureControl::CaptureTime() {
    const CaptureCounters c = m_recording ? m_engine->counters() : m_lastCounters;
    return c.clockFrames * 1000 / std::max(1, m_lastFps);
}

// ----- arrival and removal --------------------------------------------------------------------

void AvCaptureControl::setDeviceEventSource(DeviceEventSource* source) {
    if (m_eventSource)
        disconnect(m_eventSource, nullptr, this, nullptr);
    m_eventSource = source;
    if (source)
        connect(source, &DeviceEventSource::deviceEvent, this,
                &AvCaptureControl::handleDeviceEvent);
}

void AvCaptureControl::handleDeviceEvent(const DeviceEvent& event) {
    if (event.kind == DeviceEvent::Kind::Video) {
        auto it =
            std::find_if(m_videoDevices.begin(), m_videoDevices.end(), [&](const VideoDevice& d) {
                return !d.devnode.isEmpty() && d.devnode == event.devnode;
            });
        if (event.added) {
            if (it != m_videoDevices.end() || event.devnode.isEmpty())
                return; // already listed
            m_videoDevices.push_back({event.name, event.devnode});
            emit DeviceChange(platform::kVideoSources, 0, int(m_videoDevices.size()) - 1,
                              event.name);
            return;
        }
        if (it == m_videoDevices.end())
            return;
        const int index = int(it - m_videoDevices.begin());
        const QString name = it->name;
        if (m_connected && index == m_videoIndex) {
            m_connected = false; // nothing may reopen a camera that is gone
            if (m_recording) {
                m_engine->stop();
                finishRecording(QStringLiteral("the camera %1 was unplugged").arg(name));
            }
            m_engine->stop();
            clearDeviceLists();
        }
        m_videoDevices.erase(it);
        if (m_videoIndex > index)
            --m_videoIndex;
        else if (m_videoIndex == index)
            m_videoIndex = std::max(0, testCameraIndex());
        emit DeviceChange(platform::kVideoSources, 1, index, name);
        return;
    }
    auto it = std::find_if(m_audioDevices.begin(), m_audioDevices.end(), [&](const AudioDevice& d) {
        return !d.id.isEmpty() && d.id == event.id;
    });
    if (event.added) {
        if (it != m_audioDevices.end() || event.id.isEmpty())
            return;
        m_audioDevices.push_back({event.name, event.id});
        emit DeviceChange(platform::kAudioSources, 0, int(m_audioDevices.size()) - 1, event.name);
        return;
    }
    if (it == m_audioDevices.end())
        return;
    const int index = int(it - m_audioDevices.begin());
    const QString name = it->name;
    if (m_recording && index == m_audioIndex) {
        m_engine->stop();
        finishRecording(QStringLiteral("the sound source %1 was unplugged").arg(name));
    }
    m_audioDevices.erase(it);
    if (m_audioIndex > index)
        --m_audioIndex;
    else if (m_audioIndex == index)
        m_audioIndex = -1;
    emit DeviceChange(platform::kAudioSources, 1, index, name);
}

} // namespace av
