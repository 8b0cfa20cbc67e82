#pragma once
// The settings store on an INI file: application "SKV04", section "Settings". Keys are stored
// folded to lower case so that "VideoResolution" and "videoresolution" are one entry. Every write
// is flushed to disk before it returns: the program can end abruptly at any moment.
#include "core/ports/SettingsStore.h"

#include <QString>
#include <memory>

class QSettings;

namespace adapters {

class IniSettingsStore : public ports::SettingsStore {
public:
    // The per-user file (~/.config/SKV04/SKV04.ini on Linux).
    IniSettingsStore();
    // An explicit file, for tests and portable copies.
    explicit IniSettingsStore(const QString& iniPath);
    ~IniSettingsStore() override;

    QString ReadSetting(const QString& key, const QString& defaultValue) override;
    bool WriteSetting(const QString& key, const QString& value) override;

    // The file the values live in.
    QString fileName() const;
    // False when the last write could not be flushed to disk.
    bool lastWriteOk() const { return m_lastWriteOk; }

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_lastWriteOk = true;
};

} // namespace adapters
