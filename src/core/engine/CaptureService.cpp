#include "core/engine/CaptureService.h"

#include "core/engine/Codecs.h"

#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace engine {

using ports::ControlError;

CaptureService::CaptureService(QObject* parent) : CaptureService(QString(), parent) {}

CaptureService::CaptureService(const QString& appDir, QObject* parent)
    : CaptureService(media::readCameraList(appDir), parent) {}

CaptureService::CaptureService(const media::CameraList& streams, QObject* parent)
    : CaptureControl(parent), m_devices(CaptureDevices::present(streams.cameras)),
      m_settings([this] { return m_recorder.recording(); }) {
    m_startWarning = media::cameraListWarning(streams);
    connect(&m_recorder, &CaptureRecorder::captureStatus, this, &CaptureControl::CaptureStatus);
    connect(&m_recorder, &CaptureRecorder::warningMessage, this, &CaptureControl::WarningMessage);
    connect(&m_recorder, &CaptureRecorder::previewPicture, this, [this](const QImage& picture) {
        if (m_preview)
            emit PreviewFrame(picture);
    });
    connect(&m_recorder, &CaptureRecorder::listenStarted, this, &CaptureService::listenStarted);
    connect(&m_recorder, &CaptureRecorder::listenStopped, this, &CaptureService::listenStopped);
    connect(&m_recorder, &CaptureRecorder::heard, this, &CaptureService::heard);
    connect(&m_recorder, &CaptureRecorder::recordingFinished, this,
            &CaptureService::onRecordingFinished);
    connect(&m_recorder, &CaptureRecorder::liveFailed, this, &CaptureService::onLiveFailed);
    m_streamWatch.setInterval(250);
    connect(&m_streamWatch, &QTimer::timeout, this, &CaptureService::tellCameraState);
    m_udev = new UdevMonitor(this);
    setDeviceEventSource(m_udev);
}

CaptureService::~CaptureService() {
    // No signals from here on: the screens listening may be half gone.
    blockSignals(true);
    m_recorder.blockSignals(true);
    cancelCameraOpening();
    m_recorder.stopSession();
    m_stream.reset();
    m_retiring.clear(); // joins
}

void CaptureService::retireStream() {
    std::erase_if(m_retiring, [](const Retiring& r) { return r.done->load(); });
    m_streamWatch.stop();
    if (!m_stream)
        return;
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_retiring.push_back(
        Retiring{done, std::jthread([camera = std::move(m_stream), done]() mutable {
                     camera.reset();
                     *done = true;
                 })});
}

void CaptureService::requireConnected(const char* what) const {
    if (!m_connected)
        throw ControlError(
            ports::errors::kNotConnected,
            QStringLiteral("No video device is connected (%1)").arg(QLatin1String(what)));
}

void CaptureService::requireIdle(const char* what) const {
    if (recording())
        throw ControlError(
            ports::errors::kBusy,
            QStringLiteral("Cannot change the %1 while recording").arg(QLatin1String(what)));
}

// ----- devices ------------------------------------------------------------------------------

int CaptureService::testCameraIndex() const {
    return m_devices.testCameraIndex();
}

int CaptureService::testToneIndex() const {
    return m_devices.testToneIndex();
}

int CaptureService::VideoDeviceCount() {
    return m_devices.videoCount();
}

QString CaptureService::VideoDeviceName(int i) {
    return m_devices.video(i).name;
}

void CaptureService::Connect(int i) {
    checkListIndex(i, VideoDeviceCount(), "video device");
    requireIdle("video device");
    if (m_connected)
        Disconnect();
    const VideoDeviceEntry device = m_devices.video(i);
    if (device.isStream()) {
        // A file that is not there is said at once; anything else is opened in the background,
        // and the live picture says how that goes. Its size and pixel format are known only from
        // its pictures.
        if (!device.url.contains(QStringLiteral("://")) && !QFileInfo::exists(device.url))
            throw ControlError(
                ports::errors::kDeviceOpenFailed,
                QStringLiteral("The file camera %1 has no file %2").arg(device.name, device.url));
        m_settings.loadStream(QSize(), AV_PIX_FMT_NONE);
        m_streamName = device.name;
        m_stream = std::make_unique<StreamCamera>(device.url, true, [this] { // camera thread
            QMetaObject::invokeMethod(this, &CaptureService::onStreamChanged, Qt::QueuedConnection);
        });
        m_streamWatch.start();
    } else {
        m_settings.loadDevice(device);
    }
    m_devices.setVideoIndex(i);
    m_connected = true;
    try {
        startPreviewSession();
    } catch (...) {
        m_connected = false;
        retireStream();
        throw;
    }
    tellCameraState();
    emit StatusMessage(0, QStringLiteral("Connected to %1").arg(device.name));
}

