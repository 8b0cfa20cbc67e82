#pragma once
// The contents of a settings dialog as plain values: what can be adjusted, in which range, and
// its value now. The engine says what is in a dialog; the screen side shows it and hands every
// change back by the setting's id.
#include <QString>
#include <vector>

namespace engine {

struct Setting {
    // How the value is adjusted. Every capture setting is a whole number in a range (a slider).
    enum class Kind { Range };

    QString id;    // names the setting to its owner ("camera/9963776", "effect/0", ...)
    QString group; // heading above it ("Camera", "Test camera", an effect's name, ...)
    QString label;
    int min = 0;
    int max = 100;
    int value = 0;
    Kind kind = Kind::Range;
    bool operator==(const Setting&) const = default;
};

struct SettingList {
    QString title; // the dialog's title
    std::vector<Setting> settings;
};

} // namespace engine
