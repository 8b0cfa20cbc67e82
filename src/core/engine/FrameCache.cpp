#include "core/engine/FrameCache.h"

#include <cstdlib>

namespace av {

namespace {
std::size_t bytesOf(const QImage& img) {
    return static_cast<std::size_t>(img.sizeInBytes());
}
} // namespace

void FrameCache::put(int index, const QImage& picture, int around) {
    if (picture.isNull())
        return;
    const std::size_t size = bytesOf(picture);
    if (size > m_budget)
        return;
    auto it = m_frames.find(index);
    if (it != m_frames.end()) {
        m_bytes -= bytesOf(it->second);
        m_frames.erase(it);
    }
    m_frames.emplace(index, picture);
    m_bytes += size;
    evictAround(around);
}

void FrameCache::evictAround(int around) {
    while (m_bytes > m_budget && !m_frames.empty()) {
        // The farthest picture is at one end of the ordered map.
        auto first = m_frames.begin();
        auto last = std::prev(m_frames.end());
        auto victim =
            std::abs(first->first - around) >= std::abs(last->first - around) ? first : last;
        m_bytes -= bytesOf(victim->second);
        m_frames.erase(victim);
    }
}

std::optional<QImage> FrameCache::get(int index) const {
    auto it = m_frames.find(index);
    if (it == m_frames.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::pair<int, QImage>> FrameCache::atOrBefore(int index) const {
    auto it = m_frames.upper_bound(index);
    if (it == m_frames.begin())
        return std::nullopt;
    --it;
    return std::make_pair(it->first, it->second);
}

void FrameCache::clear() {
    m_frames.clear();
    m_bytes = 0;
}

int FrameCache::capacityFor(std::size_t bytesPerPicture) const {
    if (bytesPerPicture == 0)
        return 2;
    const std::size_t n = m_budget / bytesPerPicture;
    return n < 2 ? 2 : static_cast<int>(n > 100000 ? 100000 : n);
}

int FrameCache::capacityFor(const QImage& sample) const {
    return capacityFor(bytesOf(sample));
}

} // namespace av
