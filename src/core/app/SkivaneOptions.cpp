#include "core/app/SkivaneOptions.h"

#include "core/app/AppFolder.h"
#include "core/app/CommandLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace app {

namespace {

const char* const kHelp =
    "Usage: skivane [OPTION]... [QT-OPTION]...\n"
    "Time water-ski trick runs from video: record each run from a camera, step to the frame\n"
    "where the run starts, and see where the timed pass ends.\n"
    "With no option the program starts on its Setup screen.\n"
    "\n"
    "      --app-folder  print the application folder (skier list, sounds, manual,\n"
    "                    Cameras.txt), filling it as a normal start does, and exit\n"
    "  -h, --help        display this help and exit\n"
    "      --version     output version information and exit\n"
    "\n"
    "Qt's own options are accepted too, for example -platform NAME, -style NAME, -reverse.\n"
    "Settings are kept in ~/.config/SKV04/SKV04.ini. See skivane(1) for more.\n";

constexpr ProgramOption kOptions[] = {{"--app-folder"}, {"--help"}, {"-h"}, {"--version"}};

} // namespace

std::optional<int> handleSkivaneOptions(int argc, char** argv) {
    const QString program = QStringLiteral("skivane");
    const ParsedCommandLine cli =
        parseCommandLine(program, commandLineWords(argc, argv), kOptions, true);
    if (!cli.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(cli.error));
        return 2;
    }
    if (!cli.operands.isEmpty()) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(usageError(
                         program, QStringLiteral("extra operand '%1'").arg(cli.operands.first()))));
        return 2;
    }
    if (cli.has(QStringLiteral("--help")) || cli.has(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (cli.has(QStringLiteral("--version"))) {
        std::fputs(qPrintable(versionText(program)), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (cli.has(QStringLiteral("--app-folder"))) {
        QCoreApplication core(argc, argv);
        QString folderError;
        const QString appDir = resolveAppFolder(systemAppFolderSources(), &folderError);
        if (!folderError.isEmpty())
            std::fprintf(stderr, "skivane: %s\n", qPrintable(folderError));
        std::printf("%s\n", appDir.toLocal8Bit().constData());
        return folderError.isEmpty() ? 0 : 1;
    }
    return std::nullopt;
}

} // namespace app
