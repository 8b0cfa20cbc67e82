#include "core/run/RunInfo.h"

#include "core/app/TextNumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace run {

namespace {
QString shortWriteReason(const QFileDevice& file, qint64 written, qint64 wanted) {
    if (written < 0 && file.error() != QFileDevice::NoError)
        return file.errorString();
    return QStringLiteral("only %1 of %2 bytes could be written (the disk may be full)")
        .arg(qMax<qint64>(written, 0))
        .arg(wanted);
}
} // namespace

QString infoPath(const QString& videoPath) {
    return videoPath + QStringLiteral(".info");
}

QByteArray infoLine(const QString& videoPath, qint16 startFrame) {
    return (videoPath + u',' + app::SignedNumberText(startFrame)).toLocal8Bit() + "\r\n";
}

std::optional<QString> writeInfoFile(const QString& videoPath, qint16 startFrame) {
    QSaveFile file(infoPath(videoPath));
    // QSaveFile falls back to writing in place when it cannot make a temporary file beside the
    // target; that would defeat the all-or-nothing write.
    file.setDirectWriteFallback(false);
    // Unbuffered: a short write (disk full) shows in write()'s count; a buffered flush that
    // fails is not reported by commit() in every Qt version.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray line = infoLine(videoPath, startFrame);
    const qint64 written = file.write(line);
    if (written != line.size()) {
        const QString reason = shortWriteReason(file, written, line.size());
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

double infoStartFrame(const QByteArray& line) {
    QString text = QString::fromLocal8Bit(line);
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    const qsizetype comma = text.lastIndexOf(u',');
    // Without a comma there is no second field; it reads as 0.
    return comma < 0 ? 0.0 : app::numericValue(text.mid(comma + 1));
}

std::optional<double> readInfoStartFrame(const QString& videoPath) {
    QFile file(infoPath(videoPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Only the first line counts; a runaway file is not read whole.
    const QByteArray line = file.readLine(64 * 1024);
    if (line.isEmpty() && file.error() != QFileDevice::NoError)
        return std::nullopt;
    return infoStartFrame(line);
}

namespace {
std::optional<QString> renameOne(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    // Windows never replaces an existing file on a plain rename.
    QFile file(from);
    if (!file.rename(to))
        return file.errorString();
    return std::nullopt;
#else
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS)
        return QString::fromLocal8Bit(std::strerror(errno));
    // File systems without RENAME_NOREPLACE: a hard link fails when the name is taken.
    if (::link(src.constData(), dst.constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (::unlink(src.constData()) != 0) {
        const int err = errno;
        ::unlink(dst.constData());
        return QString::fromLocal8Bit(std::strerror(err));
    }
    return std::nullopt;
#endif
}
} // namespace

QStringList runCompanions(const QString& videoPath) {
    const QFileInfo video(videoPath);
    const QString prefix = video.fileName() + u'.';
    QStringList companions;
    const QStringList names =
        video.dir().entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names)
        if (name.startsWith(prefix))
            companions << video.dir().filePath(name);
    return companions;
}

bool runNameTaken(const QString& videoPath) {
    return QFileInfo::exists(videoPath) || QFileInfo(videoPath).isSymLink() ||
           !runCompanions(videoPath).isEmpty();
}

std::optional<QString> renameRun(const QString& from, const QString& to) {
    const auto name = [](const QString& path) { return QFileInfo(path).fileName(); };
    if (runNameTaken(to)) {
        const QStringList stale = runCompanions(to);
        return (stale.isEmpty() ? name(to) : name(stale.first())) +
               QStringLiteral(" already exists");
    }
    if (auto error = renameOne(from, to))
        return name(from) + QStringLiteral(" could not be moved: ") + *error;
    std::vector<std::pair<QString, QString>> moved = {{from, to}};
    for (const QString& companion : runCompanions(from)) {
        const QString target = to + companion.mid(from.size());
        if (auto error = renameOne(companion, target)) {
            QString reason = name(companion) + QStringLiteral(" could not be moved to ") +
                             name(target) + QStringLiteral(": ") + *error;
            for (auto it = moved.rbegin(); it != moved.rend(); ++it)
                if (renameOne(it->second, it->first))
                    reason += QStringLiteral("; ") + name(it->second) +
                              QStringLiteral(" could not be moved back to ") + name(it->first);
            return reason;
        }
        moved.emplace_back(companion, target);
    }
    return std::nullopt;
}

} // namespace run
