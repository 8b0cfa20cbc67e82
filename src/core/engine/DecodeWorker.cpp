#include "core/engine/DecodeWorker.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <algorithm>

namespace engine {

namespace {
constexpr int kMaxPrefetchSeeks = 8; // per position: a frame out of reach is not sought forever
// The pictures before nearby key frames (KeyTails): as many as fit in this many bytes (ten
// 1080p pictures: one before each key frame of a run of two minutes with 250-frame groups at
// 25 fps, or three before each of a 40 s run), at least two.
constexpr std::size_t kTailBytes = 40u << 20;

// Bytes of a picture as the decoder holds it: 4:2:0 with the decoder's padding (2 bytes a pixel
// is an upper bound).
std::size_t decodedBytes(QSize size) {
    return static_cast<std::size_t>(std::max(0, size.width())) *
           static_cast<std::size_t>(std::max(0, size.height())) * 2;
}

// Converted pictures alive at a time: the one shown and the one on its way to the screen.
constexpr std::size_t kShownPictures = 2;

std::size_t convertedBytes(QSize size) {
    return static_cast<std::size_t>(std::max(0, size.width())) *
           static_cast<std::size_t>(std::max(0, size.height())) * 4;
}

std::size_t tailLimit(QSize size) {
    return std::max<std::size_t>(2, kTailBytes / std::max<std::size_t>(1, decodedBytes(size)));
}

// What the decoder of a file holds itself, in bytes: its reference frames (up to 16 for H.264)
// and a frame in flight per thread; a codec that codes every frame on its own holds no
// reference frames.
std::size_t decoderBytes(const QString& codec, QSize size) {
    const AVCodecDescriptor* d = avcodec_descriptor_get_by_name(codec.toLatin1().constData());
    const bool intraOnly = d && (d->props & AV_CODEC_PROP_INTRA_ONLY);
    return (intraOnly ? 4 : 20) * decodedBytes(size);
}
} // namespace

int DecodeWorker::stepDirection(int from, int to) {
    if (from < 0 || to == from || std::abs(to - from) > 3)
        return 0;
    return to > from ? 1 : -1;
}

DecodeWorker::DecodeWorker(std::shared_ptr<FrameCache> cache) : m_cache(std::move(cache)) {
    m_decoder.setPicturePool(m_cache->pictures());
    m_decoder.setDecoderPool(m_cache->decoderBuffers());
}

void DecodeWorker::post() {
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, &DecodeWorker::process, Qt::QueuedConnection);
}

void DecodeWorker::requestOpen(quint64 generation, const QString& path) {
    QMutexLocker lock(&m_mutex);
    m_pending.open = true;
    m_pending.path = path;
    m_pending.frame = 0;
    m_pending.generation = generation;
    m_asked = 0;
    // Emptied here rather than when the worker gets to the open: from now on a picture of the
    // old file that is still on its way is not kept.
    m_cache->clear(generation);
    post();
}

void DecodeWorker::requestFrame(quint64 generation, int frame) {
    QMutexLocker lock(&m_mutex);
    if (generation != m_pending.generation)
        return; // a position for a file that is no longer asked for
    m_cache->setPosition(frame, stepDirection(m_asked, frame));
    m_asked = frame;
    m_pending.frame = frame;
    post();
}

void DecodeWorker::allowKeyTails(bool allowed) {
    if (m_tailsAllowed.exchange(allowed) == allowed || !allowed)
        return;
    QMetaObject::invokeMethod(this, &DecodeWorker::schedulePrefetch, Qt::QueuedConnection);
}

std::optional<int> DecodeWorker::pendingFrame() {
    QMutexLocker lock(&m_mutex);
    if (m_pending.open || m_pending.frame < 0)
        return std::nullopt;
    return m_pending.frame;
}

void DecodeWorker::process() {
    Pending p;
    {
        QMutexLocker lock(&m_mutex);
        p = m_pending;
        m_pending.open = false;
        m_pending.path.clear();
        m_pending.frame = -1;
        m_posted = false;
    }
    if (m_stop)
        return;
    if (p.open) {
        m_generation = p.generation;
        m_tails.reset({}, 0); // the old file's pictures go before the new file is opened
        m_shown = -1;
        m_direction = 0;
        m_plan.reset();
        const bool ok = !p.path.isEmpty() && m_decoder.open(p.path);
        if (!ok)
            m_decoder.close();
        const QSize size = ok ? m_decoder.frameSize() : QSize();
        // Until the first picture tells its true size.
        m_pictureBytes = std::max<std::size_t>(1, decodedBytes(size));
        m_pictureBytesKnown = false;
        m_tails.reset(ok ? m_decoder.keyFrames() : std::vector<int>(), tailLimit(size));
        m_cache->setReserve(ok ? decoderBytes(m_decoder.codecName(), size) +
                                     m_tails.capacity() * decodedBytes(size) +
                                     kShownPictures * convertedBytes(size)
                               : 0);
        m_capacity = m_cache->capacityFor(m_pictureBytes);
        emit opened(m_generation, ok, ok ? m_decoder.frameCount() : 0,
                    ok ? m_decoder.frameRate().num : 0, ok ? m_decoder.frameRate().den : 1, size);
    }
    if (p.frame >= 0 && p.generation == m_generation && m_decoder.isOpen())
        serve(p.frame);
}

