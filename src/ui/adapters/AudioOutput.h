#pragma once
// The default sound output, for signed 16-bit sound: fed piece by piece as it comes (the
// capture control's Listen) or given a whole clip to play (the player). Silent when the machine
// has no output or the output cannot take the format.
#include <QAudioDevice>
#include <QBuffer>
#include <QByteArray>
#include <memory>

class QAudioSink;
class QIODevice;

namespace adapters {

class AudioOutput {
public:
    // The default output of this moment.
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    bool available() const { return !m_device.isNull(); }
    // The output's own rate (48000 when it names none) and channel count (1 or 2).
    int preferredRate() const;
    int preferredChannels() const;

    // Fed: opens the output for sound at `rate` and `channels`; then write() the sound as it
    // comes. What does not fit is left out: late sound is no use.
    bool start(int rate, int channels);
    void write(const QByteArray& pcm);
    // A clip: plays `pcm` from its start.
    bool play(const QByteArray& pcm, int rate, int channels);
    void stop();

private:
    bool open(int rate, int channels);

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // fed: owned by m_sink
    QByteArray m_clip;
    QBuffer m_buffer; // a clip: reads m_clip
};

} // namespace adapters