bool CaptureService::PicturesComing() {
    if (m_cameraOpening)
        return false;
    return !m_stream || m_stream->status().state == StreamCamera::State::Live;
}

QString CaptureService::CameraStateText() {
    if (m_cameraOpening) {
        const QString name = m_devices.video(m_devices.videoIndex()).name;
        if (m_openFailure.isEmpty())
            return QStringLiteral("Connecting to %1…").arg(name);
        QString why = m_openFailure; // a reason worded to go on a sentence starts a line here
        why[0] = why[0].toUpper();
        return QStringLiteral("Connecting to %1…\n%2. Trying again.").arg(name, why);
    }
    if (!m_stream)
        return {};
    const StreamCamera::Status s = m_stream->status();
    switch (s.state) {
    case StreamCamera::State::Live:
        return {};
    case StreamCamera::State::Connecting:
        return s.why.isEmpty() ? QStringLiteral("Connecting to %1…").arg(m_streamName)
                               : QStringLiteral("Connecting to %1…\n%2. Trying again.")
                                     .arg(m_streamName, s.why);
    case StreamCamera::State::Lost:
        break;
    }
    return QStringLiteral("%1 is lost: %2.\nReconnecting…").arg(m_streamName, s.why);
}

void CaptureService::tellCameraState() {
    const bool pictures = PicturesComing();
    const QString text = CameraStateText();
    if (pictures == m_toldPictures && text == m_toldText)
        return;
    m_toldPictures = pictures;
    m_toldText = text;
    emit CameraState(pictures, text);
}

void CaptureService::onStreamChanged() {
    if (!m_stream)
        return; // a camera since disconnected
    const StreamCamera::Status s = m_stream->status();
    if (s.state == StreamCamera::State::Live && !s.size.isEmpty() && m_settings.size() != s.size) {
        m_settings.loadStream(s.size, s.format);
        if (m_connected && !m_recorder.running()) {
            try {
                startPreviewSession();
            } catch (const ControlError& e) {
                emit WarningMessage(e.number(), e.description());
            }
        }
    }
    tellCameraState();
}

bool CaptureService::Connected() {
    return m_connected;
}

void CaptureService::Disconnect() {
    if (!m_connected)
        return;
    StopCapture();
    cancelCameraOpening();
    m_recorder.stopSession();
    emit listenStopped();
    m_connected = false;
    retireStream();
    m_settings.clearDevice();
    tellCameraState();
}

int CaptureService::VideoDeviceIndex() {
    return m_devices.videoIndex();
}

void CaptureService::setVideoDeviceIndex(int i) {
    checkListIndex(i, VideoDeviceCount(), "video device");
    if (m_connected && i != m_devices.videoIndex())
        throw ControlError(ports::errors::kBusy,
                           QStringLiteral("Disconnect before choosing another video device"));
    m_devices.setVideoIndex(i);
}

// ----- live picture ---------------------------------------------------------------------------

bool CaptureService::Preview() {
    return m_preview;
}

void CaptureService::setPreview(bool on) {
    if (on == m_preview)
        return;
    m_preview = on;
    applyPreviewSize();
    if (recording())
        return; // the recording shows the live picture; its end applies the new state
    if (on) {
        startPreviewSession();
    } else {
        cancelCameraOpening();
        m_recorder.stopSession();
    }
    tellCameraState();
}

void CaptureService::setPreviewSize(const QSize& size) {
    m_previewSize = size;
    applyPreviewSize();
}

// Pictures are made only while someone shows them.
void CaptureService::applyPreviewSize() {
    m_recorder.setPreviewSize(m_preview ? m_previewSize : QSize());
}

