#pragma once
// The sound of a stretch of a recording, decoded to 16-bit interleaved PCM for the player's
// audio output while it plays a selection.
#include <QByteArray>
#include <QObject>
#include <QString>

namespace engine {

struct PcmClip {
    int sampleRate = 0;
    int channels = 0;
    QByteArray data; // signed 16-bit samples, channels interleaved
};

// Decodes the audio between two times of the file (seconds from its start) at the given rate
// and channel count (1 or 2). A file without audio, or audio that cannot be decoded, gives an
// empty clip: the player then plays without sound.
PcmClip decodeAudioClip(const QString& path, double fromSeconds, double toSeconds, int sampleRate,
                        int channels);

// Decodes clips on the thread it lives on, so the user interface never waits for it.
class AudioClipWorker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Worker thread (invoked queued).
    void decode(quint64 request, const QString& path, double fromSeconds, double toSeconds,
                int sampleRate, int channels);

signals:
    void clipReady(quint64 request, int sampleRate, int channels, QByteArray data);
};

} // namespace engine
