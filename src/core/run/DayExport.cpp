#include "core/run/DayExport.h"

#include "core/run/LogLineRules.h"
#include "core/run/PassTiming.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <vector>

namespace run {

namespace {

const QString kSkier = QStringLiteral("Skier: ");
const QString kPass = QStringLiteral("Pass: ");
const QString kStart = QStringLiteral("Start: ");
const QString kEnd = QStringLiteral("End: ");
const QString kFile = QStringLiteral("File: ");
constexpr int kDateLength = 10;
constexpr int kTimeLength = 8;

std::optional<int> frameNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Rate over scale as a decimal with up to three places ("30", "29.97", "12.5").
QString rateText(quint32 rate, quint32 scale) {
    QString text = QString::number(static_cast<double>(rate) / scale, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// "01-18-2005" as "2005-01-18"; the text as it stands when it is no such date.
QString isoDate(const QString& logDate) {
    const QDate date = QDate::fromString(logDate, QStringLiteral("MM-dd-yyyy"));
    return date.isValid() ? date.toString(Qt::ISODate) : logDate;
}

} // namespace

std::optional<LoggedRun> parseRunEntry(const QString& line) {
    if (line.size() < kDateLength + kTimeLength)
        return std::nullopt;
    // The path is the last part and may hold anything, so the fields are found from the first
    // "File: " backwards, each marker the last one before the next field.
    const qsizetype file = line.indexOf(kFile);
    if (file < 0)
        return std::nullopt;
    const QString head = line.left(file);
    const qsizetype end = head.lastIndexOf(kEnd);
    const qsizetype start = end < 0 ? -1 : head.left(end).lastIndexOf(kStart);
    const qsizetype pass = start < 0 ? -1 : head.left(start).lastIndexOf(kPass);
    const qsizetype skier = kDateLength + kTimeLength;
    if (pass < skier + kSkier.size() || head.mid(skier, kSkier.size()) != kSkier)
        return std::nullopt;
    const auto startFrame =
        frameNumber(head.mid(start + kStart.size(), end - start - kStart.size()));
    const auto endFrame = frameNumber(head.mid(end + kEnd.size()));
    const QString path = line.mid(file + kFile.size());
    if (!startFrame || !endFrame || path.isEmpty())
        return std::nullopt;
    LoggedRun run;
    run.date = line.left(kDateLength);
    run.time = line.mid(kDateLength, kTimeLength);
    run.skier = head.mid(skier + kSkier.size(), pass - skier - kSkier.size());
    run.pass = head.mid(pass + kPass.size(), start - pass - kPass.size()).trimmed();
    run.startFrame = *startFrame;
    run.endFrame = *endFrame;
    run.videoPath = path;
    return run;
}

LoggedRunCount countLoggedRuns(const QByteArray& log) {
    LoggedRunCount count;
    for (const QByteArray& raw : log.split('\n')) {
        const QString line = logLineText(raw);
        if (isRunLogLine(line))
            ++count.runLines;
        if (parseRunEntry(line))
            ++count.runs;
    }
    return count;
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray dayCsv(const QByteArray& log, const RunFactsOf& factsOf) {
    std::vector<LoggedRun> runs;
    for (const QByteArray& raw : log.split('\n')) {
        if (auto run = parseRunEntry(logLineText(raw)))
            runs.push_back(std::move(*run));
    }
    QHash<QString, std::size_t> lastMarking;
    for (std::size_t i = 0; i < runs.size(); ++i)
        lastMarking.insert(runs[i].videoPath, i);

    const QStringList header = {QStringLiteral("Date"),         QStringLiteral("Time"),
                                QStringLiteral("Skier"),        QStringLiteral("Pass"),
                                QStringLiteral("Start Frame"),  QStringLiteral("End Frame"),
                                QStringLiteral("Frame Rate"),   QStringLiteral("Pass Frames"),
                                QStringLiteral("Pass Seconds"), QStringLiteral("Barefoot"),
                                QStringLiteral("Video File"),   QStringLiteral("Current"),
                                QStringLiteral("Timing Check")};
    QString csv = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const LoggedRun& run = runs[i];
        const RunFacts facts = factsOf ? factsOf(run) : RunFacts{};
        const int passFrames = run.endFrame - run.startFrame;
        QString rate, seconds, barefoot;
        if (facts.rate > 0 && facts.scale > 0) {
            const double fps = static_cast<double>(facts.rate) / facts.scale;
            rate = rateText(facts.rate, facts.scale);
            seconds = framesAsSeconds(passFrames, run::Fraction{facts.rate, facts.scale});
            // The pass length says which timing the marking used; a length that fits neither
            // (a log edited by hand) stays blank rather than guessed.
            if (passFrames == passLength(fps, true))
                barefoot = QStringLiteral("yes");
            else if (passFrames == passLength(fps, false))
                barefoot = QStringLiteral("no");
        }
        const QStringList row = {
            isoDate(run.date),
            run.time,
            run.skier,
            run.pass,
            QString::number(run.startFrame),
            QString::number(run.endFrame),
            rate,
            QString::number(passFrames),
            seconds,
            barefoot,
            run.videoPath,
            lastMarking.value(run.videoPath) == i ? QStringLiteral("yes") : QStringLiteral("no"),
            facts.integrity.isEmpty() ? QStringLiteral("no timing record") : facts.integrity};
        QStringList fields;
        for (const QString& field : row)
            fields << csvField(field);
        csv += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

} // namespace run
