#pragma once
// The files that belong to a run: its ".info" companion (the start frame last marked), appending
// its entry to the session log, and renaming the run file.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace review {

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

// Appends one line to a text file (created when missing) and closes it. A write that fails part
// way is cut back, so the file never keeps half a line. Empty on success, else the reason.
std::optional<QString> appendLine(const QString& filePath, const QByteArray& line);

// Renames a file without ever replacing one at the new path, even one that appeared a moment
// ago. Empty on success, else the reason. A recording's timing record goes with it.
std::optional<QString> renameNoReplace(const QString& from, const QString& to);

} // namespace review