std::unique_ptr<VideoSource> CaptureService::openVideoSource(bool paced) {
    const QSize size = m_settings.size();
    const VideoDeviceEntry& device = m_devices.video(m_devices.videoIndex());
    if (device.isStream()) {
        if (!m_stream || m_stream->status().size.isEmpty())
            throw ControlError(ports::errors::kDeviceOpenFailed,
                               QStringLiteral("%1 has sent no picture yet").arg(device.name));
        return m_stream->source(); // at the size and format of its first picture
    }
    if (m_devices.chosenCameraIsTest())
        return std::make_unique<TestCameraSource>(size, testCameraFormat(m_settings.format()),
                                                  m_settings.fps(), paced, m_settings.live());
    // When the live picture's opening found the decoded format with these settings, the
    // recording's opening need not wait for a picture to learn it.
    const bool found = m_liveFormat.size == size && m_liveFormat.fourcc == m_settings.format() &&
                       m_liveFormat.input == m_settings.inputIndex();
    return std::make_unique<V4l2Source>(device.devnode, device.name, size, m_settings.format(),
                                        m_settings.inputIndex(), m_settings.fps(),
                                        found ? m_liveFormat.format : AV_PIX_FMT_NONE);
}

void CaptureService::startPreviewSession() {
    if (!m_connected || !m_preview || recording())
        return;
    if (m_stream && m_stream->status().size.isEmpty())
        return; // starts with the camera's first picture
    if (chosenCameraIsV4l2()) {
        openCameraInBackground();
        return;
    }
    startLiveSession(openVideoSource(true));
}

bool CaptureService::chosenCameraIsV4l2() const {
    const int index = m_devices.videoIndex();
    return index >= 0 && index < m_devices.videoCount() && !m_devices.video(index).isStream() &&
           !m_devices.chosenCameraIsTest();
}

void CaptureService::openCameraInBackground() {
    const QString failure = m_openFailure; // said until an opening succeeds
    cancelCameraOpening();
    m_openFailure = failure;
    const int generation = m_openGeneration;
    const VideoDeviceEntry& device = m_devices.video(m_devices.videoIndex());
    m_cameraOpening = true;
    m_opening = std::jthread([this, generation, devnode = device.devnode, name = device.name,
                              size = m_settings.size(), format = m_settings.format(),
                              input = m_settings.inputIndex(),
                              fps = m_settings.fps()](std::stop_token stop) {
        // Held by the queued call: a queued call never made (the service gone) closes it.
        auto video = std::make_shared<std::unique_ptr<VideoSource>>();
        QString why;
        try {
            *video = std::make_unique<V4l2Source>(devnode, name, size, format, input, fps,
                                                  AV_PIX_FMT_NONE, stop);
        } catch (const ControlError& e) {
            why = e.description();
        }
        if (stop.stop_requested())
            return; // given up: the source closes here
        QMetaObject::invokeMethod(
            this,
            [this, generation, video, why] { onCameraOpened(generation, std::move(*video), why); },
            Qt::QueuedConnection);
    });
}

void CaptureService::startLiveSession(std::unique_ptr<VideoSource> video) {
    SessionConfig config;
    config.video = std::move(video);
    config.fps = m_settings.fps();
    config.paced = true;
    config.live = m_settings.live();
    if (m_settings.listen())
        addSound(config); // the live sound only when someone listens
    m_recorder.startLive(std::move(config), m_settings.listen());
}

void CaptureService::onCameraOpened(int generation, std::unique_ptr<VideoSource> video,
                                    const QString& why) {
    if (generation != m_openGeneration)
        return;                 // given up since: it closes here
    m_opening = std::jthread(); // joins a thread that has ended
    if (!video) {
        // Tried again after a pause, as long as the live picture is wanted; the picture says why.
        m_openFailure = why;
        QTimer::singleShot(kOpenRetryMs, this, [this, generation] {
            if (generation != m_openGeneration || !m_cameraOpening)
                return;
            m_cameraOpening = false;
            startPreviewSession(); // opens again when the live picture is still wanted
            tellCameraState();
        });
        tellCameraState();
        return;
    }
    m_cameraOpening = false;
    m_openFailure.clear();
    m_liveFormat = FoundFormat{video->format(), m_settings.size(), m_settings.format(),
                               m_settings.inputIndex()};
    if (!m_connected || !m_preview || recording()) {
        tellCameraState();
        return;
    }
    try {
        startLiveSession(std::move(video));
    } catch (const ControlError& e) {
        emit WarningMessage(e.number(), e.description());
    }
    tellCameraState();
}

