#pragma once
// The files that belong to a run: its ".info" companion (the start frame last marked) and
// renaming the run with its companions. The run's entry in the session log is written by the
// session log's one writer (core/app/SessionLog.h).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace run {

// The run's path with ".info" appended.
QString infoPath(const QString& videoPath);

// The companion line: path, a comma, the start frame as signed number text, CR LF
// ("D:\Runs\Annpass1.avi, 212"), in the locale's 8-bit encoding.
QByteArray infoLine(const QString& videoPath, qint16 startFrame);

// Creates or replaces the companion file through a temporary file and an atomic rename, so a
// failure leaves the previous file (or none) intact. Empty on success, else the reason.
std::optional<QString> writeInfoFile(const QString& videoPath, qint16 startFrame);

// The start frame stored in a companion line: the number after the LAST comma (a path holding
// commas is still read right), 0 when that field is not a number.
double infoStartFrame(const QByteArray& line);

// The start frame stored for the run; empty when it has no companion file or the file cannot be
// read.
std::optional<double> readInfoStartFrame(const QString& videoPath);

// The companion files of a run: every file beside it whose name is the run's file name, a dot
// and more ("Annpass1.avi.info", "Annpass1.avi.timing"), in name order.
QStringList runCompanions(const QString& videoPath);

// A run name is taken when the run file or any companion by that name exists: a stale ".info"
// or ".timing" left by a deleted run would otherwise become the new run's record.
bool runNameTaken(const QString& videoPath);

// Renames the run and every companion, all or nothing: no file is ever replaced, not even one
// that appeared a moment ago; when one of them cannot move, those already moved go back and the
// reason names that file. Empty on success, else the reason.
std::optional<QString> renameRun(const QString& from, const QString& to);

} // namespace run
