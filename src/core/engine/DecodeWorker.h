#pragma once
// The player's decoding, on its own thread. The user-interface thread asks for a file and for
// positions; a burst of positions coalesces into the last one asked for, so a held arrow key
// never queues work. Pictures come back as QImage through queued signals. While idle the
// worker decodes, into the frame cache it shares with the user-interface thread, the frames the
// next steps in either direction need (PrefetchPlan), including the end of the previous group
// of pictures when the shown frame is at or near a key frame. Prefetching goes one picture at a
// time between requests, so any request is served after at most one more picture. On the way to
// a frame, the pictures no other picture refers to are passed over where the codec allows it
// (FrameDecoder::seekToKeyFor). Pictures are kept as the decoder gave them (shared, not copied)
// and converted only to be shown. With nothing else to do, and while allowed, it decodes the last
// pictures before each nearby key frame of a long group (KeyTails), so that a back step from a key
// frame is not a whole group's decoding; not while the operator steps back, when the window behind
// takes the steps across a key frame, nor while the decoder's place in a long group is worth
// keeping for the steps forward.
#include "core/engine/FrameCache.h"
#include "core/engine/FrameDecoder.h"
#include "core/engine/KeyTails.h"
#include "core/engine/PrefetchPlan.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <utility>

namespace engine {

class DecodeWorker : public QObject {
    Q_OBJECT
public:
    explicit DecodeWorker(std::shared_ptr<FrameCache> cache = std::make_shared<FrameCache>());

    // The window the worker fills; the caller may look up pictures in it on any thread.
    const std::shared_ptr<FrameCache>& cache() const { return m_cache; }

    // Any thread. Each open starts a new generation; results carry the generation they were
    // made for, so a caller drops pictures of a file it no longer shows. Opening empties the
    // cache for the new generation at once and asks for frame 0. An empty path closes the file.
    void requestOpen(quint64 generation, const QString& path);
    // Any thread. Frame positions beyond the file are clamped to it. The cache keeps its
    // pictures around `frame` from now on.
    void requestFrame(quint64 generation, int frame);
    // Any thread. Decoding the pictures before key frames away from the shown one is for an
    // operator who sees the player: a hidden player (the operator recording the next run) leaves
    // the machine to the recording. Allowed when the worker is made.
    void allowKeyTails(bool allowed);
    // Any thread: abandons work at the next frame, before the thread is stopped.
    void stop() { m_stop = true; }
    // Any thread: pictures decoded by prefetching since the worker was made (benchmarks, tests).
    quint64 prefetched() const { return m_prefetched; }
    // Any thread: pictures the decoder has given since the worker was made, for requests and
    // prefetching alike (tests).
    quint64 decoded() const { return m_decoded; }
    // The way a player moves from frame `from` to frame `to`: +1 or -1 for a step (a held arrow
    // key may skip a frame or two), 0 for a jump.
    static int stepDirection(int from, int to);

signals:
    // ok false: the file could not be opened (the player stays empty).
    void opened(quint64 generation, bool ok, int frameCount, int rateNum, int rateDen, QSize size);
    // `frame` is the position served (the request clamped to the file); the picture is that
    // frame's, or the nearest one before it when the frame has no picture of its own.
    void frameReady(quint64 generation, int frame, QImage picture);

private:
    struct Pending {
        bool open = false;
        QString path;
        int frame = -1;
        quint64 generation = 0;
    };
    // Worker thread.
    void process();
    void serve(int frame);
    void prefetchStep();
    void schedulePrefetch();
    void show(int frame);
    void keepGap(int frame);
    bool serveTail(int frame);
    bool keepTail(int frame);
    bool sweepWouldStrand() const;
    std::optional<int> decodeNext(bool& passed);
    void keep(int frame, const AVFrame* picture);
    std::optional<int> pendingFrame(); // a newer position asked for, without an open
    bool wanted(int index) const;
    int firstWanted(int target) const;
    void post(); // caller holds m_mutex

    QMutex m_mutex;
    Pending m_pending;
    bool m_posted = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_tailsAllowed{true};
    std::atomic<quint64> m_prefetched{0};
    std::atomic<quint64> m_decoded{0};
    int m_asked = -1; // the last position asked for, under m_mutex

    const std::shared_ptr<FrameCache> m_cache;

    // Worker thread only.
    FrameDecoder m_decoder;
    quint64 m_generation = 0;
    int m_shown = -1;
    int m_direction = 0;
    int m_capacity = 2;
    std::size_t m_pictureBytes = 0; // a picture as the decoder gives it
    bool m_pictureBytesKnown = false;
    bool m_prefetchPosted = false;
    int m_prefetchSeeks = 0;
    int m_prefetchTarget = -1;
    PrefetchPlan m_plan;
    KeyTails m_tails;
    bool m_sweeping = false; // m_prefetchTarget is a key frame's tail, not a frame of the window
};

} // namespace engine