// Gives up an opening under way (it ends within a few milliseconds) and forgets what it found.
void CaptureService::cancelCameraOpening() {
    ++m_openGeneration;
    m_cameraOpening = false;
    m_openFailure.clear();
    m_liveFormat = {};
    m_opening = std::jthread(); // asks the thread to stop and joins it
}

void CaptureService::addSound(SessionConfig& config) {
    config.sampleRate = m_settings.sampleRate();
    config.channels = m_settings.channels();
    const int audio = m_devices.audioIndex();
    if (audio < 0)
        return;
    const AudioDeviceEntry& a = m_devices.audio(audio);
    if (CaptureDevices::isTestNode(a.id)) {
        config.sound = SoundSource::TestTone;
        config.tone = std::make_unique<TestTone>(config.sampleRate, config.channels, config.fps);
    } else {
        config.sound = SoundSource::Device;
        config.soundDevice =
            std::make_unique<AlsaSource>(a.id, m_settings.sampleRate(), m_settings.channels());
    }
}

void CaptureService::restartPreview() {
    if (recording())
        return;
    if (m_cameraOpening) { // opened again with the new settings
        startPreviewSession();
        return;
    }
    if (!m_recorder.running())
        return;
    m_recorder.stopSession();
    startPreviewSession();
}

// ----- lists ----------------------------------------------------------------------------------

int CaptureService::VideoResolutionCount() {
    return m_settings.sizeCount();
}

QString CaptureService::VideoResolutionName(int i) {
    return m_settings.sizeName(i);
}

int CaptureService::VideoResolution() {
    return m_settings.sizeIndex();
}

void CaptureService::setVideoResolution(int i) {
    requireConnected("resolution");
    if (m_settings.setSizeIndex(i))
        restartPreview();
}

int CaptureService::ColorFormatCount() {
    return m_settings.formatCount();
}

QString CaptureService::ColorFormatName(int i) {
    return m_settings.formatName(i);
}

int CaptureService::ColorFormat() {
    return m_settings.formatIndex();
}

void CaptureService::setColorFormat(int i) {
    requireConnected("colour format");
    if (m_settings.setFormatIndex(i))
        restartPreview();
}

int CaptureService::VideoInputCount() {
    return m_settings.inputCount();
}

QString CaptureService::VideoInputName(int i) {
    return m_settings.inputName(i);
}

int CaptureService::VideoInputIndex() {
    return m_settings.inputIndex();
}

void CaptureService::setVideoInputIndex(int i) {
    requireConnected("video input");
    if (m_settings.setInputIndex(i))
        restartPreview();
}

int CaptureService::VideoCompressorCount() {
    return int(videoCompressors().size());
}

QString CaptureService::VideoCompressorName(int i) {
    checkListIndex(i, VideoCompressorCount(), "video compressor");
    return videoCompressors()[size_t(i)].name;
}

int CaptureService::VideoCompressor() {
    return m_settings.videoCompressor();
}

void CaptureService::setVideoCompressor(int i) {
    m_settings.setVideoCompressor(i);
}

int CaptureService::AudioDeviceCount() {
    return m_devices.audioCount();
}

QString CaptureService::AudioDeviceName(int i) {
    return m_devices.audio(i).name;
}

int CaptureService::AudioDeviceIndex() {
    return m_devices.audioIndex();
}

void CaptureService::setAudioDeviceIndex(int i) {
    checkListIndex(i, AudioDeviceCount(), "audio device", true);
    if (i == m_devices.audioIndex())
        return;
    requireIdle("audio device");
    m_devices.setAudioIndex(i);
}

int CaptureService::AudioCompressorCount() {
    return int(audioCompressors().size());
}

QString CaptureService::AudioCompressorName(int i) {
    checkListIndex(i, AudioCompressorCount(), "audio compressor");
    return audioCompressors()[size_t(i)].name;
}

int CaptureService::AudioCompressor() {
    return m_settings.audioCompressor();
}

void CaptureService::setAudioCompressor(int i) {
    m_settings.setAudioCompressor(i);
}

// ----- channels -------------------------------------------------------------------------------

bool CaptureService::HasChannels() {
    return m_connected && m_devices.chosenCameraIsTest();
}

int CaptureService::ChannelMin() {
    return HasChannels() ? kTestChannelMin : 0;
}

