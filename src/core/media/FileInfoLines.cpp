#include "core/media/FileInfoLines.h"

#include "core/media/mmInfo.h"

namespace media {

namespace {
QString yesNo(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
} // namespace

QStringList FileInfoLines(const QString& path, platform::Dialogs& dialogs) {
    QStringList lines;
    lines << QStringLiteral("Filename: ") + path;
    lines << QStringLiteral("File Type: ") + AviFileType(path, dialogs);
    lines << QStringLiteral("Height: ") + QString::number(AviHeight(path, dialogs));
    lines << QStringLiteral("Width: ") + QString::number(AviWidth(path, dialogs));
    lines << QStringLiteral("Length: ") + QString::number(AviLength(path, dialogs)) +
                 QStringLiteral(" frames");
    lines << QStringLiteral("Rate: ") + QString::number(AviFrameRate(path, dialogs)) +
                 QStringLiteral("fps");
    lines << QString();
    lines << QStringLiteral("=== dwCaps ===");
    lines << QStringLiteral("Compressed: ") + yesNo(AviIsCompressed(path, dialogs));
    lines << QStringLiteral("All Key Frames: ") + yesNo(AviAllKeyFrames(path, dialogs));
    lines << QStringLiteral("Can Read: ") + yesNo(AviCanRead(path, dialogs));
    lines << QStringLiteral("Can Write: ") + yesNo(AviCanWrite(path, dialogs));
    lines << QString();
    lines << QStringLiteral("=== dwFlags ===");
    lines << QStringLiteral("Contains Copyright Info: ") + yesNo(AviIsCopyrighted(path, dialogs));
    lines << QStringLiteral("Capture File: ") + yesNo(AviWasCaptureFile(path, dialogs));
    lines << QStringLiteral("Has Index: ") + yesNo(AviHasIndex(path, dialogs));
    lines << QStringLiteral("Must Use Index: ") + yesNo(AviMustUseIndex(path, dialogs));
    lines << QStringLiteral("Interleaved: ") + yesNo(AviIsInterleaved(path, dialogs));
    return lines;
}

} // namespace media
