#include "core/app/FileExist.h"

#include <QFile>
#include <QStorageInfo>
#include <sys/stat.h>

namespace app {

namespace {
bool statPath(const QString& path, struct stat& st) {
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    if (native.contains('\0'))
        return false;
    return ::stat(native.constData(), &st) == 0;
}
} // namespace

bool PathExists(const QString& path, int kind) {
    struct stat st {};
    switch (kind) {
    case 0:
        return statPath(path, st) && S_ISREG(st.st_mode);
    case 1:
        return statPath(path, st) && S_ISDIR(st.st_mode);
    case 2: {
        if (!statPath(path, st) || !S_ISDIR(st.st_mode))
            return false;
        const QStorageInfo info(path);
        return info.isValid() && QFile::encodeName(info.rootPath()) ==
                                     QFile::encodeName(QString(path).replace(u'\\', u'/'));
    }
    default:
        return false;
    }
}

bool FileIsPresent(const QString& path) {
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

} // namespace app