int CaptureService::ChannelMax() {
    return HasChannels() ? kTestChannelMax : 0;
}

int CaptureService::CurrentChannel() {
    return HasChannels() ? m_settings.channel() : 0;
}

void CaptureService::setCurrentChannel(int channel) {
    requireConnected("channel");
    if (!HasChannels())
        throw ControlError(ports::errors::kNotSupported,
                           QStringLiteral("This device has no channels"));
    m_settings.setChannel(channel);
}

// ----- effects --------------------------------------------------------------------------------

int CaptureService::EffectCount(const QString& category) {
    return m_settings.effectCount(category);
}

QString CaptureService::EffectName(const QString& category, int i) {
    return m_settings.effectName(category, i);
}

int CaptureService::FindEffect(const QString& category, const QString& name) {
    return m_settings.findEffect(category, name);
}

int CaptureService::CurrentEffect(int slot) {
    return m_settings.currentEffect(slot);
}

void CaptureService::SetEffect(int slot, const QString& category, int index) {
    m_settings.setEffect(slot, category, index);
}

// ----- dialogs and the values only they reach -------------------------------------------------

DialogSubject CaptureService::dialogSubject() const {
    DialogSubject s;
    s.connected = m_connected;
    s.testCamera = m_devices.chosenCameraIsTest();
    if (m_connected)
        s.devnode = m_devices.video(m_devices.videoIndex()).devnode;
    s.audioIndex = m_devices.audioIndex();
    if (s.audioIndex >= 0)
        s.audioName = m_devices.audio(s.audioIndex).name;
    return s;
}

bool CaptureService::HasDialog(int code) {
    return m_settings.hasDialog(code, dialogSubject());
}

SettingList CaptureService::dialogSettings(int code) {
    return m_settings.dialog(code, dialogSubject());
}

void CaptureService::applySetting(const QString& id, int value) {
    try {
        const QString refused = m_settings.applySetting(id, value, dialogSubject());
        if (!refused.isEmpty())
            emit StatusMessage(0, refused);
    } catch (const ControlError& e) {
        emit StatusMessage(e.number(), e.description());
    }
}

void CaptureService::setTestCameraPacing(bool paced) {
    m_paced = paced;
}

// ----- stream recording -----------------------------------------------------------------------

QString CaptureService::StreamFileName() {
    return m_settings.streamFile();
}

void CaptureService::setStreamFileName(const QString& path) {
    m_settings.setStreamFile(path);
}

int CaptureService::FrameRate() {
    return m_settings.fps();
}

void CaptureService::setFrameRate(int fps) {
    if (m_settings.setFps(fps))
        restartPreview();
}

int CaptureService::TimeLimit() {
    return m_settings.timeLimit();
}

void CaptureService::setTimeLimit(int seconds) {
    m_settings.setTimeLimit(seconds);
}

int CaptureService::AudioSampleRate() {
    return m_settings.sampleRate();
}

void CaptureService::setAudioSampleRate(int hz) {
    m_settings.setSampleRate(hz);
}

int CaptureService::AudioBitsPerSample() {
    return m_settings.bitsPerSample();
}

void CaptureService::setAudioBitsPerSample(int bits) {
    m_settings.setBitsPerSample(bits);
}

int CaptureService::AudioChannels() {
    return m_settings.channels();
}

void CaptureService::setAudioChannels(int channels) {
    m_settings.setChannels(channels);
}

bool CaptureService::Listen() {
    return m_settings.listen();
}

void CaptureService::setListen(bool on) {
    if (!m_settings.setListen(on))
        return;
    if (!on)
        emit listenStopped();
    if (!recording())
        restartPreview(); // the live session takes the sound in or leaves it out
}

