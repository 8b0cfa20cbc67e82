#pragma once
// How the log viewer reads a session log: which lines it lists and which video file a run line
// names. Free of widgets so that any file content can be checked on its own.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace run {

// A session line by its form: date "mm-dd-yyyy", time "hh:mm:ss", "Skivane Session started",
// then blanks only.
bool isSessionLogLine(const QString& line);

// A line is listed unless it is a session line. Other lines that hold "Skivane" (a session line
// cut short) are left out too, but never a run line ("File:"): a video folder such as
// "/media/usb/Skivane Runs" is listed like any other.
bool isListedLogLine(const QString& line);

// The video path of a run line: the rest of the line from six characters after the first
// "File:"; empty when the line has no "File:".
QString logLineVideoFile(const QString& line);

// True when the line is a run line: it holds "File:" and is no session line.
bool isRunLogLine(const QString& line);

// One raw line as read up to and including its LF: every trailing CR and LF removed, decoded in
// the locale's 8-bit encoding.
QString logLineText(QByteArray raw);

// The listed lines of a whole log file, in file order (LF or CR LF line ends; a last line
// without its line end counts).
QStringList listedLogLines(const QByteArray& contents);

} // namespace run
