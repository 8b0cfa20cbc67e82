#pragma once
// The command line of skivane and skivane-info, in the usual GNU form: --help and --version
// print to standard output and end with status 0; an option that neither the program nor Qt
// knows gives one line on standard error and status 2.
#include <QString>
#include <QStringList>
#include <span>
#include <utility>
#include <vector>

namespace app {

// The program's version: the CMake project version, the same as the package's.
QString programVersion();

struct ProgramOption {
    const char* name;        // "--repair", or a short "-h"
    bool takesValue = false; // "--repair FILE" or "--repair=FILE"
};

struct ParsedCommandLine {
    std::vector<std::pair<QString, QString>> options; // the program's own, in order, with values
    QStringList operands;                             // the words that are no option
    QString error; // one line for standard error when the words cannot be used, else empty

    bool has(const QString& name) const;
    QString value(const QString& name) const;
};

// Sorts `words` (the arguments after the program name). With `qtOptions`, the options Qt's
// application object takes for itself (-platform NAME, -style=NAME, -reverse, ...; one dash or
// two, as Qt accepts) are passed over with their values, for Qt to use. "--" ends the options;
// "-" alone is an operand.
ParsedCommandLine parseCommandLine(const QString& program, const QStringList& words,
                                   std::span<const ProgramOption> options, bool qtOptions);

// The words after the program name of a C command line, in the locale's encoding.
QStringList commandLineWords(int argc, char** argv);

// "<program> (Skivane) <version>", then the copyright and licence lines, each ended by '\n'.
QString versionText(const QString& program);

// "<program>: <what>; try '<program> --help'": the one line of a usage error.
QString usageError(const QString& program, const QString& what);

} // namespace app
