#pragma once
// The frame-exact player without its screen side: the open file and its generations, the
// position asked for and the frame shown, the selection and the play clock, and the callbacks
// that wait for the picture of a position. Decoding runs on a worker thread (DecodeWorker) that
// fills the frame cache this engine shares with it; a position whose picture is kept is shown
// at once, any other when the worker's picture arrives, so the caller never waits for a decoder.
// The screen side (AvPlayer) draws what frameShown announces and plays the sound asked for.
//
// All methods run on the GUI thread. Signals are emitted on the GUI thread.
#include "core/engine/FrameCache.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace engine {

class DecodeWorker;

class PlayerEngine : public QObject {
    Q_OBJECT
public:
    // Milliseconds of a steady clock, read by the play clock.
    using Clock = std::function<qint64()>;
    // How often the play clock looks for the frame due, in milliseconds.
    static constexpr int kTickMs = 5;

    explicit PlayerEngine(QObject* parent = nullptr);
    // With the clock playback runs by (a test gives one it sets itself).
    explicit PlayerEngine(Clock clock, QObject* parent = nullptr);
    ~PlayerEngine() override;

    // Opens the file and goes to frame 0; an empty path closes it. Pictures and answers for the
    // file open before are dropped from now on, however late they arrive.
    void open(const QString& path);
    const QString& path() const { return m_path; }
    // Frames of the open file; 0 when nothing is open, -1 while the file is being opened.
    int frameCount() const { return m_frameCount; }
    // 0 while the rate is not known.
    double framesPerSecond() const;

    // The frame on the screen (the frame asked for while nothing is shown yet).
    double position() const;
    // Stops playback and asks for the frame (rounded half to even, clamped to the file once its
    // length is known). Ignored while nothing is open.
    void setPosition(double frame);
    // The frame last asked for (by the program, the operator or the play clock).
    int requestedFrame() const { return m_position; }
    // -1 while no picture of the open file has been shown.
    int shownFrame() const { return m_shownFrame; }
    const QImage& shownPicture() const { return m_picture; }

    // Runs `then` once the picture of the position last asked for is shown: at once when it
    // already is or nothing is open, else when it arrives (or the file turns out unreadable).
    void whenShown(std::function<void()> then);

    // The selection PlayerPlay plays, in frames.
    void setSelectionStart(double frame) { m_selectionStart = frame; }
    void setSelectionEnd(double frame) { m_selectionEnd = frame; }
    // Plays the selection at normal speed, from the start frame to the end frame (at least the
    // start frame), and returns at once. The frame due is the start plus the time since play()
    // in frames, counted in integers from the file's rate so that no drift builds up.
    void play();
    // Stops playback (and its sound) where it is.
    void stop();
    bool isPlaying() const { return m_playTimer.isActive(); }
    // The play clock's step, every kTickMs while playing: moves to the frame due by the clock.
    void tick();

    // Decoding ahead of steps far from the position is for a player the operator sees: a hidden
    // one (the operator recording the next run) leaves the machine to the recording. Off until
    // the player is first seen.
    void setSeen(bool seen);
    // The window of decoded pictures shared with the decode worker.
    const FrameCache& frameCache() const { return *m_cache; }

signals:
    // The file was opened (ok) or could not be opened.
    void fileOpened(bool ok);
    // A picture arrived on the screen; `frame` is the frame shownPicture() shows.
    void frameShown(int frame);
    // The position asked for was set (perhaps to the same frame).
    void positionRequested(int frame);
    // The file's length became known or changed, or playback started or ended.
    void stateChanged();
    // The sound of the frames being played, from the start of the first to the end of the last.
    void soundStarted(const QString& path, double fromSeconds, double toSeconds);
    // Playback was stopped (or a file opened, or a position set): the sound stops too.
    void soundStopped();

private:
    void onOpened(quint64 generation, bool ok, int frameCount, int rateNum, int rateDen,
                  QSize size);
    void onFrameReady(quint64 generation, int frame, QImage picture);
    void show(int frame, const QImage& picture);
    void requestFrame(int frame);
    int clampFrame(int frame) const;
    void runWhenShown();

    Clock m_clock;
    QThread m_thread;
    // The decode worker fills the cache; a step to a kept frame is shown from it at once.
    std::shared_ptr<FrameCache> m_cache;
    std::unique_ptr<DecodeWorker> m_worker;

    QString m_path;
    quint64 m_generation = 0;
    int m_frameCount = 0;
    int m_rateNum = 0;
    int m_rateDen = 1;
    int m_position = 0;
    int m_shownFrame = -1;
    QImage m_picture;
    std::vector<std::function<void()>> m_whenShown;
    double m_selectionStart = 0;
    double m_selectionEnd = 0;

    QTimer m_playTimer;
    qint64 m_playStart = 0; // m_clock() when play() started
    int m_playFrom = 0;
    int m_playTo = 0;
};

} // namespace engine
