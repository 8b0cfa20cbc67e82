#include "ui/screens/ExportDay.h"

#include "core/ports/Dialogs.h"
#include "core/ports/RunTools.h"

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
    dialogs.message(QStringLiteral("The day's runs were exported to ") + target,
                    platform::kAppTitle, Icon::Information);
}
