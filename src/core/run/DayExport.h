#pragma once
// The day's runs for the scorer: the session log turned into CSV (RFC 4180: comma separated,
// fields with a comma, quote or line break quoted, quotes doubled, CR LF line ends, UTF-8).
// Reads the log as it is written (session lines, run entries, anything else skipped), so logs
// written before the export existed export too. Every marking of a run stays a row; the last
// marking of each video file is the current one.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace run {

// One run entry of the log, as written by the marking.
struct LoggedRun {
    QString date; // "mm-dd-yyyy"
    QString time; // "hh:mm:ss"
    QString skier;
    QString pass;
    int startFrame = 0;
    int endFrame = 0;
    QString videoPath;
};

// The run entry of one log line (without its line end); empty for a session line or a line
// that is not a whole run entry (cut short, edited by hand).
std::optional<LoggedRun> parseRunEntry(const QString& line);

// What the export knows about a run's video beyond the log.
struct RunFacts {
    // Frames per second as the file's rate / scale; 0 / 0 when the file cannot be read.
    quint32 rate = 0;
    quint32 scale = 0;
    // The pass window line, as the Timer & Review screen shows it after marking; empty: not
    // known (the column then reads "no timing record").
    QString integrity;
};
using RunFactsOf = std::function<RunFacts(const LoggedRun& run)>;

// The header row and one row per run entry of `log` (the raw bytes of a log file, in the
// locale's 8-bit encoding, LF or CR LF line ends), in log order.
QByteArray dayCsv(const QByteArray& log, const RunFactsOf& factsOf);

// What an export of `log` finds: the run entries it exports, and the run lines of the log (lines
// holding "File:", session lines aside). A log with run lines and no run entry exports nothing
// the scorer can use: the export says so instead of writing a header alone.
struct LoggedRunCount {
    int runs = 0;
    int runLines = 0;
};
LoggedRunCount countLoggedRuns(const QByteArray& log);

// One CSV field, quoted when it must be.
QString csvField(const QString& text);

} // namespace run
