#include "core/app/SessionLog.h"

#include "core/app/Paths.h"
#include "core/app/Settings.h"
#include "core/app/TextNumbers.h"
#include "core/ports/Session.h"
#include "core/ports/SettingsStore.h"

#include <QFile>

namespace app {

QString logDateText(const QDateTime& when) {
    return when.toString(QStringLiteral("MM-dd-yyyy"));
}

QString logTimeText(const QDateTime& when) {
    return when.toString(QStringLiteral("HH:mm:ss"));
}

QString logFileNameFor(const QDateTime& startedAt) {
    const QString d = logDateText(startedAt);
    return QStringLiteral("SkivaneLog") + d.mid(0, 2) + d.mid(3, 2) + d.mid(8, 2) +
           QStringLiteral(".txt");
}

QString sessionLine(const QDateTime& when) {
    return logDateText(when) + logTimeText(when) + QStringLiteral("Skivane Session started  ");
}

QString runEntryLine(const QDateTime& when, const QString& skier, const QString& pass,
                     int startFrame, int endFrame, const QString& videoPath) {
    return logDateText(when) + logTimeText(when) + QStringLiteral("Skier: ") + skier +
           QStringLiteral("Pass: ") + pass + QStringLiteral("Start: ") +
           SignedNumberText(startFrame) + QStringLiteral("End: ") + SignedNumberText(endFrame) +
           QStringLiteral("File: ") + videoPath;
}

namespace {

LogWrite appendBytes(const QString& path, const QByteArray& bytes) {
    // Unbuffered, so that a short write is seen here and not at a later flush or close.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return {false, f.errorString()};
    const qint64 before = f.size();
    const qint64 written = f.write(bytes);
    if (written != bytes.size()) {
        const QString reason =
            written < 0 && f.error() != QFileDevice::NoError
                ? f.errorString()
                : QStringLiteral("only %1 of %2 bytes could be written (the disk may be full)")
                      .arg(qMax<qint64>(written, 0))
                      .arg(bytes.size());
        if (written > 0)
            f.resize(before); // never leave half a line behind
        return {false, reason};
    }
    f.close();
    if (f.error() != QFileDevice::NoError)
        return {false, f.errorString()};
    return {};
}

// True when the file has text whose last line has no line end (edited by hand, cut short).
bool endsMidLine(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0 || !f.seek(f.size() - 1))
        return false;
    char last = 0;
    return f.getChar(&last) && last != '\n';
}
} // namespace

LogWrite appendLogLine(const QString& path, const QString& line) {
    // A line always starts on a line of its own, so that a reader finds every entry.
    const QByteArray start = endsMidLine(path) ? QByteArrayLiteral("\r\n") : QByteArray();
    return appendBytes(path, start + line.toLocal8Bit() + QByteArrayLiteral("\r\n"));
}

LogWrite StartSession(ports::SettingsStore& store, ports::Session& p, const QDateTime& now) {
    p.LogFileName = logFileNameFor(now);
    if (p.VideoDirectory.isEmpty())
        return {};
    const LogWrite w = appendLogLine(joinPath(p.VideoDirectory, p.LogFileName), sessionLine(now));
    if (!w.ok)
        return w;
    settings::write(store, settings::kLogFile, p.LogFileName);
    return {};
}

LogWrite appendRunEntry(const ports::Session& p, const QDateTime& now, const QString& skier,
                        const QString& pass, int startFrame, int endFrame,
                        const QString& videoPath) {
    if (p.VideoDirectory.isEmpty() || p.LogFileName.isEmpty())
        return {false, QStringLiteral("No video folder has been set for the session log.")};
    return appendLogLine(joinPath(p.VideoDirectory, p.LogFileName),
                         runEntryLine(now, skier, pass, startFrame, endFrame, videoPath));
}

} // namespace app