void CaptureService::StartStreamCapture() {
    requireConnected("start recording");
    if (recording())
        throw ControlError(ports::errors::kBusy, QStringLiteral("A recording is already running"));
    if (!PicturesComing())
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("%1 sends no pictures now: nothing can be recorded "
                                          "until it does")
                               .arg(m_devices.video(m_devices.videoIndex()).name));
    const int fps = m_settings.fps();
    const QString path = m_settings.streamFile();
    SessionConfig config;
    config.fps = fps;
    config.paced = m_paced || !m_devices.chosenCameraIsTest();
    config.frameLimit = int64_t(m_settings.timeLimit()) * fps;
    config.live = m_settings.live();
    config.sampleRate = m_settings.sampleRate();
    config.channels = m_settings.channels();
    // The device is reopened for the recording so that its frame clock starts at 0.
    m_recorder.stopSession();
    try {
        config.video = openVideoSource(config.paced);
        addSound(config);
        RecordingSettings rs;
        rs.path = path;
        rs.width = config.video->size().width();
        rs.height = config.video->size().height();
        rs.sourceFormat = config.video->format();
        rs.fps = fps;
        rs.videoCompressor = m_settings.videoCompressor();
        rs.quality = m_settings.quality();
        rs.audio = m_devices.audioIndex() >= 0;
        rs.sampleRate = m_settings.sampleRate();
        rs.channels = m_settings.channels();
        rs.bitsPerSample = m_settings.bitsPerSample();
        rs.audioCompressor = m_settings.audioCompressor();
        rs.cameraJpeg = m_jpegPassThrough && config.video->deliversJpeg();
        config.writer = std::make_unique<AviWriter>(rs); // creates the file: last step that throws
    } catch (...) {
        try {
            startPreviewSession();
        } catch (const ControlError&) {
            // The first error is the one to report.
        }
        throw;
    }
    m_recorder.startRecording(std::move(config), m_settings.listen(), path, fps);
    emit StatusMessage(0, QStringLiteral("Recording to %1").arg(path));
}

QString CaptureService::takeStartWarning() {
    return std::exchange(m_startWarning, QString());
}

void CaptureService::StopCapture() {
    m_recorder.stopRecording();
}

void CaptureService::onRecordingFinished(bool failed) {
    if (m_connected && m_preview && !m_recorder.running()) {
        try {
            startPreviewSession();
        } catch (const ControlError& e) {
            // After a failure its own warning is the one message: a camera that failed the
            // recording (one just unplugged) fails the live picture too.
            if (!failed)
                emit WarningMessage(e.number(), e.description());
        }
        tellCameraState();
    }
}

void CaptureService::onLiveFailed(const QString& why) {
    // A USB camera that fails its live picture (stalled, a grabber without signal, unplugged
    // before udev tells) is opened again in the background; the live picture says why.
    if (m_connected && m_preview && chosenCameraIsV4l2()) {
        m_openFailure = why;
        openCameraInBackground();
        tellCameraState();
        return;
    }
    emit WarningMessage(0, QStringLiteral("The live picture stopped: %1").arg(why));
}

qint64 CaptureService::FramesCaptured() {
    return m_recorder.framesCaptured();
}

qint64 CaptureService::FramesDropped() {
    return m_recorder.framesDropped();
}

qint64 CaptureService::SamplesCaptured() {
    return m_recorder.samplesCaptured();
}

qint64 CaptureService::CaptureTime() {
    return m_recorder.captureTime();
}

// ----- arrival and removal --------------------------------------------------------------------

void CaptureService::setDeviceEventSource(DeviceEventSource* source) {
    if (m_eventSource)
        disconnect(m_eventSource, nullptr, this, nullptr);
    m_eventSource = source;
    if (source)
        connect(source, &DeviceEventSource::deviceEvent, this, &CaptureService::handleDeviceEvent);
}

void CaptureService::handleDeviceEvent(const DeviceEvent& event) {
    // A device in use that goes away ends what it was used for, before it leaves its list.
    const int index = event.added ? -1 : m_devices.indexOf(event);
    if (index >= 0 && event.kind == DeviceEvent::Kind::Video) {
        if (m_connected && index == m_devices.videoIndex()) {
            const QString name = m_devices.video(index).name;
            m_connected = false; // nothing may reopen a camera that is gone
            cancelCameraOpening();
            m_recorder.endRecording(QStringLiteral("the camera %1 was unplugged").arg(name));
            m_recorder.stopSession();
            retireStream();
            m_settings.clearDevice();
            tellCameraState();
        }
    } else if (index >= 0) {
        if (recording() && index == m_devices.audioIndex()) {
            const QString name = m_devices.audio(index).name;
            m_recorder.endRecording(QStringLiteral("the sound source %1 was unplugged").arg(name));
        }
    }
    if (const std::optional<DeviceListChange> change = m_devices.apply(event))
        emit DeviceChange(change->video ? ports::kVideoSources : ports::kAudioSources,
                          change->action, change->index, change->name);
}

} // namespace engine
