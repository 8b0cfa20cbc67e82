#pragma once
// Folder separators. Stored paths and the names the program composes use the native separator;
// parsing accepts both "/" and "\".
#include <QString>

namespace app {

// "\" on Windows, "/" elsewhere.
QChar nativeSeparator();
bool isSeparator(QChar c);

// Removes one trailing separator, if there is one ("C:\Runs\" -> "C:\Runs", "/" -> "").
QString withoutTrailingSeparator(const QString& path);

// folder + separator + name; the folder is used as given.
QString joinPath(const QString& folder, const QString& name);

// Position (0-based) of the last separator, or -1.
qsizetype lastSeparator(const QString& path);

} // namespace app
