#pragma once
// How the log viewer reads a session log: which lines it lists and which video file a run line
// names. Free of widgets so that any file content can be checked on its own.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace review {

// A line is listed unless it holds "Skivane" anywhere (case-sensitive): session lines name the
// program, run entries do not.
bool isListedLogLine(const QString& line);

// The video path of a run line: the rest of the line from six characters after the first
// "File:"; empty when the line has no "File:".
QString logLineVideoFile(const QString& line);

// True when the line is a run entry (it holds "File:").
bool isRunLogLine(const QString& line);

// One raw line as read up to and including its LF: every trailing CR and LF removed, decoded in
// the locale's 8-bit encoding.
QString logLineText(QByteArray raw);

// The listed lines of a whole log file, in file order (LF or CR LF line ends; a last line
// without its line end counts).
QStringList listedLogLines(const QByteArray& contents);

} // namespace review
