#include "core/app/PartFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace app {

QString partPathFor(const QString& target) {
    const QFileInfo info(target);
    return info.dir().filePath(
        QStringLiteral(".%1.part.%2").arg(info.completeBaseName(), info.suffix()));
}

QStringList removeLeftoverParts(const QString& folder, const QString& runBase) {
    // ".<run>-repaired.part.avi", ".<run>-pass.part.mp4", ".<run>-pass-3.part.avi"
    static const QRegularExpression part(
        QStringLiteral("^\\.(.+)-(?:repaired|pass(?:-\\d+)?)\\.part\\.(?:avi|mp4)$"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList removed;
    if (folder.isEmpty())
        return removed;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral(".*.part.*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = part.match(name);
        if (!m.hasMatch() || (!runBase.isEmpty() && m.captured(1) != runBase))
            continue;
        const QString path = dir.filePath(name);
        if (QFile::remove(path))
            removed << path;
    }
    return removed;
}

} // namespace app
