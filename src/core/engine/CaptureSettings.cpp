#include "core/engine/CaptureSettings.h"

#include "core/engine/Codecs.h"
#include "core/engine/V4l2Device.h"
#include "core/ports/CaptureControl.h"

#include <algorithm>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace engine {

using ports::ControlError;

namespace {

// Setting ids of the dialogs.
const QString kBrightness = QStringLiteral("test/brightness");
const QString kTint = QStringLiteral("test/tint");
const QString kChannel = QStringLiteral("test/channel");
const QString kQuality = QStringLiteral("compressor/quality");
const QString kGain = QStringLiteral("sound/gain");
const QString kCameraPrefix = QStringLiteral("camera/");
const QString kEffectPrefix = QStringLiteral("effect/");

void slotZero(int slot) {
    if (slot != 0)
        throw ControlError(ports::errors::kInvalidIndex,
                           QStringLiteral("Effect slot %1 does not exist; "
                                          "there is slot 0 only")
                               .arg(slot));
}

} // namespace

AVPixelFormat testCameraFormat(const QString& name) {
    for (const ColorFormatInfo& f : testCameraFormats())
        if (f.name == name)
            return f.format;
    return AV_PIX_FMT_YUV420P;
}

CaptureSettings::CaptureSettings(std::function<bool()> recording)
    : m_recording(std::move(recording)), m_quality(kDefaultQuality),
      m_live(std::make_shared<LiveSettings>()) {}

void CaptureSettings::requireIdle(const char* what) const {
    if (m_recording && m_recording())
        throw ControlError(
            ports::errors::kBusy,
            QStringLiteral("Cannot change the %1 while recording").arg(QLatin1String(what)));
}

// ----- the connected camera's lists -----------------------------------------------------------

void CaptureSettings::loadDevice(const VideoDeviceEntry& d) {
    std::vector<QSize> sizes;
    std::vector<QString> formats;
    std::vector<QString> inputs;
    int size = 0;
    if (CaptureDevices::isTestNode(d.devnode)) {
        sizes = testCameraSizes();
        for (const ColorFormatInfo& f : testCameraFormats())
            formats.push_back(f.name);
        inputs = {QStringLiteral("Test Pattern")};
        size = 1; // 640x480
    } else {
        auto caps = v4l2Capabilities(d.devnode);
        if (!caps || caps->formats.empty() || caps->sizes.empty())
            throw ControlError(ports::errors::kDeviceOpenFailed,
                               QStringLiteral("Cannot open %1 (%2)").arg(d.name, d.devnode));
        sizes = caps->sizes;
        formats = caps->formats;
        inputs = caps->inputs;
        auto it = std::find(sizes.begin(), sizes.end(), QSize(640, 480));
        size = it == sizes.end() ? 0 : int(it - sizes.begin());
    }
    m_sizes = std::move(sizes);
    m_formats = std::move(formats);
    m_inputs = std::move(inputs);
    m_sizeIndex = size;
    m_formatIndex = 0;
    m_inputIndex = m_inputs.empty() ? -1 : 0;
    m_live->channel = kTestChannelMin;
}

void CaptureSettings::loadStream(QSize size, AVPixelFormat format) {
    const char* name = av_get_pix_fmt_name(format);
    m_sizes = {size};
    m_formats = {name ? QString::fromLatin1(name) : QStringLiteral("unknown")};
    m_inputs = {QStringLiteral("Stream")};
    m_sizeIndex = m_formatIndex = m_inputIndex = 0;
    m_live->channel = kTestChannelMin;
}

void CaptureSettings::clearDevice() {
    m_sizes.clear();
    m_formats.clear();
    m_inputs.clear();
    m_sizeIndex = m_formatIndex = m_inputIndex = -1;
}

