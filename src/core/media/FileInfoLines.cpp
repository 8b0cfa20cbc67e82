#include "core/media/FileInfoLines.h"

#include "core/media/mmInfo.h"

namespace media {

namespace {
QString yesNo(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
} // namespace

QStringList FileInfoLines(const QString& path, ports::Dialogs& dialogs) {
    // One read of the headers for every line: a damaged file gives one message, not one a line.
    AviFileInfo record;
    const bool ok = ReadAviInfo(path, record, dialogs);
    return FileInfoLines(path, ok ? &record : nullptr);
}

QStringList FileInfoLines(const QString& path, const AviFileInfo* read) {
    const bool ok = read != nullptr;
    const AviFileInfo record = ok ? *read : AviFileInfo{};
    auto number = [&](std::uint32_t value) { return QString::number(ok ? value : 0); };
    auto caps = [&](std::uint32_t bit) { return yesNo(ok && (record.dwCaps & bit) != 0); };
    auto flags = [&](std::uint32_t bit) { return yesNo(ok && (record.dwFlags & bit) != 0); };
    QStringList lines;
    lines << QStringLiteral("Filename: ") + path;
    lines << QStringLiteral("File Type: ") + (ok ? aviFileTypeText(record) : QString());
    lines << QStringLiteral("Height: ") + number(record.dwHeight);
    lines << QStringLiteral("Width: ") + number(record.dwWidth);
    lines << QStringLiteral("Length: ") + number(record.dwLength) + QStringLiteral(" frames");
    lines << QStringLiteral("Rate: ") + number(ok ? aviFrameRateOf(record) : 0) +
                 QStringLiteral("fps");
    lines << QString();
    lines << QStringLiteral("=== dwCaps ===");
    lines << QStringLiteral("Compressed: ") + yesNo(ok && (record.dwCaps & kAviNoCompression) == 0);
    lines << QStringLiteral("All Key Frames: ") + caps(kAviAllKeyFrames);
    lines << QStringLiteral("Can Read: ") + caps(kAviCanRead);
    lines << QStringLiteral("Can Write: ") + caps(kAviCanWrite);
    lines << QString();
    lines << QStringLiteral("=== dwFlags ===");
    lines << QStringLiteral("Contains Copyright Info: ") + flags(kAviCopyrighted);
    lines << QStringLiteral("Capture File: ") + flags(kAviWasCaptureFile);
    lines << QStringLiteral("Has Index: ") + flags(kAviHasIndex);
    lines << QStringLiteral("Must Use Index: ") + flags(kAviMustUseIndex);
    lines << QStringLiteral("Interleaved: ") + flags(kAviIsInterleaved);
    return lines;
}

} // namespace media