// A decoded picture is converted and kept when it lies in the window around the shown frame (or
// is the frame prefetching aims at) and the cache would keep it.
bool DecodeWorker::wanted(int index) const {
    const PrefetchWindow w = prefetchWindow(m_direction, m_capacity);
    const bool inWindow = (index >= m_shown - w.behind && index <= m_shown + w.ahead) ||
                          (index == m_prefetchTarget && !m_sweeping);
    return inWindow && !m_cache->contains(index) && m_cache->worthKeeping(index, m_pictureBytes);
}

// The lowest frame a decode towards `target` keeps: the window behind the shown frame. Pictures
// before it need not be decoded where nothing refers to them.
int DecodeWorker::firstWanted(int target) const {
    const PrefetchWindow w = prefetchWindow(m_direction, m_capacity);
    return std::max(0, std::min(target, m_shown - w.behind));
}

void DecodeWorker::show(int frame) {
    QImage picture;
    if (auto hit = m_cache->atOrBefore(frame))
        picture = hit->second;
    else if (m_decoder.lastIndex() >= 0 && m_decoder.lastIndex() <= frame)
        picture = m_decoder.currentImage();
    emit frameReady(m_generation, frame, picture);
}

void DecodeWorker::serve(int frame) {
    int n = std::clamp(frame, 0, m_decoder.frameCount() - 1);
    if (n != m_shown)
        m_direction = stepDirection(m_shown, n);
    m_shown = n;
    m_prefetchSeeks = 0;
    m_prefetchTarget = -1;
    if (serveTail(n))
        return;
    if (m_cache->contains(n)) {
        show(n);
        schedulePrefetch();
        return;
    }
    m_decoder.headFor(n, firstWanted(n));
    for (;;) {
        bool passed = false;
        const std::optional<int> idx = decodeNext(passed);
        if (idx)
            m_tails.offer(*idx, m_decoder.currentFrame(), m_shown);
        if (!idx && !passed) { // end of the file: the last picture there stands for the rest
            show(n);
            break;
        }
        if (idx && *idx >= n) {
            keep(*idx, m_decoder.currentFrame());
            if (*idx > n) // frame n has no picture of its own: the one before stands for it
                keepGap(n);
            show(n);
            break;
        }
        if (idx && wanted(*idx))
            keep(*idx, m_decoder.currentFrame());
        if (m_stop)
            return;
        // A newer position: go on decoding when it lies further along this run, otherwise
        // give up this one and let the next process() take the new one.
        if (const std::optional<int> next = pendingFrame()) {
            const int t = std::clamp(*next, 0, m_decoder.frameCount() - 1);
            if (m_decoder.canContinueTo(t) && !m_cache->contains(t)) {
                QMutexLocker lock(&m_mutex);
                if (m_pending.frame == *next && !m_pending.open)
                    m_pending.frame = -1;
                lock.unlock();
                // A held "<" while the frame asked for is still ahead of the decoder moves back:
                // the frames behind the new one are the ones to keep.
                m_direction = t < n ? -1 : 1;
                n = t;
                m_shown = t;
                m_decoder.headFor(t, firstWanted(t));
            } else {
                return;
            }
        }
    }
    schedulePrefetch();
}

// Pictures are kept as the decoder gave them (shared, not copied) and converted when shown.
void DecodeWorker::keep(int frame, const AVFrame* picture) {
    if (!picture)
        return;
    if (!m_pictureBytesKnown) { // the decoder's true size, padding included
        m_pictureBytesKnown = true;
        m_pictureBytes = std::max<std::size_t>(1, frameBytes(picture));
        m_capacity = m_cache->capacityFor(m_pictureBytes);
    }
    m_cache->put(m_generation, frame, picture);
}

// A back step onto a picture kept before a key frame: converted, kept in the cache and shown
// without decoding anything.
bool DecodeWorker::serveTail(int frame) {
    if (m_cache->contains(frame) || !keepTail(frame))
        return false;
    show(frame);
    schedulePrefetch();
    return true;
}

