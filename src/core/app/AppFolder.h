#pragma once
// The application folder: where the skier list, the start and stop sounds and the manual live.
//
// 1. The environment variable SKIVANE_APP_DIR, when set and not empty, names it (created when
//    missing).
// 2. Otherwise the folder of the executable, when it holds SKV04Manual.rtf (a build tree or a
//    portable copy).
// 3. Otherwise (an installed program, whose folder is not writable) the per-user data folder
//    ~/.local/share/skivane, created when missing.
// In cases 1 and 3 the sounds and the manual that the folder lacks are copied in from the
// executable's folder or the installed share folder (<prefix>/share/skivane). Files already
// there are never replaced.
#include <QString>
#include <QStringList>

namespace app {

// The files the program ships in its application folder.
QStringList shippedAppFiles();

struct AppFolderSources {
    QString envOverride;   // value of SKIVANE_APP_DIR
    QString exeDir;        // folder of the running executable
    QString userDataDir;   // per-user data folder for the program
    QStringList shareDirs; // installed share folders, searched in order
};

// Applies the rule to `sources`. Returns the folder with native separators and no trailing
// separator. When the chosen folder cannot be created, `error` says so and the folder is still
// returned (the program runs; the skier import then reports the failure).
QString resolveAppFolder(const AppFolderSources& sources, QString* error = nullptr);

// The sources of the running program: SKIVANE_APP_DIR, QCoreApplication::applicationDirPath(),
// $XDG_DATA_HOME/skivane (normally ~/.local/share/skivane), <exe>/../share/skivane and the
// system data folders. Needs a QCoreApplication.
AppFolderSources systemAppFolderSources();

} // namespace app