QString CaptureSettings::sizeName(int i) const {
    checkListIndex(i, sizeCount(), "resolution");
    const QSize s = m_sizes[size_t(i)];
    if (s.isEmpty()) // a network camera whose first picture has not come yet
        return QStringLiteral("As the camera sends");
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

bool CaptureSettings::setSizeIndex(int i) {
    checkListIndex(i, sizeCount(), "resolution");
    if (i == m_sizeIndex)
        return false;
    requireIdle("resolution");
    m_sizeIndex = i;
    return true;
}

QString CaptureSettings::formatName(int i) const {
    checkListIndex(i, formatCount(), "colour format");
    return m_formats[size_t(i)];
}

bool CaptureSettings::setFormatIndex(int i) {
    checkListIndex(i, formatCount(), "colour format");
    if (i == m_formatIndex)
        return false;
    requireIdle("colour format");
    m_formatIndex = i;
    return true;
}

QString CaptureSettings::inputName(int i) const {
    checkListIndex(i, inputCount(), "video input");
    return m_inputs[size_t(i)];
}

bool CaptureSettings::setInputIndex(int i) {
    checkListIndex(i, inputCount(), "video input");
    if (i == m_inputIndex)
        return false;
    requireIdle("video input");
    m_inputIndex = i;
    return true;
}

// ----- compressors ----------------------------------------------------------------------------

void CaptureSettings::setVideoCompressor(int i) {
    checkListIndex(i, int(videoCompressors().size()), "video compressor", true);
    if (i == m_videoCompressor)
        return;
    requireIdle("video compressor");
    m_videoCompressor = i;
}

void CaptureSettings::setAudioCompressor(int i) {
    checkListIndex(i, int(audioCompressors().size()), "audio compressor", true);
    if (i == m_audioCompressor)
        return;
    requireIdle("audio compressor");
    m_audioCompressor = i;
}

void CaptureSettings::setQuality(int quality) {
    requireIdle("compressor quality");
    m_quality = std::clamp(quality, 1, 100);
}

// ----- live settings --------------------------------------------------------------------------

void CaptureSettings::setChannel(int channel) {
    if (channel < kTestChannelMin || channel > kTestChannelMax)
        throw ControlError(ports::errors::kInvalidValue,
                           QStringLiteral("Channel %1 is outside %2 to %3")
                               .arg(channel)
                               .arg(kTestChannelMin)
                               .arg(kTestChannelMax));
    m_live->channel = channel; // the next picture shows it, recording or not
}

void CaptureSettings::setGain(int percent) {
    m_live->gainPercent = std::clamp(percent, 0, 400);
}

void CaptureSettings::setLook(const TestCameraLook& look) {
    TestCameraLook l = look;
    l.brightness = std::clamp(l.brightness, -100, 100);
    l.tint = ((l.tint % 360) + 360) % 360;
    m_live->setLook(l);
}

// ----- effects --------------------------------------------------------------------------------

int CaptureSettings::effectCount(const QString& category) const {
    return category.compare(ports::kEffectCategory, Qt::CaseInsensitive) == 0
               ? int(effectList().size())
               : 0;
}

QString CaptureSettings::effectName(const QString& category, int i) const {
    if (effectCount(category) == 0)
        throw ControlError(ports::errors::kInvalidValue,
                           QStringLiteral("Unknown effect category \"%1\"").arg(category));
    checkListIndex(i, effectCount(category), "effect");
    return effectList()[size_t(i)].name;
}

int CaptureSettings::findEffect(const QString& category, const QString& name) const {
    const int n = effectCount(category);
    for (int i = 0; i < n; ++i)
        if (effectList()[size_t(i)].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int CaptureSettings::currentEffect(int slot) const {
    slotZero(slot);
    return m_effect.index;
}

void CaptureSettings::setEffect(int slot, const QString& category, int index) {
    slotZero(slot);
    if (index != -1 && effectCount(category) == 0)
        throw ControlError(ports::errors::kInvalidValue,
                           QStringLiteral("Unknown effect category \"%1\"").arg(category));
    checkListIndex(index, int(effectList().size()), "effect", true);
    EffectChoice choice;
    choice.index = index;
    if (index >= 0)
        for (const EffectParam& p : effectList()[size_t(index)].params)
            choice.values.push_back(p.value);
    m_effect = choice;
    m_live->setEffect(m_effect); // picked up with the next picture, recording or not
}

void CaptureSettings::setEffectValue(int param, int value) {
    checkListIndex(param, int(m_effect.values.size()), "effect setting");
    const EffectParam& p = effectList()[size_t(m_effect.index)].params[size_t(param)];
    m_effect.values[size_t(param)] = std::clamp(value, p.min, p.max);
    m_live->setEffect(m_effect);
}

// ----- recording options ----------------------------------------------------------------------

void CaptureSettings::setStreamFile(const QString& path) {
    requireIdle("file name");
    m_streamFile = path;
}

bool CaptureSettings::setFps(int fps) {
    if (fps < 1 || fps > kTestCameraMaxFps)
        throw ControlError(ports::errors::kInvalidValue,
                           QStringLiteral("A frame rate of %1 per second cannot be used (1 to %2)")
                               .arg(fps)
                               .arg(kTestCameraMaxFps));
    if (fps == m_fps)
        return false;
    requireIdle("frame rate");
    m_fps = fps;
    return true;
}

void CaptureSettings::setTimeLimit(int seconds) {
    if (seconds < 0 || seconds > 24 * 3600)
        throw ControlError(
            ports::errors::kInvalidValue,
            QStringLiteral("A time limit of %1 seconds cannot be used").arg(seconds));
    requireIdle("time limit");
    m_timeLimit = seconds;
}

void CaptureSettings::setSampleRate(int hz) {
    if (hz < 8000 || hz > 48000)
        throw ControlError(
            ports::errors::kInvalidValue,
            QStringLiteral("A sample rate of %1 Hz cannot be used (8000 to 48000)").arg(hz));
    requireIdle("sample rate");
    m_sampleRate = hz;
}

void CaptureSettings::setBitsPerSample(int bits) {
    if (bits != 8 && bits != 16)
        throw ControlError(ports::errors::kInvalidValue,
                           QStringLiteral("%1 bits per sample cannot be used (8 or 16)").arg(bits));
    requireIdle("sample size");
    m_bits = bits;
}

void CaptureSettings::setChannels(int channels) {
    if (channels != 1 && channels != 2)
        throw ControlError(
            ports::errors::kInvalidValue,
            QStringLiteral("%1 sound channels cannot be used (1 or 2)").arg(channels));
    requireIdle("sound channels");
    m_channels = channels;
}

bool CaptureSettings::setListen(bool on) {
    if (on == m_listen)
        return false;
    m_listen = on;
    return true;
}

// ----- dialogs --------------------------------------------------------------------------------

bool CaptureSettings::hasDialog(int code, const DialogSubject& subject) const {
    switch (code) {
    case 35:
        return subject.connected;
    case 35 + 4096:
        return subject.connected && m_effect.index >= 0;
    case 256:
        return m_videoCompressor >= 0 && videoCompressors()[size_t(m_videoCompressor)].hasQuality;
    case 1032:
        return subject.audioIndex >= 0;
    default:
        return false;
    }
}

SettingList CaptureSettings::dialog(int code, const DialogSubject& subject) const {
    if (!hasDialog(code, subject))
        throw ControlError(ports::errors::kNotSupported,
                           QStringLiteral("Dialog %1 is not available now").arg(code));
    SettingList list;
    auto add = [&list](QString id, QString group, QString label, int min, int max, int value) {
        list.settings.push_back({std::move(id), std::move(group), std::move(label), min, max, value,
                                 Setting::Kind::Range});
    };
    if (code == 35 || code == 35 + 4096) {
        list.title = QStringLiteral("Video Source");
        if (subject.testCamera) {
            const TestCameraLook l = look();
            const QString group = QStringLiteral("Test camera");
            add(kBrightness, group, QStringLiteral("Brightness"), -100, 100, l.brightness);
            add(kTint, group, QStringLiteral("Background tint"), 0, 359, l.tint);
            add(kChannel, group, QStringLiteral("Channel"), kTestChannelMin, kTestChannelMax,
                channel());
        } else {
            for (const V4l2Control& c : v4l2Controls(subject.devnode))
                add(kCameraPrefix + QString::number(c.id), QStringLiteral("Camera"), c.name,
                    c.minimum, c.maximum, c.value);
        }
        if (code == 35 + 4096) {
            const EffectInfo& effect = effectList()[size_t(m_effect.index)];
            for (size_t i = 0; i < effect.params.size(); ++i)
                add(kEffectPrefix + QString::number(i), effect.name, effect.params[i].name,
                    effect.params[i].min, effect.params[i].max, m_effect.values[i]);
        }
    } else if (code == 256) {
        list.title = QStringLiteral("Video Compression");
        add(kQuality, videoCompressors()[size_t(m_videoCompressor)].name,
            QStringLiteral("Quality (100 = best)"), 1, 100, m_quality);
    } else {
        list.title = QStringLiteral("Audio Format");
        add(kGain, subject.audioName, QStringLiteral("Input gain (%)"), 0, 400, gain());
    }
    return list;
}

QString CaptureSettings::applySetting(const QString& id, int value, const DialogSubject& subject) {
    if (id == kBrightness || id == kTint) {
        TestCameraLook l = look();
        (id == kBrightness ? l.brightness : l.tint) = value;
        setLook(l);
    } else if (id == kChannel) {
        setChannel(value);
    } else if (id == kQuality) {
        setQuality(value);
    } else if (id == kGain) {
        setGain(value);
    } else if (id.startsWith(kEffectPrefix)) {
        setEffectValue(id.mid(kEffectPrefix.size()).toInt(), value);
    } else if (id.startsWith(kCameraPrefix)) {
        const uint32_t control = id.mid(kCameraPrefix.size()).toUInt();
        if (!setV4l2Control(subject.devnode, control, value)) {
            QString name = id;
            for (const V4l2Control& c : v4l2Controls(subject.devnode))
                if (c.id == control)
                    name = c.name;
            return QStringLiteral("The camera refused %1 = %2").arg(name).arg(value);
        }
    }
    return {};
}

} // namespace engine
