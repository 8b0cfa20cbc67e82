#pragma once
// The sound of the player's selection while it plays, through the default audio output. The clip
// is decoded on its own thread; when it arrives, the part the picture has already passed is
// skipped so that sound and picture stay together. No audio output, or a file without sound,
// simply plays silent.
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <memory>

class QObject;

namespace engine {
class AudioClipWorker;
} // namespace engine

namespace adapters {

class AudioOutput;

class PlayerAudio {
public:
    // Clips arrive through `context`'s thread (the GUI thread).
    explicit PlayerAudio(QObject* context);
    ~PlayerAudio();
    PlayerAudio(const PlayerAudio&) = delete;
    PlayerAudio& operator=(const PlayerAudio&) = delete;

    // Plays the sound of `path` between the two times, from the moment of this call.
    void start(const QString& path, double fromSeconds, double toSeconds);
    void stop();

private:
    void onClip(quint64 request, int rate, int channels, const QByteArray& data);

    QThread m_thread;
    std::unique_ptr<engine::AudioClipWorker> m_worker;
    std::unique_ptr<AudioOutput> m_output;
    QElapsedTimer m_clock;
    quint64 m_request = 0;
    bool m_playing = false;
};

} // namespace adapters