// The picture of `frame` kept before a key frame, kept in the cache too; false when there is
// none.
bool DecodeWorker::keepTail(int frame) {
    const AVFrame* tail = m_tails.find(frame);
    if (!tail)
        return false;
    keep(frame, tail);
    return m_cache->contains(frame);
}

std::optional<int> DecodeWorker::decodeNext(bool& passed) {
    const std::optional<int> idx = m_decoder.decodeNextOrPass(passed);
    m_decoded = m_decoder.picturesDecoded();
    return idx;
}

// A frame that has no picture of its own (the decoder went past it) is shown with the picture
// before it; keeping that makes it a cache hit like any other.
void DecodeWorker::keepGap(int frame) {
    m_cache->putNearestBefore(m_generation, frame);
}

void DecodeWorker::schedulePrefetch() {
    if (m_prefetchPosted || m_stop)
        return;
    m_prefetchPosted = true;
    QMetaObject::invokeMethod(this, &DecodeWorker::prefetchStep, Qt::QueuedConnection);
}

// True when the decoder can go on to the first frame ahead of the shown one that is not kept and
// would, once moved away, have to decode more than a few pictures from that frame's key frame to
// get back there.
bool DecodeWorker::sweepWouldStrand() const {
    constexpr int kCheapReturn = 30; // pictures: about 70 ms at 1080p
    int next = m_shown + 1;
    while (next < m_decoder.frameCount() && m_cache->contains(next))
        ++next;
    return next < m_decoder.frameCount() && m_decoder.canContinueTo(next) &&
           next - m_decoder.keyFrameAtOrBefore(next) > kCheapReturn;
}

// Decodes one picture towards the next frame the plan asks for, so that the operator's next step
// finds it ready. One picture per call keeps new requests first: a request waiting ends it.
void DecodeWorker::prefetchStep() {
    m_prefetchPosted = false;
    if (m_stop || !m_decoder.isOpen() || m_shown < 0)
        return;
    {
        QMutexLocker lock(&m_mutex);
        if (m_posted)
            return; // a request is waiting; it schedules prefetching again when served
    }
    int target = m_plan.next(m_shown, m_direction, m_capacity, m_decoder.frameCount() - 1,
                             [this](int i) { return m_cache->contains(i); });
    if (target >= 0 && wanted(target) && keepTail(target)) {
        schedulePrefetch();
        return;
    }
    const bool sweeping = target < 0;
    // The window is ready: the picture before a nearby key frame. Not while the operator steps
    // back: the window behind takes the steps across the next key frame, and a sweep (a group's
    // decoding) cut short by each of its batches would start again from its key frame each time.
    // Nor while the decoder is on its way through the shown frame's group far from its key frame:
    // a sweep takes it away, and the next steps forward would decode the group again.
    if (sweeping && m_tailsAllowed && m_direction >= 0 && !sweepWouldStrand())
        target = m_tails.next(m_shown, [this](int i) { return m_cache->contains(i); });
    if (target < 0)
        return;
    const bool reachable = m_decoder.canContinueTo(target);
    if (target != m_prefetchTarget || sweeping != m_sweeping || !reachable) {
        // Each tail may cost a seek of its own.
        const int seeks = kMaxPrefetchSeeks + static_cast<int>(m_tails.capacity());
        if (!reachable && ++m_prefetchSeeks > seeks)
            return;
        // Only the pictures kept before the key frame are wanted from a sweep: everything
        // before them may be passed.
        m_decoder.headFor(target, sweeping ? std::max(0, target - m_tails.depth() + 1)
                                           : firstWanted(target));
        m_prefetchTarget = target;
        m_sweeping = sweeping;
    }
    bool passed = false;
    const std::optional<int> idx = decodeNext(passed);
    if (!idx && !passed) {
        if (sweeping)
            m_tails.giveUp(target);
        else
            keepGap(target); // beyond the last picture: the last one stands for it
        return;
    }
    ++m_prefetched;
    if (passed) { // a picture on the way that is not kept
        schedulePrefetch();
        return;
    }
    m_tails.offer(*idx, m_decoder.currentFrame(), m_shown);
    if (sweeping && *idx >= target && !m_tails.find(target))
        m_tails.giveUp(target); // the decoder went past it: the frame has no picture of its own
    if (wanted(*idx))
        keep(*idx, m_decoder.currentFrame());
    if (*idx > target && !sweeping)
        keepGap(target);
    schedulePrefetch();
}

} // namespace engine
