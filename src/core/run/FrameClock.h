#pragma once
// The frame clock of a recording: turns the capture time of each camera picture into a slot of
// the chosen frame rate, so that slot n of a recording is n / rate seconds after slot 0 whatever
// rate the camera really delivers. The judges time the pass by counting slots (20 s, 15 s in
// barefoot mode), so a file that runs ahead of or behind real time gives a wrong pass.
//
// Integer arithmetic only: times are counted in ticks of a time base (microseconds for the
// capture sources), rates are fractions (30/1, 30000/1001).
#include <cstdint>

namespace capture {

struct Fraction {
    int64_t num = 1;
    int64_t den = 1;
};

// a * b / c rounded to the nearest integer, halves away from zero; 128-bit intermediate.
int64_t rescaleNearest(int64_t a, int64_t b, int64_t c);

// Where one picture goes.
struct Placement {
    bool extra = false;  // its slot is already filled: the picture is dropped
    int64_t slot = 0;    // the slot the picture fills (when not extra)
    int64_t filled = 0;  // slots just before `slot` that no picture reached: they repeat the
                         // previous picture
    bool jumped = false; // its time stamp jumped: the clock continued across the jump
    int64_t time = 0;    // capture time on the clock's continuous timeline, ticks from slot 0
};

class FrameClock {
public:
    // `rate` in frames per second, `timeBase` in seconds per tick. A time stamp further ahead of
    // the previous one than `maxStallTicks` is no stall but a jump (a camera gives up after a
    // few seconds without a picture); 0 takes 5 seconds.
    FrameClock(Fraction rate, Fraction timeBase, int64_t maxStallTicks = 0);

    Placement place(int64_t timestamp);

    int64_t slotCount() const { return m_next; } // slots handed out so far
    int64_t extras() const { return m_extras; }
    int64_t filledGaps() const { return m_filled; }
    int64_t jumps() const { return m_jumps; }

private:
    int64_t slotOf(int64_t time) const;

    Fraction m_rate;
    Fraction m_timeBase;
    int64_t m_maxStall;
    bool m_started = false;
    int64_t m_first = 0;  // time stamp of slot 0
    int64_t m_offset = 0; // added to time stamps after a jump, so that the timeline continues
    int64_t m_lastStamp = 0;
    int64_t m_lastTime = 0;     // on the continuous timeline
    int64_t m_lastInterval = 0; // between the last two pictures, continuous timeline
    int64_t m_next = 0;
    int64_t m_extras = 0;
    int64_t m_filled = 0;
    int64_t m_jumps = 0;
};

} // namespace capture
