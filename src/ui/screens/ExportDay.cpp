#include "ui/screens/ExportDay.h"

#include "core/ports/Dialogs.h"
#include "core/ports/RunTools.h"
#include "core/run/DayExport.h"

#include <QFile>
#include <QFileInfo>

namespace screens {
void exportDayLog(ports::Dialogs& dialogs, ports::RunTools& tools, const QString& logPath) {
    using ports::Icon;
    QFile log(logPath);
    if (logPath.isEmpty() || !log.exists()) {
        dialogs.message(QStringLiteral("There is no log file to export: ") + logPath,
                        ports::kAppTitle, Icon::Exclamation);
        return;
    }
    if (!log.open(QIODevice::ReadOnly)) {
        dialogs.message(QStringLiteral("The log file ") + logPath +
                            QStringLiteral(" cannot be read: ") + log.errorString(),
                        ports::kAppTitle, Icon::Exclamation);
        return;
    }
    const QByteArray bytes = log.readAll();
    if (log.error() != QFileDevice::NoError) {
        dialogs.message(QStringLiteral("The log file ") + logPath +
                            QStringLiteral(" could not be read to its end: ") + log.errorString(),
                        ports::kAppTitle, Icon::Exclamation);
        return;
    }
    log.close();
    const run::LoggedRunCount count = run::countLoggedRuns(bytes);
    if (count.runs == 0 && count.runLines > 0) {
        dialogs.message(QStringLiteral("The log file ") + logPath +
                            QStringLiteral(" holds %1 run line%2, but none of them can be read "
                                           "as a run entry; nothing was exported.")
                                .arg(count.runLines)
                                .arg(count.runLines == 1 ? QString() : QStringLiteral("s")),
                        ports::kAppTitle, Icon::Exclamation);
        return;
    }

    const QFileInfo logInfo(logPath);
    const QString proposed =
        logInfo.absolutePath() + u'/' + logInfo.completeBaseName() + QStringLiteral(".csv");
    const QString target = dialogs.saveFile(proposed, QStringLiteral("CSV files|*.csv"),
                                            QStringLiteral("Export the day's runs"));
    if (target.isEmpty())
        return;
    const QFileInfo targetInfo(target);
    if (targetInfo.exists()) {
        // The session log only ever grows: it is never replaced, not even by its own export.
        if (targetInfo.canonicalFilePath() == logInfo.canonicalFilePath()) {
            dialogs.message(QStringLiteral("The export cannot replace the log file itself. "
                                           "Choose another file name."),
                            ports::kAppTitle, Icon::Exclamation);
            return;
        }
        const ports::Answer answer = dialogs.message(ports::MessageBoxRequest{
            target + QStringLiteral(" already exists. Replace it?"), ports::kAppTitle,
            ports::Buttons::YesNo, Icon::Question, ports::Answer::No});
        if (answer != ports::Answer::Yes)
            return;
    }
    if (const auto error = tools.exportDay(bytes, target)) {
        dialogs.message(QStringLiteral("The export could not be written to ") + target +
                            QStringLiteral(": ") + *error,
                        ports::kAppTitle, Icon::Exclamation);
        return;
    }
    const int unread = count.runLines - count.runs;
    if (unread > 0)
        dialogs.message(QStringLiteral("The day's runs were exported to ") + target +
                            QStringLiteral(". %1 run line%2 of the log could not be read as a "
                                           "run entry and %3 not in the export.")
                                .arg(unread)
                                .arg(unread == 1 ? QString() : QStringLiteral("s"))
                                .arg(unread == 1 ? QStringLiteral("is") : QStringLiteral("are")),
                        ports::kAppTitle, Icon::Exclamation);
    else
        dialogs.message(QStringLiteral("The day's runs were exported to ") + target,
                        ports::kAppTitle, Icon::Information);
}
} // namespace screens
