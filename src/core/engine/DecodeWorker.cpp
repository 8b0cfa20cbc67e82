#include "core/engine/DecodeWorker.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <algorithm>

namespace av {

namespace {
constexpr int kAhead = 8; // pictures decoded ahead of a forward-moving position
}

DecodeWorker::DecodeWorker(std::shared_ptr<FrameCache> cache) : m_cache(std::move(cache)) {}

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
    // Emptied here rather than when the worker gets to the open: from now on a picture of the
    // old file that is still on its way is not kept.
    m_cache->clear(generation);
    post();
}

void DecodeWorker::requestFrame(quint64 generation, int frame) {
    QMutexLocker lock(&m_mutex);
    if (generation != m_pending.generation)
        return; // a position for a file that is no longer asked for
    m_cache->setPosition(frame);
    m_pending.frame = frame;
    post();
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
        m_shown = -1;
        const bool ok = !p.path.isEmpty() && m_decoder.open(p.path);
        if (!ok)
            m_decoder.close();
        const QSize size = ok ? m_decoder.frameSize() : QSize();
        m_capacity = m_cache->capacityFor(static_cast<std::size_t>(std::max(1, size.width())) *
                                          static_cast<std::size_t>(std::max(1, size.height())) * 4);
        emit opened(m_generation, ok, ok ? m_decoder.frameCount() : 0,
                    ok ? m_decoder.frameRate().num : 0, ok ? m_decoder.frameRate().den : 1, size);
    }
    if (p.frame >= 0 && p.generation == m_generation && m_decoder.isOpen())
        serve(p.frame);
}

bool DecodeWorker::wanted(int index) const {
    return std::abs(index - m_shown) <= m_capacity / 2;
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
    if (m_shown >= 0 && n != m_shown)
        m_direction = n > m_shown ? 1 : -1;
    m_shown = n;
    m_prefetchSeeks = 0;
    if (m_cache->contains(n)) {
        show(n);
        schedulePrefetch();
        return;
    }
    if (!m_decoder.canContinueTo(n))
        m_decoder.seekToKeyFor(n);
    for (;;) {
        const std::optional<int> idx = m_decoder.decodeNext();
        if (!idx) { // end of the file: the last picture there is stands for what is beyond
            show(n);
            break;
        }
        if (wanted(*idx) || *idx >= n)
            keep(*idx, m_decoder.currentImage());
        if (*idx >= n) {
            if (*idx > n)
                keepGap(n);
            show(n);
            break;
        }
        if (m_stop)
            return;
        // A newer position: go on decoding when it lies further along this run, otherwise
        // give up this one and let the next process() take the new one.
        if (const std::optional<int> next = pendingFrame()) {
            const int t = std::clamp(*next, 0, m_decoder.frameCount() - 1);
            if (t > *idx && m_decoder.keyFrameAtOrBefore(t) <= *idx + 1 && !m_cache->contains(t)) {
                QMutexLocker lock(&m_mutex);
                if (m_pending.frame == *next && !m_pending.open)
                    m_pending.frame = -1;
                lock.unlock();
                m_direction = 1;
                n = t;
                m_shown = t;
            } else {
                return;
            }
        }
    }
    schedulePrefetch();
}

void DecodeWorker::keep(int frame, const QImage& picture) {
    m_cache->put(m_generation, frame, picture);
}

// A frame that has no picture of its own (the decoder went past it) is shown with the picture
// before it; keeping that makes it a cache hit like any other.
void DecodeWorker::keepGap(int frame) {
    if (m_cache->contains(frame))
        return;
    if (auto before = m_cache->atOrBefore(frame))
        keep(frame, before->second);
}

void DecodeWorker::schedulePrefetch() {
    if (m_prefetchPosted || m_stop)
        return;
    m_prefetchPosted = true;
    QMetaObject::invokeMethod(this, &DecodeWorker::prefetchStep, Qt::QueuedConnection);
}

// Decodes one picture towards the nearest frame near the shown one that is not kept yet, so
// that the operator's next step finds it ready. One picture per call keeps new requests first.
void DecodeWorker::prefetchStep() {
    m_prefetchPosted = false;
    if (m_stop || !m_decoder.isOpen() || m_shown < 0)
        return;
    {
        QMutexLocker lock(&m_mutex);
        if (m_posted)
            return; // a request is waiting; it schedules prefetching again when served
    }
    const int last = m_decoder.frameCount() - 1;
    int target = -1;
    if (m_direction > 0) {
        for (int i = m_shown + 1; i <= std::min(last, m_shown + std::min(kAhead, m_capacity / 4));
             ++i)
            if (!m_cache->contains(i)) {
                target = i;
                break;
            }
    } else {
        for (int i = m_shown - 1; i >= std::max(0, m_shown - m_capacity / 2); --i)
            if (!m_cache->contains(i)) {
                target = i;
                break;
            }
    }
    if (target < 0)
        return;
    if (!m_decoder.canContinueTo(target)) {
        // A frame that stays out of reach (damaged data) is not sought again and again.
        if (++m_prefetchSeeks > 3)
            return;
        m_decoder.seekToKeyFor(target);
    }
    const std::optional<int> idx = m_decoder.decodeNext();
    if (!idx)
        return;
    if (wanted(*idx))
        keep(*idx, m_decoder.currentImage());
    if (*idx > target)
        keepGap(target);
    schedulePrefetch();
}

} // namespace av
