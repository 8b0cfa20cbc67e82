#include "core/engine/CaptureRecorder.h"

#include <algorithm>

namespace engine {

CaptureRecorder::CaptureRecorder(QObject* parent) : QObject(parent) {
    m_engine = std::make_unique<CaptureEngine>(
        [this](QImage image) { // recording thread
            QMetaObject::invokeMethod(
                this,
                [this, image = std::move(image)] {
                    emit previewPicture(image);
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
    connect(&m_statusTimer, &QTimer::timeout, this, &CaptureRecorder::emitStatus);
}

CaptureRecorder::~CaptureRecorder() {
    blockSignals(true);
    m_engine.reset();
}

void CaptureRecorder::addListener(SessionConfig& config, bool listen) {
    if (!listen || config.sound == SoundSource::None) {
        emit listenStopped();
        return;
    }
    emit listenStarted(config.sampleRate, config.channels);
    config.listen = [this](const std::vector<int16_t>& samples) { // recording thread
        QByteArray pcm(reinterpret_cast<const char*>(samples.data()),
                       qsizetype(samples.size() * sizeof(int16_t)));
        QMetaObject::invokeMethod(
            this, [this, pcm] { emit heard(pcm); }, Qt::QueuedConnection);
    };
}

void CaptureRecorder::startLive(SessionConfig config, bool listen) {
    addListener(config, listen);
    m_engine->start(std::move(config));
}

void CaptureRecorder::stopSession() {
    m_engine->stop();
}

void CaptureRecorder::startRecording(SessionConfig config, bool listen, const QString& path,
                                     int fps) {
    m_engine->stop();
    addListener(config, listen);
    m_framesInFile = config.writer ? config.writer->framesWrittenCounter() : nullptr;
    m_path = path;
    m_fps = fps;
    m_recording = true;
    m_lastCounters = {};
    m_recordingSession = m_engine->start(std::move(config));
    m_statusTimer.start();
}

void CaptureRecorder::stopRecording() {
    if (!m_recording)
        return;
    const QString warning = m_engine->stop();
    finishRecording(warning);
}

void CaptureRecorder::endRecording(const QString& why) {
    if (!m_recording)
        return;
    m_engine->stop();
    finishRecording(why);
}

void CaptureRecorder::finishRecording(const QString& warning) {
    m_lastCounters = m_engine->counters();
    if (!warning.isEmpty()) {
        // Ended by a failure (a full disk, a lost device): pictures counted on capture may never
        // have reached the file. The count is what the file holds, so that the review screen
        // never takes frames past its end for part of the run.
        const int64_t inFile = m_framesInFile ? m_framesInFile->load() : 0;
        m_lastCounters.framesCaptured = std::min(m_lastCounters.framesCaptured, inFile);
    }
    m_framesInFile.reset();
    m_recording = false;
    m_statusTimer.stop();
    // The end first, so that the screens leave the recording state at once; then what the
    // operator should know, while the live picture runs again.
    emit captureStatus(301, QStringLiteral("Recording ended: %1 frames (%2 dropped) in %3")
                                .arg(m_lastCounters.framesCaptured)
                                .arg(m_lastCounters.framesDropped)
                                .arg(m_path));
    emit recordingFinished(!warning.isEmpty());
    if (!warning.isEmpty()) {
        const int64_t frames = m_lastCounters.framesCaptured;
        emit warningMessage(
            0, QStringLiteral("The recording %1 was ended: %2. The %3 frame%4 recorded until then "
                              "(%5 s) are kept.")
                   .arg(m_path, warning)
                   .arg(frames)
                   .arg(frames == 1 ? QString() : QStringLiteral("s"))
                   .arg(double(frames) / std::max(1, m_fps), 0, 'f', 1));
    }
    // What the operator should know about the run itself (seconds without sound).
    if (const QString notice = m_engine->notice(); !notice.isEmpty())
        emit warningMessage(0, notice);
}

void CaptureRecorder::onSessionEnded(int session, const QString& warning) {
    if (session != m_engine->session() || !m_engine->running())
        return; // stale: that session was stopped already
    const QString why = m_engine->stop();
    if (m_recording && session == m_recordingSession) {
        finishRecording(why.isEmpty() ? warning : why);
    } else if (!warning.isEmpty()) {
        emit liveFailed(warning);
    }
}

void CaptureRecorder::emitStatus() {
    if (!m_recording)
        return;
    const CaptureCounters c = m_engine->counters();
    emit captureStatus(510, QStringLiteral("Captured %1 frames (%2 dropped) %3 sec.")
                                .arg(c.framesCaptured)
                                .arg(c.framesDropped)
                                .arg(double(c.clockFrames) / m_fps, 0, 'f', 3));
}

qint64 CaptureRecorder::framesCaptured() const {
    return m_recording ? m_engine->counters().framesCaptured : m_lastCounters.framesCaptured;
}

qint64 CaptureRecorder::framesDropped() const {
    return m_recording ? m_engine->counters().framesDropped : m_lastCounters.framesDropped;
}

qint64 CaptureRecorder::samplesCaptured() const {
    return m_recording ? m_engine->counters().samplesCaptured : m_lastCounters.samplesCaptured;
}

qint64 CaptureRecorder::captureTime() const {
    const CaptureCounters c = m_recording ? m_engine->counters() : m_lastCounters;
    return c.clockFrames * 1000 / std::max(1, m_fps);
}

} // namespace engine
