#include "core/run/LogLineRules.h"

#include <QRegularExpression>

namespace run {

namespace {
const QString kSessionMark = QStringLiteral("Skivane");
const QString kFileMarker = QStringLiteral("File:");
} // namespace

bool isSessionLogLine(const QString& line) {
    static const QRegularExpression form(QStringLiteral(
        "^[0-9]{2}-[0-9]{2}-[0-9]{4}[0-9]{2}:[0-9]{2}:[0-9]{2}Skivane Session started *$"));
    return form.match(line).hasMatch();
}

bool isListedLogLine(const QString& line) {
    if (isSessionLogLine(line))
        return false;
    return isRunLogLine(line) || !line.contains(kSessionMark);
}

QString logLineVideoFile(const QString& line) {
    const qsizetype at = line.indexOf(kFileMarker);
    return at < 0 ? QString() : line.mid(at + 6);
}

bool isRunLogLine(const QString& line) {
    return line.contains(kFileMarker) && !isSessionLogLine(line);
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

} // namespace run
