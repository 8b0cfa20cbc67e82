#include "core/run/LogLineRules.h"

namespace review {

namespace {
const QString kSessionMark = QStringLiteral("Skivane");
const QString kFileMarker = QStringLiteral("File:");
} // namespace

bool isListedLogLine(const QString& line) {
    return !line.contains(kSessionMark);
}

QString logLineVideoFile(const QString& line) {
    const qsizetype at = line.indexOf(kFileMarker);
    return at < 0 ? QString() : line.mid(at + 6);
}

bool isRunLogLine(const QString& line) {
    return line.contains(kFileMarker);
}

QString logLineText(QByteArray raw) {
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    return QString::fromLocal8Bit(raw);
}

QStringList listedLogLines(const QByteArray& contents) {
    QStringList lines;
    qsizetype from = 0;
    while (from < contents.size()) {
        qsizetype end = contents.indexOf('\n', from);
        end = end < 0 ? contents.size() : end + 1;
        const QString line = logLineText(contents.mid(from, end - from));
        if (isListedLogLine(line))
            lines.append(line);
        from = end;
    }
    return lines;
}

} // namespace review
