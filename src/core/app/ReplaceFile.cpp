#include "core/app/ReplaceFile.h"

#include <QSaveFile>

namespace app {

std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Without a temporary file beside the target QSaveFile would write in place.
    file.setDirectWriteFallback(false);
    // Unbuffered: a short write (disk full) shows in write()'s count.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const QString reason =
            written < 0 ? file.errorString()
                        : QStringLiteral("only %1 of %2 bytes could be written (the disk may be "
                                         "full)")
                              .arg(written)
                              .arg(bytes.size());
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace app
