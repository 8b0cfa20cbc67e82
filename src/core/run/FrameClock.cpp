#include "core/run/FrameClock.h"

#include <algorithm>

namespace capture {

int64_t rescaleNearest(int64_t a, int64_t b, int64_t c) {
    const __int128 p = __int128(a) * b;
    const __int128 half = c / 2;
    const __int128 q = p >= 0 ? (p + half) / c : -((-p + half) / c);
    return int64_t(q);
}

FrameClock::FrameClock(Fraction rate, Fraction timeBase, int64_t maxStallTicks)
    : m_rate(rate), m_timeBase(timeBase),
      m_maxStall(maxStallTicks > 0 ? maxStallTicks
                                   : rescaleNearest(5, timeBase.den, timeBase.num)) {}

// Slot of a time on the continuous timeline: time * timeBase * rate, to the nearest slot.
int64_t FrameClock::slotOf(int64_t time) const {
    return rescaleNearest(time, m_timeBase.num * m_rate.num, m_timeBase.den * m_rate.den);
}

Placement FrameClock::place(int64_t timestamp) {
    Placement p;
    if (!m_started) {
        m_started = true;
        m_first = m_lastStamp = timestamp;
        m_next = 1;
        return p; // slot 0 at time 0
    }
    const int64_t step = timestamp - m_lastStamp;
    if (step < 0 || step > m_maxStall) {
        // A driver restart or a clock reset: the picture is taken to come one picture interval
        // after the last one (one slot when nothing better is known), and the timeline carries
        // on from there.
        const int64_t interval = m_lastInterval > 0 ? m_lastInterval
                                                    : rescaleNearest(1, m_timeBase.den * m_rate.den,
                                                                     m_timeBase.num * m_rate.num);
        m_offset = m_lastTime + interval - (timestamp - m_first);
        p.jumped = true;
        ++m_jumps;
    }
    m_lastStamp = timestamp;
    p.time = timestamp - m_first + m_offset;
    m_lastInterval = p.time - m_lastTime;
    m_lastTime = p.time;
    const int64_t slot = slotOf(p.time);
    if (slot < m_next) {
        p.extra = true;
        p.slot = m_next - 1;
        ++m_extras;
        return p;
    }
    p.slot = slot;
    p.filled = slot - m_next;
    m_filled += p.filled;
    m_next = slot + 1;
    return p;
}

} // namespace capture
