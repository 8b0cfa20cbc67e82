#pragma once
// What is known of a marked run from the files beside its log entry: the video's frame rate and
// length from its AVI headers, and the check of the pass window against them and the run's
// timing record. Never shows a box: a file that cannot be read leaves the rate blank and the
// check says so.
#include "core/run/DayExport.h"
#include "core/run/PassIntegrity.h"

namespace media {

// The video's own rate and length from its headers (a recording cut off without its index is
// counted chunk by chunk); unknown values when the file cannot be read as an AVI.
run::RecordingExtent readRecordingExtent(const QString& videoPath);

// The pass window line of the run from `start` to `end`: the one text the Timer & Review
// screen shows after marking and the export writes in its Timing Check column.
run::PassWindowCheck passWindowOf(const QString& videoPath, int start, int end);

run::RunFacts readRunFacts(const run::LoggedRun& run);

} // namespace media
