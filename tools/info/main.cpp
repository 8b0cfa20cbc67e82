// skivane-info FILE...: prints, for each file, the file information lines the Timer & Review
// screen gathers when it loads a run, one file after the other with an empty line between them.
// Messages the program would show in boxes go to standard error. Exit status: 0 when every file
// is an AVI file whose information could be read, 1 otherwise, 2 without a file argument.
//
// skivane-info --export-day LOGFILE: writes the day's runs of a session log as CSV to standard
// output (the same bytes as the log viewer's export). Exit status 1 when the log cannot be read.
//
// skivane-info --repair FILE: writes a repaired copy of a cut-off recording beside it
// (<run>-repaired.avi: same packets, a proper index and header), prints its path. Exit status 1
// when no copy was written.
#include "StderrDialogs.h"
#include "core/engine/AviRepair.h"
#include "core/media/FileInfoLines.h"
#include "core/media/RunFacts.h"
#include "core/media/mmInfo.h"
#include "core/run/DayExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

int exportDay(const QString& logPath) {
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "skivane-info: cannot read %s: %s\n",
                     logPath.toLocal8Bit().constData(),
                     log.errorString().toLocal8Bit().constData());
        return 1;
    }
    const QByteArray csv = review::dayCsv(log.readAll(), media::readRunFacts);
    std::fwrite(csv.constData(), 1, static_cast<std::size_t>(csv.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int repair(const QString& run) {
    const av::RepairResult result = av::repairCopy(run);
    if (!result.ok) {
        std::fprintf(stderr, "skivane-info: %s\n", result.error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", result.path.toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (files.isEmpty() || files.first() == QLatin1String("--help") ||
        files.first() == QLatin1String("-h")) {
        std::fprintf(stderr, "usage: skivane-info FILE...\n"
                             "       skivane-info --export-day LOGFILE\n"
                             "       skivane-info --repair FILE\n"
                             "Prints the AVI file information lines of each file, or the runs of\n"
                             "a session log as CSV.\n");
        return 2;
    }
    if (files.first() == QLatin1String("--export-day")) {
        if (files.size() != 2) {
            std::fprintf(stderr, "usage: skivane-info --export-day LOGFILE\n");
            return 2;
        }
        return exportDay(files.at(1));
    }
    if (files.first() == QLatin1String("--repair")) {
        if (files.size() != 2) {
            std::fprintf(stderr, "usage: skivane-info --repair FILE\n");
            return 2;
        }
        return repair(files.at(1));
    }
    int status = 0;
    bool first = true;
    for (const QString& path : files) {
        StderrDialogs dialogs;
        // As when a run is browsed to: a file that is not an AVI file gets no information. The
        // check and every line come from one open and one parse of the headers.
        const media::AviFileRead read = media::ReadAviFile(path, dialogs);
        if (!read.isAvi) {
            dialogs.message(QStringLiteral("Not a valid avi file"), platform::kAppTitle,
                            platform::Icon::Exclamation);
            std::fprintf(stderr, "(%s)\n", path.toLocal8Bit().constData());
            status = 1;
            continue;
        }
        const QStringList lines = media::FileInfoLines(path, read.readOk ? &read.record : nullptr);
        if (dialogs.shown() > 0)
            status = 1;
        if (!first)
            std::fputs("\n", stdout);
        first = false;
        for (const QString& line : lines)
            std::printf("%s\n", line.toLocal8Bit().constData());
    }
    return status;
}
