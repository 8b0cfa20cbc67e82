#pragma once
// The check of a marked pass window against what is known of its recording: the video file's
// own frame rate and length, and the run's timing record (repeated pictures, extra pictures
// dropped, time-stamp jumps and camera reconnections inside the window, the real length of the
// window against its nominal one, a record cut off before the window ends). One line for the
// operator, shown after marking and carried as it stands into the day's export.
//
// The line vouches for the window ("every frame a camera picture") only when every frame from
// start to end is in the recording and in its timing record and nothing is off.
#include "core/run/FrameClock.h"
#include "core/run/TimingRecord.h"

#include <QString>
#include <optional>

namespace run {

struct PassWindowCheck {
    bool haveRecord = false;
    bool clean = false; // every frame in the recording and its record, nothing off
    QString text;       // one line for the operator: "Pass window: 19.97 s; ..."
};

// What the video file itself says about the recording.
struct RecordingExtent {
    run::Fraction rate{0, 1}; // the file's own frame rate; num 0: unknown
    int64_t frames = -1;      // frames in the file (0 to frames - 1); -1: unknown
};

// The window from `start` to `end` (frames, both included). The nominal length is
// (end - start) / the file's rate (the record's rate when the file's is unknown).
PassWindowCheck checkPassWindow(const std::optional<run::TimingRecord>& record,
                                const RecordingExtent& file, int start, int end);

// `<video>.timing` read and parsed; empty when there is none or it is no timing record.
std::optional<run::TimingRecord> readTimingRecord(const QString& videoPath);

} // namespace run
