#include "ui/adapters/IniSettingsStore.h"

#include <QSettings>
#include <QStringList>

namespace adapters {

namespace {
const QString kGroup = QStringLiteral("Settings");

QString storedKey(const QString& key) {
    return kGroup + QLatin1Char('/') + key.toLower();
}
} // namespace

IniSettingsStore::IniSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("SKV04"), QStringLiteral("SKV04"))) {}

IniSettingsStore::IniSettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::ReadSetting(const QString& key, const QString& defaultValue) {
    // Picks up changes another copy of the program may have written.
    m_settings->sync();
    const QVariant v = m_settings->value(storedKey(key));
    if (!v.isValid())
        return defaultValue;
    // A value edited by hand as a,b reads back as a list; it is one text to us.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool IniSettingsStore::WriteSetting(const QString& key, const QString& value) {
    m_settings->setValue(storedKey(key), value);
    m_settings->sync();
    m_lastWriteOk = m_settings->status() == QSettings::NoError;
    return m_lastWriteOk;
}

QString IniSettingsStore::fileName() const {
    return m_settings->fileName();
}

} // namespace adapters
