#pragma once
// "Export…" of the log viewer and "Export Day…" of the Setup screen's menu: the day's session
// log as CSV for the scorer, written to a file the operator picks.
#include <QString>

namespace ports {
class Dialogs;
class RunTools;
} // namespace ports

// Asks where to save the CSV of the log at `logPath` (proposing the log's name with ".csv" beside
// it), asks before replacing an existing file, never replaces the log itself, and writes through
// a temporary file and an atomic rename (by `tools`). Every outcome is told in a box.
namespace screens {
void exportDayLog(ports::Dialogs& dialogs, ports::RunTools& tools, const QString& logPath);
} // namespace screens
