#pragma once
// The tools the Timer & Review screen and the log viewer run on a recording or a day's log:
// the repaired copy of a cut-off recording, the pass clip with the clock burned in, and the
// day's export for the scorer. Each writes a new file through a temporary file renamed into
// place, never replaces a recording and never leaves half a file.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

namespace ports {

// What a tool left behind.
struct ToolResult {
    bool ok = false;
    bool cancelled = false; // the operator stopped it; no file was written
    QString path;           // the file written, when ok
    QString error;          // what went wrong, for the operator
    // A file written that does not hold all it should (a clip the recording ends before): one
    // sentence saying so, for the completion message. Empty when it holds all it should.
    QString shortfall;
};

// The marked pass a clip is cut around.
struct PassMarks {
    QString run;        // the recording
    int startFrame = 0; // marked start of the pass
    int endFrame = 0;   // start + pass frames: the clock holds (end - start) / rate from there
};

// Called after each picture written with (done, total); returning false cancels.
using ToolProgress = std::function<bool(int done, int total)>;

class RunTools {
public:
    virtual ~RunTools() = default;
    // A copy of `run` that other players open, beside it as "<run>-repaired.avi"; an existing
    // copy is never replaced. Checks `cancel` as it goes. Runs on the caller's thread.
    virtual ToolResult repairCopy(const QString& run, const std::atomic<bool>& cancel) = 0;
    // The clip of the marked pass beside the run ("<run>-pass.mp4" or ".avi"), from 2 s before
    // the start to 2 s after the end.
    virtual ToolResult writePassClip(const PassMarks& marks, const ToolProgress& progress) = 0;
    // The day's runs of the session log `log` (its raw bytes) as CSV for the scorer, written to
    // `target` (replacing it). Empty on success, else what went wrong.
    virtual std::optional<QString> exportDay(const QByteArray& log, const QString& target) = 0;
};

} // namespace ports
