#include "app/SessionLog.h"

#include "app/Paths.h"
#include "app/Program.h"
#include "app/Settings.h"
#include "app/TextNumbers.h"
#include "platform/SettingsStore.h"

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

LogWrite appendLogLine(const QString& path, const QString& line) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return {false, f.errorString()};
    const QByteArray bytes = line.toLocal8Bit() + QByteArrayLiteral("\r\n");
    if (f.write(bytes) != bytes.size())
        return {false, f.errorString()};
    if (!f.flush())
        return {false, f.errorString()};
    f.close();
    if (f.error() != QFileDevice::NoError)
        return {false, f.errorString()};
    return {};
}

LogWrite StartSession(platform::SettingsStore& store, const QDateTime& now) {
    ProgramValues& p = program();
    p.LogFileName = logFileNameFor(now);
    if (p.VideoDirectory.isEmpty())
        return {};
    const LogWrite w = appendLogLine(joinPath(p.VideoDirectory, p.LogFileName), sessionLine(now));
    if (!w.ok)
        return w;
    settings::write(store, settings::kLogFile, p.LogFileName);
    return {};
}

LogWrite appendRunEntry(const QDateTime& now, const QString& skier, const QString& pass,
                        int startFrame, int endFrame, const QString& videoPath) {
    const ProgramValues& p = program();
    if (p.VideoDirectory.isEmpty() || p.LogFileName.isEmpty())
        return {false, QStringLiteral("No video folder has been set for the session log.")};
    return appendLogLine(joinPath(p.VideoDirectory, p.LogFileName),
                         runEntryLine(now, skier, pass, startFrame, endFrame, videoPath));
}

} // namespace app
