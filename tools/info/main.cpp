// skivane-info FILE...: prints, for each file, the file information lines the Timer & Review
// screen gathers when it loads a run, one file after the other with an empty line between them.
// Messages the program would show in boxes go to standard error. Exit status: 0 when every file
// is an AVI file whose information could be read, 1 otherwise, 2 without a file argument.
#include "StderrDialogs.h"
#include "core/media/FileInfoLines.h"
#include "core/media/mmInfo.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (files.isEmpty() || files.first() == QLatin1String("--help") ||
        files.first() == QLatin1String("-h")) {
        std::fprintf(stderr, "usage: skivane-info FILE...\n"
                             "Prints the AVI file information lines of each file.\n");
        return 2;
    }
    int status = 0;
    bool first = true;
    for (const QString& path : files) {
        StderrDialogs dialogs;
        // As when a run is browsed to: a file that is not an AVI file gets no information.
        if (!media::IsAviFile(path, dialogs)) {
            dialogs.message(QStringLiteral("Not a valid avi file"), platform::kAppTitle,
                            platform::Icon::Exclamation);
            std::fprintf(stderr, "(%s)\n", path.toLocal8Bit().constData());
            status = 1;
            continue;
        }
        const QStringList lines = media::FileInfoLines(path, dialogs);
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
