// skivane-info FILE...: prints, for each file, the file information lines the Timer & Review
// screen gathers when it loads a run, one file after the other with an empty line between them.
// Messages the program would show in boxes go to standard error. Exit status: 0 when every file
// is an AVI file whose information could be read, 1 otherwise, 2 on a usage error (no file, an
// unknown option).
//
// skivane-info --export-day LOGFILE: writes the day's runs of a session log as CSV to standard
// output (the same bytes as the log viewer's export). Exit status 1 when the log cannot be read,
// or holds run lines of which none reads as a run entry.
//
// skivane-info --repair FILE: writes a repaired copy of a cut-off recording beside it
// (<run>-repaired.avi: same packets, a proper index and header), prints its path. Exit status 1
// when no copy was written.
//
// skivane-info --help, --version: the usual GNU texts on standard output.
#include "StderrDialogs.h"
#include "core/app/CommandLine.h"
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

const char* const kHelp =
    "Usage: skivane-info FILE...\n"
    "  or:  skivane-info --export-day LOGFILE\n"
    "  or:  skivane-info --repair FILE\n"
    "Print the AVI file information lines of each FILE, as the Timer & Review screen of\n"
    "Skivane lists them, with an empty line between files.\n"
    "\n"
    "      --export-day LOGFILE  write the runs of a day's session log as CSV to standard\n"
    "                            output, as the log viewer's export does\n"
    "      --repair FILE         write a repaired copy of a cut-off recording beside it\n"
    "                            (<run>-repaired.avi) and print its path\n"
    "  -h, --help                display this help and exit\n"
    "      --version             output version information and exit\n"
    "\n"
    "Exit status: 0 when every file could be read, 1 when one could not, 2 on a usage\n"
    "error. See skivane-info(1) for more.\n";

constexpr app::ProgramOption kOptions[] = {
    {"--export-day", true}, {"--repair", true}, {"--help"}, {"-h"}, {"--version"}};

int usageError(const QString& what) {
    std::fprintf(stderr, "%s\n", qPrintable(app::usageError(QStringLiteral("skivane-info"), what)));
    return 2;
}

int exportDay(const QString& logPath) {
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "skivane-info: cannot read %s: %s\n",
                     logPath.toLocal8Bit().constData(),
                     log.errorString().toLocal8Bit().constData());
        return 1;
    }
    const QByteArray bytes = log.readAll();
    const run::LoggedRunCount count = run::countLoggedRuns(bytes);
    if (count.runs == 0 && count.runLines > 0) {
        std::fprintf(stderr,
                     "skivane-info: %s holds %d run lines, but none can be read as a run entry\n",
                     logPath.toLocal8Bit().constData(), count.runLines);
        return 1;
    }
    const QByteArray csv = run::dayCsv(bytes, media::readRunFacts);
    std::fwrite(csv.constData(), 1, static_cast<std::size_t>(csv.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int repair(const QString& run) {
    const engine::RepairResult result = engine::repairCopy(run);
    if (!result.ok) {
        std::fprintf(stderr, "skivane-info: %s\n", result.error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", result.path.toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString program = QStringLiteral("skivane-info");
    const app::ParsedCommandLine cli =
        app::parseCommandLine(program, app::commandLineWords(argc, argv), kOptions, false);
    if (!cli.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(cli.error));
        return 2;
    }
    if (cli.has(QStringLiteral("--help")) || cli.has(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (cli.has(QStringLiteral("--version"))) {
        std::fputs(qPrintable(app::versionText(program)), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    const bool exporting = cli.has(QStringLiteral("--export-day"));
    const bool repairing = cli.has(QStringLiteral("--repair"));
    if (cli.options.size() > 1 || ((exporting || repairing) && !cli.operands.isEmpty()))
        return usageError(QStringLiteral("--export-day and --repair take one file alone"));
    if (exporting)
        return exportDay(cli.value(QStringLiteral("--export-day")));
    if (repairing)
        return repair(cli.value(QStringLiteral("--repair")));
    const QStringList& files = cli.operands;
    if (files.isEmpty())
        return usageError(QStringLiteral("missing file operand"));
    int status = 0;
    bool first = true;
    for (const QString& path : files) {
        StderrDialogs dialogs;
        // As when a run is browsed to: a file that is not an AVI file gets no information. The
        // check and every line come from one open and one parse of the headers.
        const media::AviFileRead read = media::ReadAviFile(path, dialogs);
        if (!read.isAvi) {
            dialogs.message(QStringLiteral("Not a valid avi file"), ports::kAppTitle,
                            ports::Icon::Exclamation);
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
