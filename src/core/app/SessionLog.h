#pragma once
// The session log: one plain text file per day in the video folder, named from the date the
// program was started. Lines are 8-bit text in the locale's encoding, ended by CR LF; each write
// opens the file for appending, writes one line and closes it again.
#include <QDateTime>
#include <QString>

namespace ports {
class SettingsStore;
struct Session;
} // namespace ports

namespace app {

// "mm-dd-yyyy" (10 characters) and "hh:mm:ss" on the 24-hour clock (8 characters).
QString logDateText(const QDateTime& when);
QString logTimeText(const QDateTime& when);

// "SkivaneLog" + MMDDYY + ".txt": 18 January 2005 gives "SkivaneLog011805.txt".
QString logFileNameFor(const QDateTime& startedAt);

// The line texts, without the line end.
QString sessionLine(const QDateTime& when);
QString runEntryLine(const QDateTime& when, const QString& skier, const QString& pass,
                     int startFrame, int endFrame, const QString& videoPath);

struct LogWrite {
    bool ok = true;
    QString error; // what went wrong, for the operator; empty when ok
};

// The one writer of the log: opens `path` for appending (creating it), writes `line` in the
// locale's encoding + CR LF, closes it. After a last line without its line end (edited by hand,
// cut short) a CR LF goes first, so that every line starts on a line of its own. A write that
// fails part way (disk full) is cut back, so the file never keeps half a line.
LogWrite appendLogLine(const QString& path, const QString& line);

// Start of a session: sets the session's LogFileName from `now`; when its VideoDirectory is
// not empty, appends the session line to the log in that folder and stores "logfile".
LogWrite StartSession(ports::SettingsStore& store, ports::Session& session, const QDateTime& now);

// One run entry into the day's log (the session's VideoDirectory + LogFileName).
LogWrite appendRunEntry(const ports::Session& session, const QDateTime& now, const QString& skier,
                        const QString& pass, int startFrame, int endFrame,
                        const QString& videoPath);

} // namespace app
