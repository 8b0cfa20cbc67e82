#include "core/run/RunInfo.h"

#include "core/app/SessionLog.h"
#include "core/app/TextNumbers.h"
#include "core/run/TimingRecord.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace review {

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

std::optional<QString> appendLine(const QString& filePath, const QByteArray& line) {
    const app::LogWrite w = app::appendBytes(filePath, line);
    if (w.ok)
        return std::nullopt;
    return w.error;
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

std::optional<QString> renameNoReplace(const QString& from, const QString& to) {
    if (auto error = renameOne(from, to))
        return error;
    // The timing record follows the recording; one that cannot is kept under the old name.
    if (QFile::exists(capture::timingRecordPath(from)))
        renameOne(capture::timingRecordPath(from), capture::timingRecordPath(to));
    return std::nullopt;
}

} // namespace review
