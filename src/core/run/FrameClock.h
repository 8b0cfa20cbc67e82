#pragma once
// The frame clock of a recording: turns the capture time of each camera picture into a slot of
// the chosen frame rate, so that slot n of a recording is n / rate seconds after slot 0 whatever
// rate the camera really delivers. The judges time the pass by counting slots (20 s, 15 s in
// barefoot mode), so a file that runs ahead of or behind real time gives a wrong pass.
//
// A camera's own time stamps are the best measure of when each picture was taken, as long as
// they run with real time. They do not always: a network camera that comes back after an outage
// starts its time stamps again, a driver restarts, a sender pauses and goes on where it stopped.
// Given the machine's monotonic clock, the frame clock notices when the time stamps leave real
// time by more than kTolerance, and from there takes the picture to have come as long after slot 0
// as it really did (less the camera's usual delay); while no picture comes at all, idle() hands
// out the slots real time has passed, which repeat the last picture. Without the monotonic clock
// (a test camera that gives its pictures as fast as they are taken) the time stamps alone count.
//
// Integer arithmetic only: times are counted in ticks of a time base (microseconds for the
// capture sources), rates are fractions (30/1, 30000/1001).
#include <cstdint>
#include <functional>

namespace run {

struct Fraction {
    int64_t num = 1;
    int64_t den = 1;
};

// a * b / c rounded to the nearest integer, halves away from zero; 128-bit intermediate.
int64_t rescaleNearest(int64_t a, int64_t b, int64_t c);

// The machine's monotonic clock in ticks of the frame clock's time base, any origin. Injected
// so that tests can run an outage of seconds without waiting for it.
using MonotonicClock = std::function<int64_t()>;

// Where one picture goes.
struct Placement {
    bool extra = false;   // its slot is already filled: the picture is dropped
    int64_t slot = 0;     // the slot the picture fills (when not extra)
    int64_t filled = 0;   // slots just before `slot` that no picture reached: they repeat the
                          // previous picture
    bool jumped = false;  // its time stamp left real time: the clock went on across the jump
    bool resumed = false; // the first picture after a time without pictures (an outage)
    int64_t time = 0;     // capture time on the clock's continuous timeline, ticks from slot 0
};

class FrameClock {
public:
    // Time stamps that leave real time by more than this are not followed.
    static constexpr int64_t kToleranceMs = 1000;

    // `rate` in frames per second, `timeBase` in seconds per tick. Without `monotonic` a time
    // stamp more than 5 s ahead of the previous one, or behind it, is a jump; the clock then
    // goes on one picture interval after the last picture.
    FrameClock(Fraction rate, Fraction timeBase, MonotonicClock monotonic = {});

    Placement place(int64_t timestamp);
    // No picture has come for a while: once that is longer than the tolerance, the slots real
    // time has passed since the last picture (all but the one it is in now) are handed out as
    // repeats of the last picture. Returns the slot count after it. Does nothing without the
    // monotonic clock or before the first picture.
    int64_t idle();

    int64_t slotCount() const { return m_next; } // slots handed out so far

private:
    int64_t slotOf(int64_t time) const;
    int64_t ticks(int64_t ms) const;

    Fraction m_rate;
    Fraction m_timeBase;
    MonotonicClock m_monotonic;
    int64_t m_maxStall;
    int64_t m_tolerance;
    bool m_started = false;
    int64_t m_first = 0;  // time stamp of slot 0
    int64_t m_offset = 0; // added to time stamps after a jump, so that the timeline continues
    int64_t m_lastStamp = 0;
    int64_t m_lastTime = 0;     // on the continuous timeline
    int64_t m_lastInterval = 0; // between the last two pictures, continuous timeline
    int64_t m_realOrigin = 0;   // monotonic time of slot 0's picture
    int64_t m_lastArrival = 0;  // monotonic time of the last picture
    int64_t m_lag = 0;          // the camera's usual delay: least of (real time - timeline)
    bool m_idleFilled = false;  // idle() handed out slots since the last picture
    int64_t m_next = 0;
    int64_t m_jumps = 0; // time stamp jumps so far
};

} // namespace run
