#include "core/media/CameraList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace media {

CameraList parseCameraList(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://\\S+$"));
    static const QRegularExpression space(QStringLiteral("\\s"));
    CameraList list;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    const QStringList lines = body.split(QLatin1Char('\n'));
    list.linesRead = int(lines.size());
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
    constexpr qint64 kMostRead = 64 * 1024;
    QByteArray bytes = file.read(kMostRead + 1);
    const bool cutShort = bytes.size() > kMostRead;
    if (cutShort) { // the last line read may be cut in two: the list ends at the last whole line
        const qsizetype end = bytes.lastIndexOf('\n', kMostRead - 1);
        bytes.truncate(end >= 0 ? end + 1 : kMostRead);
    }
    for (const char c : std::as_const(bytes)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            CameraList binary;
            binary.notText = true;
            return binary;
        }
    }
    CameraList list = parseCameraList(QString::fromUtf8(bytes));
    if (cutShort) {
        list.cutShort = true;
        if (bytes.endsWith('\n'))
            list.linesRead -= 1; // the empty text after the last line end is no line
    }
    return list;
}

QString cameraListWarning(const CameraList& list) {
    constexpr size_t kNamed = 20;
    QStringList parts;
    const size_t bad = list.badLines.size();
    if (bad > 0) {
        QStringList numbers;
        for (size_t i = 0; i < std::min(bad, kNamed); ++i)
            numbers << QString::number(list.badLines[i]);
        QString which = (bad == 1 ? QStringLiteral("line ") : QStringLiteral("lines ")) +
                        numbers.join(QStringLiteral(", "));
        if (bad > kNamed)
            which += QStringLiteral(" and %1 more").arg(bad - kNamed);
        parts << QStringLiteral("%1 %2 no camera (name = URL) and %3 skipped")
                     .arg(which, bad == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                          bad == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    }
    if (list.notText)
        parts << QStringLiteral("this is no text file (it holds control characters), so no "
                                "camera was read from it");
    if (list.cutShort)
        parts << (list.linesRead == 1
                      ? QStringLiteral("only its first line was read")
                      : QStringLiteral("only its first %1 lines were read").arg(list.linesRead)) +
                     QStringLiteral(" (the file is longer than 64 KiB)");
    if (parts.isEmpty())
        return {};
    return kCameraListFile + QStringLiteral(": ") + parts.join(QStringLiteral("; ")) +
           QLatin1Char('.');
}

} // namespace media
