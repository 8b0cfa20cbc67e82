#pragma once
// The check of a marked pass against the run's timing record: repeated pictures (slots no
// camera picture reached, or the recorder could not keep up with) inside the timed window, extra
// pictures dropped there, and the real length of the window against its nominal length. Shown
// next to the file information before the replay, and in the day's export.
#include "core/run/TimingRecord.h"

#include <QString>
#include <optional>

namespace review {

struct PassWindowCheck {
    bool haveRecord = false;
    bool clean = true; // nothing off by more than half a frame
    QString text;      // one line for the operator
};

inline const QString kNoTimingRecord = QStringLiteral("no timing record");

// The window from `start` to `end` (frames, both included) of a run with this record.
PassWindowCheck checkPassWindow(const capture::TimingRecord& record, int start, int end);

// Reads `<video>.timing`; "no timing record" when there is none or it cannot be read.
PassWindowCheck checkPassWindow(const QString& videoPath, int start, int end);

} // namespace review
