#pragma once
// What the day's export reads about a logged run from the files beside it: the video's frame
// rate from its AVI headers and the check of the pass window against its timing record. Never
// shows a box: a file that cannot be read leaves the rate blank.
#include "core/run/DayExport.h"

namespace media {

review::RunFacts readRunFacts(const review::LoggedRun& run);

} // namespace media
