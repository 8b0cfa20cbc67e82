#include "core/engine/FrameCache.h"

#include <QMutexLocker>
#include <algorithm>
#include <cstdlib>

namespace engine {

FrameCache::FrameCache(std::size_t budgetBytes)
    : m_budget(budgetBytes), m_pictures(kInFlightBytes), m_decoderBuffers(budgetBytes),
      m_convert(m_pictures) {}

namespace {
std::size_t bytesOf(const QImage& img) {
    return static_cast<std::size_t>(img.sizeInBytes());
}
long long distance(int a, int b) {
    return std::llabs(static_cast<long long>(a) - b);
}
} // namespace

void FrameCache::clear(quint64 generation) {
    QMutexLocker lock(&m_mutex);
    m_frames.clear();
    m_bytes = 0;
    m_generation = generation;
    m_position = 0;
    m_direction = 0;
}

void FrameCache::setPosition(int frame, int direction) {
    QMutexLocker lock(&m_mutex);
    m_position = frame;
    m_direction = direction > 0 ? 1 : direction < 0 ? -1 : 0;
}

long long FrameCache::retentionCost(int index, int position, int direction) {
    const long long d = distance(index, position);
    const bool passed = (direction > 0 && index < position) || (direction < 0 && index > position);
    return passed ? d * kPassedWeight : d;
}

bool FrameCache::worthKeeping(int index, std::size_t bytes) const {
    if (bytes > m_budget)
        return false;
    QMutexLocker lock(&m_mutex);
    auto it = m_frames.find(index);
    const std::size_t replaced = it != m_frames.end() ? it->second.bytes : 0;
    if (m_bytes - replaced + bytes <= limit())
        return true;
    if (m_frames.empty())
        return false;
    // The costliest pictures are at the two ends of the ordered map.
    const long long worst = std::max(cost(m_frames.begin()->first), cost(m_frames.rbegin()->first));
    return cost(index) < worst;
}

int FrameCache::position() const {
    QMutexLocker lock(&m_mutex);
    return m_position;
}

void FrameCache::put(quint64 generation, int index, const QImage& picture) {
    if (picture.isNull())
        return;
    Entry e;
    e.image = picture;
    e.bytes = bytesOf(picture);
    putEntry(generation, index, std::move(e));
}

void FrameCache::put(quint64 generation, int index, const AVFrame* picture) {
    if (!picture)
        return;
    Entry e;
    e.frame = makeFrame();
    if (!e.frame || av_frame_ref(e.frame.get(), picture) < 0)
        return;
    e.bytes = frameBytes(picture);
    putEntry(generation, index, std::move(e));
}

void FrameCache::putEntry(quint64 generation, int index, Entry entry) {
    if (entry.bytes > m_budget)
        return;
    QMutexLocker lock(&m_mutex);
    if (generation != m_generation)
        return;
    auto it = m_frames.find(index);
    if (it != m_frames.end()) {
        m_bytes -= it->second.bytes;
        m_frames.erase(it);
    }
    m_bytes += entry.bytes;
    m_frames.emplace(index, std::move(entry));
    evict();
}

bool FrameCache::putNearestBefore(quint64 generation, int index) {
    Entry copy;
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_frames.upper_bound(index);
        if (it == m_frames.begin())
            return false;
        --it;
        if (it->first == index)
            return true;
        copy.image = it->second.image;
        copy.bytes = it->second.bytes;
        if (it->second.frame) {
            copy.frame = makeFrame();
            if (!copy.frame || av_frame_ref(copy.frame.get(), it->second.frame.get()) < 0)
                return false;
        }
    }
    putEntry(generation, index, std::move(copy));
    return true;
}

void FrameCache::evict() {
    while (m_bytes > limit() && !m_frames.empty()) {
        // The farthest picture is at one end of the ordered map.
        auto first = m_frames.begin();
        auto last = std::prev(m_frames.end());
        auto victim = cost(first->first) >= cost(last->first) ? first : last;
        m_bytes -= victim->second.bytes;
        m_frames.erase(victim);
    }
}

namespace {
FramePtr shared(const FramePtr& f) {
    if (!f)
        return nullptr;
    FramePtr ref = makeFrame();
    if (ref && av_frame_ref(ref.get(), f.get()) < 0)
        ref.reset();
    return ref;
}
} // namespace

QImage FrameCache::picture(const QImage& image, const FramePtr& compact) const {
    if (!compact)
        return image;
    QMutexLocker lock(&m_convertMutex);
    return m_convert.convert(compact.get());
}

std::optional<QImage> FrameCache::get(int index) {
    QImage image;
    FramePtr compact;
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_frames.find(index);
        if (it == m_frames.end()) {
            ++m_counters.misses;
            return std::nullopt;
        }
        ++m_counters.hits;
        image = it->second.image;
        compact = shared(it->second.frame);
    }
    QImage out = picture(image, compact);
    if (out.isNull())
        return std::nullopt;
    return out;
}

bool FrameCache::contains(int index) const {
    QMutexLocker lock(&m_mutex);
    return m_frames.count(index) != 0;
}

std::optional<std::pair<int, QImage>> FrameCache::atOrBefore(int index) const {
    int at = -1;
    QImage image;
    FramePtr compact;
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_frames.upper_bound(index);
        if (it == m_frames.begin())
            return std::nullopt;
        --it;
        at = it->first;
        image = it->second.image;
        compact = shared(it->second.frame);
    }
    QImage out = picture(image, compact);
    if (out.isNull())
        return std::nullopt;
    return std::make_pair(at, out);
}

void FrameCache::setReserve(std::size_t bytes) {
    QMutexLocker lock(&m_mutex);
    m_reserve = std::min(bytes, m_budget / 2);
    evict();
}

std::size_t FrameCache::reserve() const {
    QMutexLocker lock(&m_mutex);
    return m_reserve;
}

std::size_t FrameCache::bytes() const {
    QMutexLocker lock(&m_mutex);
    return m_bytes;
}

int FrameCache::size() const {
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_frames.size());
}

FrameCache::Counters FrameCache::counters() const {
    QMutexLocker lock(&m_mutex);
    return m_counters;
}

int FrameCache::capacityFor(std::size_t bytesPerPicture) const {
    if (bytesPerPicture == 0)
        return 2;
    const std::size_t n = (m_budget - reserve()) / bytesPerPicture;
    return n < 2 ? 2 : static_cast<int>(n > 100000 ? 100000 : n);
}

int FrameCache::capacityFor(const QImage& sample) const {
    return capacityFor(bytesOf(sample));
}

} // namespace engine
