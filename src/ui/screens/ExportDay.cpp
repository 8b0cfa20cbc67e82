#include "ui/screens/ExportDay.h"

#include "core/ports/Dialogs.h"
#include "core/ports/RunTools.h"
#include "core/run/DayExport.h"

#include <QFile>
#include <QFileInfo>

void exportDayLog(platform::Dialogs& dialogs, platform::RunTools& tools, const QString& logPath) {
    using platform::Icon;
    QFile log(logPath);
    if (logPath.isEmpty() || !log.exists()) {
        dialogs.message(QStringLiteral("There is no log file to export: ") + logPath,
                        platform::kAppTitle, Icon::Exclamation);
        return;
    }
    if (!log.open(QIODevice::ReadOnly)) {
        dialogs.message(QStringLiteral("The log file ") + logPath +
                            QStringLiteral(" cannot be read: ") + log.errorString(),
                        platform::kAppTitle, Icon::Exclamation);
        return;
    }
    const QByteArray bytes = log.readAll();
    if (log.error() != QFileDevice::NoError) {
        dialogs.message(QStringLiteral("The log file ") + logPath +
                            QStringLiteral(" could not be read to its end: ") + log.errorString(),
                        platform::kAppTitle, Icon::Exclamation);
        return;
    }
    log.close();
    const review::LoggedRunCount count = review::countLoggedRuns(bytes);
    if (count.runs == 0 && count.runLines > 0) {
        dialogs.message(QStringLiteral("The log file ") + logPath +
                            QStringLiteral(" holds %1 run line%2, but none of them can be read "
                                           "as a run entry; nothing was exported.")
                                .arg(count.runLines)
                                .arg(count.runLines == 1 ? QString() : QStringLiteral("s")),
                        platform::kAppTitle, Icon::Exclamation);
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
                            platform::kAppTitle, Icon::Exclamation);
            return;
        }
        const platform::Answer answer = dialogs.message(platform::MessageBoxRequest{
            target + QStringLiteral(" already exists. Replace it?"), platform::kAppTitle,
            platform::Buttons::YesNo, Icon::Question, platform::Answer::No});
        if (answer != platform::Answer::Yes)
            return;
    }
    if (const auto error = tools.exportDay(bytes, target)) {
        dialogs.message(QStringLiteral("The export could not be written to ") + target +
                            QStringLiteral(": ") + *error,
                        platform::kAppTitle, Icon::Exclamation);
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
                        platform::kAppTitle, Icon::Exclamation);
    else
        dialogs.message(QStringLiteral("The day's runs were exported to ") + target,
                        platform::kAppTitle, Icon::Information);
}
