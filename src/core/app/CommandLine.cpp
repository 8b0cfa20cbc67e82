#include "core/app/CommandLine.h"

#include <algorithm>

#ifndef SKIVANE_VERSION
#error "SKIVANE_VERSION (the CMake project version) must be defined for this file"
#endif

namespace app {

namespace {

// Qt's own options, taken by QCoreApplication, QGuiApplication, QApplication and the X11
// platform plugin, and whether each is followed by a value.
struct QtOption {
    const char* name; // without its dash
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"session", true},
    {"display", true},
    {"name", true},
    {"style", true},
    {"stylesheet", true},
    {"qmljsdebugger", true},
    {"reverse", false},
    {"widgetcount", false},
    {"testability", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

// The Qt option `word` names ("-style", "--style", "-style=Fusion"), or null.
const QtOption* qtOption(const QString& word, bool* valueAttached) {
    QString name = word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1);
    *valueAttached = false;
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        name.truncate(equals);
        *valueAttached = true;
    }
    for (const QtOption& o : kQtOptions)
        if (name == QLatin1String(o.name))
            return (*valueAttached && !o.takesValue) ? nullptr : &o;
    return nullptr;
}

} // namespace

QString programVersion() {
    return QStringLiteral(SKIVANE_VERSION);
}

bool ParsedCommandLine::has(const QString& name) const {
    return std::any_of(options.begin(), options.end(),
                       [&](const auto& option) { return option.first == name; });
}

QString ParsedCommandLine::value(const QString& name) const {
    for (const auto& option : options)
        if (option.first == name)
            return option.second;
    return {};
}

ParsedCommandLine parseCommandLine(const QString& program, const QStringList& words,
                                   std::span<const ProgramOption> options, bool qtOptions) {
    ParsedCommandLine parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (optionsEnded || word == QLatin1String("-") || !word.startsWith(QLatin1Char('-'))) {
            parsed.operands.append(word);
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals =
            word.startsWith(QLatin1String("--")) ? word.indexOf(QLatin1Char('=')) : -1;
        const QString name = equals >= 0 ? word.left(equals) : word;
        const auto own = std::find_if(options.begin(), options.end(), [&](const ProgramOption& o) {
            return name == QLatin1String(o.name);
        });
        if (own != options.end()) {
            QString value;
            if (own->takesValue) {
                if (equals >= 0) {
                    value = word.mid(equals + 1);
                } else if (i + 1 < words.size()) {
                    value = words.at(++i);
                } else {
                    parsed.error = usageError(
                        program, QStringLiteral("option '%1' requires an argument").arg(name));
                    return parsed;
                }
            } else if (equals >= 0) {
                parsed.error = usageError(
                    program, QStringLiteral("option '%1' doesn't allow an argument").arg(name));
                return parsed;
            }
            parsed.options.emplace_back(name, value);
            continue;
        }
        bool valueAttached = false;
        if (qtOptions) {
            if (const QtOption* qt = qtOption(word, &valueAttached)) {
                if (qt->takesValue && !valueAttached) {
                    if (i + 1 >= words.size()) {
                        parsed.error = usageError(
                            program, QStringLiteral("option '%1' requires an argument").arg(word));
                        return parsed;
                    }
                    ++i;
                }
                continue;
            }
        }
        parsed.error = usageError(program, QStringLiteral("unrecognized option '%1'").arg(word));
        return parsed;
    }
    return parsed;
}

QStringList commandLineWords(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    return words;
}

QString versionText(const QString& program) {
    return QStringLiteral("%1 (Skivane) %2\n"
                          "Copyright (C) 2026 The Skivane developers\n"
                          "License GPLv3+: GNU GPL version 3 or later "
                          "<https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(program, programVersion());
}

QString usageError(const QString& program, const QString& what) {
    return QStringLiteral("%1: %2; try '%1 --help'").arg(program, what);
}

} // namespace app
