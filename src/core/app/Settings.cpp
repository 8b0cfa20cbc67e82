#include "core/app/Settings.h"

#include "core/app/TextNumbers.h"
#include "core/ports/Dialogs.h"
#include "core/ports/SettingsStore.h"

#include <QLocale>

namespace app::settings {

QString readText(ports::SettingsStore& store, const QString& key, const QString& defaultValue) {
    return store.ReadSetting(key, defaultValue);
}

std::optional<qint16> readInt16(ports::SettingsStore& store, const QString& key,
                                qint16 defaultValue) {
    return strictToInt16(store.ReadSetting(key, QString::number(defaultValue)));
}

qint16 readInt16Or(ports::SettingsStore& store, const QString& key, qint16 defaultValue,
                   qint16 fallback) {
    return readInt16(store, key, defaultValue).value_or(fallback);
}

int readListPosition(ports::SettingsStore& store, const QString& key, int count,
                     bool negativeSelectsFirst) {
    const qint16 stored = readInt16Or(store, key, -1, -1);
    if (stored < 0)
        return negativeSelectsFirst ? 0 : -1;
    if (stored < count)
        return stored;
    return negativeSelectsFirst ? 0 : -1;
}

double readPauseTime(ports::SettingsStore& store) {
    const QString text = store.ReadSetting(kPauseTime, QStringLiteral("0")).trimmed();
    bool ok = false;
    // The list items are written with a point; a value typed in the locale's form reads too.
    double v = QLocale::c().toDouble(text, &ok);
    if (!ok)
        v = QLocale().toDouble(text, &ok);
    return ok ? v : 0.0;
}

qint16 readFrameRate(ports::SettingsStore& store) {
    return readInt16Or(store, kFrameRate, 0, 0);
}

bool write(ports::SettingsStore& store, const QString& key, const QString& value) {
    return store.WriteSetting(key, value);
}

namespace {
ports::Answer ask(ports::Dialogs& dialogs, const QString& text) {
    return dialogs.message(
        ports::MessageBoxRequest{text, QStringLiteral("Emergency Parameter Reset"),
                                 ports::Buttons::YesNo, ports::Icon::Question, ports::Answer::No});
}
} // namespace

void EmergencyParameterReset(ports::SettingsStore& store, ports::Dialogs& dialogs) {
    if (ask(dialogs, QStringLiteral("Do you want to reset all parameters to install values?")) !=
        ports::Answer::Yes)
        return;
    if (ask(dialogs, QStringLiteral("Are you certain? This means you are crashing and can't "
                                    "operate")) != ports::Answer::Yes)
        return;

    struct Entry {
        QString key;
        QString label;
        QString resetValue;
    };
    const Entry entries[] = {
        {kLogPath, QStringLiteral("Logpath = "), QString()},
        {kBarefoot, QStringLiteral("barefoot = "), QStringLiteral("0")},
        {kCompression, QStringLiteral("compression = "), QStringLiteral("0")},
        {kDevice, QStringLiteral("device = "), QStringLiteral("0")},
        {kFrameRate, QStringLiteral("framerate = "), QStringLiteral("0")},
    };
    for (const Entry& e : entries) {
        const QString value = store.ReadSetting(e.key, QStringLiteral("0"));
        if (ask(dialogs, e.label + value + QStringLiteral(" Clear it?")) != ports::Answer::Yes)
            continue;
        store.WriteSetting(e.key, e.resetValue);
        if (e.key == kLogPath)
            store.WriteSetting(kLogFile, QString());
    }
}

} // namespace app::settings
