#include "core/app/AppFolder.h"

#include "core/app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

namespace {

const QString kManual = QStringLiteral("SKV04Manual.rtf");

QString clean(const QString& path) {
    return withoutTrailingSeparator(QDir::toNativeSeparators(QDir::cleanPath(path)));
}

bool holdsManual(const QString& dir) {
    return !dir.isEmpty() && QFileInfo(QDir(dir).filePath(kManual)).isFile();
}

// Copies each shipped file that `target` lacks from the first source folder that has it.
// Copies go through a temporary name so that a half-copied file is never taken for whole.
void fillMissing(const QString& target, const QStringList& sources) {
    const QDir to(target);
    for (const QString& name : shippedAppFiles()) {
        const QString dest = to.filePath(name);
        if (QFileInfo::exists(dest))
            continue;
        for (const QString& from : sources) {
            if (from.isEmpty())
                continue;
            const QString src = QDir(from).filePath(name);
            if (!QFileInfo(src).isFile() || QFileInfo(src) == QFileInfo(dest))
                continue;
            const QString temp = dest + QStringLiteral(".part");
            QFile::remove(temp);
            if (QFile::copy(src, temp) && QFile::rename(temp, dest))
                break;
            QFile::remove(temp);
        }
    }
}

} // namespace

QStringList shippedAppFiles() {
    return {QStringLiteral("StartSound.wav"), QStringLiteral("StopSound.wav"), kManual};
}

QString resolveAppFolder(const AppFolderSources& s, QString* error) {
    QStringList sources;
    if (holdsManual(s.exeDir))
        sources << s.exeDir;
    sources << s.shareDirs;

    QString folder;
    if (!s.envOverride.isEmpty()) {
        folder = s.envOverride;
    } else if (holdsManual(s.exeDir)) {
        return clean(s.exeDir);
    } else {
        folder = s.userDataDir;
    }
    if (folder.isEmpty()) // no per-user folder known: the executable's folder is all there is
        return clean(s.exeDir);

    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("The application folder %1 could not be created.")
                         .arg(QDir::toNativeSeparators(folder));
        return clean(folder);
    }
    fillMissing(folder, sources);
    return clean(folder);
}

AppFolderSources systemAppFolderSources() {
    AppFolderSources s;
    s.envOverride = qEnvironmentVariable("SKIVANE_APP_DIR");
    s.exeDir = QCoreApplication::applicationDirPath();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty())
        s.userDataDir = QDir(dataHome).filePath(QStringLiteral("skivane"));
    s.shareDirs << QDir::cleanPath(s.exeDir + QStringLiteral("/../share/skivane"));
    for (const QString& d : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        if (d != dataHome)
            s.shareDirs << QDir(d).filePath(QStringLiteral("skivane"));
    return s;
}

} // namespace app
