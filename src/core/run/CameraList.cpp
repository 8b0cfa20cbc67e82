#include "core/run/CameraList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace capture {

CameraList parseCameraList(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://\\S+$"));
    static const QRegularExpression space(QStringLiteral("\\s"));
    CameraList list;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    const QStringList lines = body.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? QString() : line.left(eq).trimmed();
        const QString url = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
        const bool urlOk = scheme.match(url).hasMatch() ||
                           (url.startsWith(QLatin1Char('/')) && !url.contains(space));
        bool taken = false;
        for (const StreamCamera& c : list.cameras)
            taken = taken || c.name.compare(name, Qt::CaseInsensitive) == 0;
        if (name.isEmpty() || !urlOk || taken) {
            list.badLines.push_back(i + 1);
            continue;
        }
        list.cameras.push_back(StreamCamera{name, url});
    }
    return list;
}

CameraList readCameraList(const QString& folder) {
    if (folder.isEmpty())
        return {};
    QFile file(QDir(folder).filePath(kCameraListFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseCameraList(QString::fromUtf8(file.read(64 * 1024)));
}

} // namespace capture
