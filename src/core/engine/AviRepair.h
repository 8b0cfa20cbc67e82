#pragma once
// A copy of a cut-off recording that other players open: the same packets, not re-encoded, in a
// new AVI file with a proper index and header frame counts. The original is only read.
#include <QString>
#include <atomic>
#include <cstdint>

namespace engine {

// "<folder>/<run>-repaired.avi" for "<folder>/<run>.avi" (any other name gets "-repaired.avi"
// appended).
QString repairedPath(const QString& run);

struct RepairResult {
    bool ok = false;
    QString path;                 // the repaired copy, when ok
    QString error;                // what went wrong, for the operator
    std::int64_t videoFrames = 0; // frame slots in the copy, repeated (empty) slots included
};

// Writes repairedPath(run) through a temporary file in the same folder, renamed into place only
// when complete; an existing copy is never replaced. Checks `cancel` between packets: a
// cancelled or failed repair leaves no file behind.
RepairResult repairCopy(const QString& run, const std::atomic<bool>* cancel = nullptr);

} // namespace engine
