#pragma once
// Runs the capture sessions: the live picture alone, or a recording to a file (which shows the
// live picture too). Keeps the recording's counters, reports them every kStatusIntervalMs while
// it runs (CaptureStatus 510) and its end (301), and ends it with a warning when the device or
// the disk fails. Live pictures and the sound heard (Listen) come out as values.
//
// All methods run on the GUI thread; signals are emitted on it.
#include "core/engine/CaptureEngine.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

namespace engine {

class CaptureRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kStatusIntervalMs = 250;

    explicit CaptureRecorder(QObject* parent = nullptr);
    ~CaptureRecorder() override;

    // A session with the live picture alone (config without a writer); replaces one running.
    // `listen`: the sound goes to heard() too.
    void startLive(SessionConfig config, bool listen);
    // Stops the session running, if any, without the end of a recording (see stopRecording).
    void stopSession();
    bool running() const { return m_engine->running(); }

    // A recording: config with its writer, to the file `path` (named in the messages) at `fps`.
    void startRecording(SessionConfig config, bool listen, const QString& path, int fps);
    // StopCapture: ends the recording (CaptureStatus 301); does nothing while none runs.
    void stopRecording();
    // Ends the recording because `why` (a device went away): a warning, then 301.
    void endRecording(const QString& why);
    bool recording() const { return m_recording; }

    // The recording's counters: live while it runs, then those of its end.
    qint64 framesCaptured() const;
    qint64 framesDropped() const;
    qint64 samplesCaptured() const;
    qint64 captureTime() const; // milliseconds on the frame clock

    // Size of the live pictures (fitted inside, aspect kept); empty: none are made.
    void setPreviewSize(QSize size) { m_engine->setPreviewSize(size); }

signals:
    void captureStatus(int code, const QString& text);
    void warningMessage(int code, const QString& text);
    // A live picture.
    void previewPicture(const QImage& picture);
    // Listen: a session that plays its sound started (signed 16-bit at this rate and channels),
    // or one without started or the session stopped; heard() brings the sound.
    void listenStarted(int rate, int channels);
    void listenStopped();
    void heard(const QByteArray& pcm);
    // The recording ended (after CaptureStatus 301): the live picture may start again. `failed`:
    // it was ended by a failure, whose warning follows.
    void recordingFinished(bool failed);
    // The live picture (no recording) ended by a failure of its source, `why`.
    void liveFailed(const QString& why);

private:
    void addListener(SessionConfig& config, bool listen);
    void finishRecording(const QString& warning);
    void onSessionEnded(int session, const QString& warning);
    void emitStatus();

    std::unique_ptr<CaptureEngine> m_engine;
    bool m_recording = false;
    int m_recordingSession = 0;
    QString m_path;
    int m_fps = 30;
    // What the recording's writer has put in the file (it outlives the writer).
    std::shared_ptr<const std::atomic<int64_t>> m_framesInFile;
    CaptureCounters m_lastCounters;
    QTimer m_statusTimer;
};

} // namespace engine
