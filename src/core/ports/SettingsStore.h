#pragma once
// Per-user store of named text values. The program uses one application ("SKV04") and one
// section ("Settings"); the implementation fixes both. Keys are compared without regard to case.
#include <QString>

namespace ports {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when the key is absent.
    virtual QString ReadSetting(const QString& key, const QString& defaultValue) = 0;
    // Stores the text (creating the key) and makes it durable before returning: the program can
    // end abruptly at any moment. False when the value could not be made durable (a read-only
    // or full configuration folder).
    virtual bool WriteSetting(const QString& key, const QString& value) = 0;
};

} // namespace ports
