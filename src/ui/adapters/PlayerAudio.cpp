#include "ui/adapters/PlayerAudio.h"

#include "core/engine/AudioClip.h"
#include "ui/adapters/AudioOutput.h"

namespace adapters {

PlayerAudio::PlayerAudio(QObject* context) {
    m_worker = std::make_unique<engine::AudioClipWorker>();
    m_worker->moveToThread(&m_thread);
    QObject::connect(m_worker.get(), &engine::AudioClipWorker::clipReady, context,
                     [this](quint64 request, int rate, int channels, QByteArray data) {
                         onClip(request, rate, channels, data);
                     });
    m_thread.setObjectName(QStringLiteral("PlayerAudio"));
    m_thread.start();
}

PlayerAudio::~PlayerAudio() {
    stop();
    m_thread.quit();
    m_thread.wait();
}

void PlayerAudio::start(const QString& path, double fromSeconds, double toSeconds) {
    stop();
    m_output = std::make_unique<AudioOutput>();
    if (!m_output->available())
        return;
    const int rate = m_output->preferredRate();
    const int channels = m_output->preferredChannels();
    const quint64 request = ++m_request;
    m_playing = true;
    m_clock.start();
    engine::AudioClipWorker* worker = m_worker.get();
    QMetaObject::invokeMethod(
        worker, [=] { worker->decode(request, path, fromSeconds, toSeconds, rate, channels); },
        Qt::QueuedConnection);
}

void PlayerAudio::stop() {
    m_playing = false;
    ++m_request;
    if (m_output)
        m_output->stop();
}

void PlayerAudio::onClip(quint64 request, int rate, int channels, const QByteArray& data) {
    if (request != m_request || !m_playing || rate <= 0 || data.isEmpty())
        return;
    const qint64 frameBytes = 2LL * channels;
    const qint64 passed = m_clock.elapsed() * rate / 1000 * frameBytes;
    if (passed >= data.size() || !m_output)
        return;
    m_output->play(data.mid(passed), rate, channels);
}

} // namespace adapters
