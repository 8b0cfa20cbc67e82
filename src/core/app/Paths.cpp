#include "core/app/Paths.h"

namespace app {

QChar nativeSeparator() {
#ifdef Q_OS_WIN
    return u'\\';
#else
    return u'/';
#endif
}

bool isSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

QString withoutTrailingSeparator(const QString& path) {
    if (!path.isEmpty() && path.back() == nativeSeparator())
        return path.left(path.size() - 1);
    return path;
}

QString joinPath(const QString& folder, const QString& name) {
    return folder + nativeSeparator() + name;
}

qsizetype lastSeparator(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path[i]))
            return i;
    return -1;
}

} // namespace app
