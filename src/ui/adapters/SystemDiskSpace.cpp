#include "ui/adapters/SystemDiskSpace.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <sys/statvfs.h>

namespace adapters {

namespace {

// The path itself when it exists, else its nearest existing parent; empty when none.
QString existingAncestor(const QString& path) {
    if (path.isEmpty())
        return QString();
    QString p = QDir::cleanPath(QDir::fromNativeSeparators(path));
    for (int guard = 0; guard < 4096; ++guard) {
        if (QFileInfo::exists(p))
            return p;
        const QString parent = QFileInfo(p).path();
        if (parent == p)
            return QString();
        p = parent;
    }
    return QString();
}

} // namespace

std::optional<quint64> SystemDiskSpace::FreeDiskSpace(const QString& path, int kind) {
    if (kind != 0 && kind != 1)
        return std::nullopt;
    const QString p = existingAncestor(path);
    if (p.isEmpty())
        return std::nullopt;
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(p).constData(), &st) != 0)
        return std::nullopt;
    const quint64 unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    const quint64 blocks = kind == 0 ? st.f_bfree : st.f_blocks;
    return blocks * unit;
}

QString SystemDiskSpace::volumeName(const QString& path) {
    const QString p = existingAncestor(path);
    if (p.isEmpty())
        return QString();
    const QStorageInfo info(p);
    if (!info.isValid())
        return QString();
    return QDir::toNativeSeparators(info.rootPath());
}

} // namespace adapters
