#include "core/engine/PrefetchPlan.h"

#include <algorithm>

namespace engine {

PrefetchWindow prefetchWindow(int direction, int capacity) {
    const int c = std::max(2, capacity);
    PrefetchWindow w;
    if (direction > 0) {
        w.ahead = std::clamp(c / 4, 1, 8);
        w.behind = 1;
    } else if (direction < 0) {
        // The passed side keeps about a fifth of the cache (FrameCache::kPassedWeight).
        w.behind = std::max(1, c * 4 / 5 - 2);
        w.ahead = 1;
        w.lowWater = std::max(1, w.behind / 2);
    } else {
        w.ahead = std::min(4, std::max(1, c / 4));
        w.behind = std::max(1, c / 2 - 2);
    }
    return w;
}

int PrefetchPlan::next(int n, int direction, int capacity, int lastFrame,
                       const std::function<bool(int)>& kept) {
    auto missing = [&](int i) { return i >= 0 && i <= lastFrame && !kept(i); };
    const int first = direction < 0 ? n - 1 : n + 1;
    const int second = direction < 0 ? n + 1 : n - 1;
    if (missing(first))
        return first;
    if (missing(second))
        return second;
    const PrefetchWindow w = prefetchWindow(direction, capacity);
    auto aheadTarget = [&] { // the lowest missing: decoding forward reaches the others on the way
        for (int i = n + 1; i <= std::min(lastFrame, n + w.ahead); ++i)
            if (missing(i))
                return i;
        return -1;
    };
    auto behindTarget = [&] { // the highest missing: decoding up to it passes the lower ones
        for (int i = n - 1; i >= std::max(0, n - w.behind); --i)
            if (missing(i))
                return i;
        return -1;
    };
    if (direction >= 0) {
        const int a = aheadTarget();
        return a >= 0 ? a : behindTarget();
    }
    if (!m_refilling) {
        bool low = false;
        for (int i = n - 1; i >= std::max(0, n - w.lowWater) && !low; --i)
            low = missing(i);
        m_refilling = low;
        m_refillTop = low ? behindTarget() : -1;
    }
    if (m_refilling) {
        if (m_refillTop >= 0 && m_refillTop < n && missing(m_refillTop))
            return m_refillTop;
        m_refilling = false; // reached (or passed by the operator)
        m_refillTop = -1;
    }
    return aheadTarget();
}

} // namespace engine
