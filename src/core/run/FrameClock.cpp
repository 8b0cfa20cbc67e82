#include "core/run/FrameClock.h"

#include <algorithm>
#include <utility>

namespace run {

int64_t rescaleNearest(int64_t a, int64_t b, int64_t c) {
    const __int128 p = __int128(a) * b;
    const __int128 half = c / 2;
    const __int128 q = p >= 0 ? (p + half) / c : -((-p + half) / c);
    return int64_t(q);
}

FrameClock::FrameClock(Fraction rate, Fraction timeBase, MonotonicClock monotonic)
    : m_rate(rate), m_timeBase(timeBase), m_monotonic(std::move(monotonic)),
      m_maxStall(ticks(5000)), m_tolerance(ticks(kToleranceMs)) {}

int64_t FrameClock::ticks(int64_t ms) const {
    return rescaleNearest(ms, m_timeBase.den, m_timeBase.num * 1000);
}

// Slot of a time on the continuous timeline: time * timeBase * rate, to the nearest slot.
int64_t FrameClock::slotOf(int64_t time) const {
    return rescaleNearest(time, m_timeBase.num * m_rate.num, m_timeBase.den * m_rate.den);
}

Placement FrameClock::place(int64_t timestamp) {
    Placement p;
    const bool real = bool(m_monotonic);
    const int64_t now = real ? m_monotonic() : 0;
    if (!m_started) {
        m_started = true;
        m_first = m_lastStamp = timestamp;
        m_realOrigin = m_lastArrival = now;
        m_next = 1;
        return p; // slot 0 at time 0
    }
    const int64_t step = timestamp - m_lastStamp;
    int64_t time = timestamp - m_first + m_offset;
    bool jumped = false;
    if (real) {
        // How much later than its time stamp says the picture came: the camera's delay, steady
        // while its time stamps run with real time.
        const int64_t elapsed = now - m_realOrigin;
        const int64_t lag = elapsed - time;
        p.resumed = m_idleFilled || now - m_lastArrival > m_tolerance;
        jumped = step < 0 || lag > m_lag + m_tolerance || lag < m_lag - m_tolerance;
        if (jumped) { // taken to have come with the usual delay, after the last picture
            time = std::max(elapsed - m_lag, m_lastTime + 1);
        } else if (lag < m_lag) {
            if (m_jumps == 0) {
                // Slot 0's picture came late: the time stamps are right, the usual delay is less.
                m_lag = lag;
            } else {
                // The picture the timeline was taken up from after a jump came late (the first
                // of a burst): the timeline goes back to this picture's real time.
                time = elapsed - m_lag;
                m_offset -= m_lag - lag;
            }
        }
        m_lastArrival = now;
    } else if (step < 0 || step > m_maxStall) {
        // A driver restart or a clock reset: the picture is taken to come one picture interval
        // after the last one (one slot when nothing better is known).
        jumped = true;
        time = m_lastTime + (m_lastInterval > 0 ? m_lastInterval
                                                : rescaleNearest(1, m_timeBase.den * m_rate.den,
                                                                 m_timeBase.num * m_rate.num));
    }
    if (jumped) { // the timeline carries on from here
        m_offset = time - (timestamp - m_first);
        p.jumped = true;
        ++m_jumps;
    }
    m_idleFilled = false;
    m_lastStamp = timestamp;
    p.time = time;
    m_lastInterval = std::max<int64_t>(0, p.time - m_lastTime);
    m_lastTime = p.time;
    const int64_t slot = slotOf(p.time);
    if (slot < m_next) {
        p.extra = true;
        p.slot = m_next - 1;
        return p;
    }
    p.slot = slot;
    p.filled = slot - m_next;
    m_next = slot + 1;
    return p;
}

int64_t FrameClock::idle() {
    if (!m_monotonic || !m_started)
        return m_next;
    const int64_t now = m_monotonic();
    if (now - m_lastArrival <= m_tolerance)
        return m_next;
    // The slot real time is in now (with the camera's usual delay) stays for the next picture.
    const int64_t reached = slotOf(now - m_realOrigin - m_lag);
    if (reached > m_next) {
        m_next = reached;
        m_idleFilled = true;
    }
    return m_next;
}

} // namespace run
