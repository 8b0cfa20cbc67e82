#include "core/media/mmInfo.h"

#include "core/app/FileExist.h"
#include "core/app/TextNumbers.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace media {

namespace {

ports::MessageBoxRequest stopBox(const QString& text, const QString& path) {
    return ports::MessageBoxRequest{text + QStringLiteral("\r\n") + path, ports::kAppTitle,
                                    ports::Buttons::Ok, ports::Icon::Stop, ports::Answer::Ok};
}

// Whether we could open the file for writing (the "can write" capability).
bool writableByUs(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    return ::access(native.constData(), W_OK) == 0;
}

// The value picked from a freshly read record, or `failed` after ReadAviInfo's message.
template <typename Value, typename Pick>
Value fromRecord(const QString& path, ports::Dialogs& dialogs, Value failed, Pick pick) {
    AviFileInfo record;
    if (!ReadAviInfo(path, record, dialogs))
        return failed;
    return pick(record);
}

bool capsBit(const QString& path, ports::Dialogs& dialogs, std::uint32_t bit) {
    return fromRecord(path, dialogs, false,
                      [bit](const AviFileInfo& r) { return (r.dwCaps & bit) != 0; });
}

bool flagsBit(const QString& path, ports::Dialogs& dialogs, std::uint32_t bit) {
    return fromRecord(path, dialogs, false,
                      [bit](const AviFileInfo& r) { return (r.dwFlags & bit) != 0; });
}

} // namespace

ports::MessageBoxRequest openFailureBox(int error, const QString& path) {
    // A file another program holds open without sharing is refused for lack of access.
    if (error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY || error == EAGAIN)
        return stopBox(QStringLiteral("File is locked - cannot access:"), path);
    return ports::MessageBoxRequest{QString::fromLocal8Bit(std::strerror(error)), ports::kAppTitle,
                                    ports::Buttons::Ok, ports::Icon::Information,
                                    ports::Answer::Ok};
}

namespace {

// Opens `file` and tells whether it is a RIFF AVI file, with IsAviFile's messages.
bool openAvi(const QString& path, FileSource& file, ports::Dialogs& dialogs) {
    if (!app::FileIsPresent(path)) {
        dialogs.message(stopBox(QStringLiteral("File does not exist:"), path));
        return false;
    }
    if (const int error = file.open(path); error != 0) {
        dialogs.message(openFailureBox(error, path));
        return false;
    }
    unsigned char tag[4];
    return file.readAt(0, tag, 4) && le32(tag) == fourcc("RIFF") && file.readAt(8, tag, 4) &&
           le32(tag) == fourcc("AVI ");
}

} // namespace

bool IsAviFile(const QString& path, ports::Dialogs& dialogs) {
    FileSource file;
    return openAvi(path, file, dialogs);
}

AviFileRead ReadAviFile(const QString& path, ports::Dialogs& dialogs) {
    AviFileRead read;
    FileSource file;
    read.isAvi = openAvi(path, file, dialogs);
    if (!read.isAvi)
        return read;
    AviFileInfo info;
    if (parseAviInfo(file, writableByUs(path), info) == AviReadStatus::Ok) {
        read.record = info;
        read.readOk = true;
    } else {
        dialogs.message(stopBox(QStringLiteral("Unable to read AVI file info from:"), path));
    }
    return read;
}

bool ReadAviInfo(const QString& path, AviFileInfo& record, ports::Dialogs& dialogs) {
    FileSource file;
    AviReadStatus status = AviReadStatus::NotAvi;
    AviFileInfo info;
    if (file.open(path) == 0)
        status = parseAviInfo(file, writableByUs(path), info);
    switch (status) {
    case AviReadStatus::Ok:
        record = info;
        return true;
    case AviReadStatus::NotAvi:
        dialogs.message(stopBox(QStringLiteral("Unable to open file:"), path));
        return false;
    case AviReadStatus::BadHeaders:
        break;
    }
    dialogs.message(stopBox(QStringLiteral("Unable to read AVI file info from:"), path));
    return false;
}

std::uint32_t AviWidth(const QString& path, ports::Dialogs& dialogs) {
    return fromRecord(path, dialogs, std::uint32_t{0},
                      [](const AviFileInfo& r) { return r.dwWidth; });
}

std::uint32_t AviHeight(const QString& path, ports::Dialogs& dialogs) {
    return fromRecord(path, dialogs, std::uint32_t{0},
                      [](const AviFileInfo& r) { return r.dwHeight; });
}

std::uint32_t AviLength(const QString& path, ports::Dialogs& dialogs) {
    return fromRecord(path, dialogs, std::uint32_t{0},
                      [](const AviFileInfo& r) { return r.dwLength; });
}

std::uint32_t AviFrameRate(const QString& path, ports::Dialogs& dialogs) {
    return fromRecord(path, dialogs, std::uint32_t{0}, aviFrameRateOf);
}

std::uint32_t aviFrameRateOf(const AviFileInfo& r) {
    if (r.dwScale == 0)
        return 0;
    return static_cast<std::uint32_t>(
        app::roundHalfEven(static_cast<double>(r.dwRate) / static_cast<double>(r.dwScale)));
}

QString AviFileType(const QString& path, ports::Dialogs& dialogs) {
    return fromRecord(path, dialogs, QString(), aviFileTypeText);
}

bool AviIsCompressed(const QString& path, ports::Dialogs& dialogs) {
    return fromRecord(path, dialogs, false,
                      [](const AviFileInfo& r) { return (r.dwCaps & kAviNoCompression) == 0; });
}

bool AviAllKeyFrames(const QString& path, ports::Dialogs& dialogs) {
    return capsBit(path, dialogs, kAviAllKeyFrames);
}
bool AviCanRead(const QString& path, ports::Dialogs& dialogs) {
    return capsBit(path, dialogs, kAviCanRead);
}
bool AviCanWrite(const QString& path, ports::Dialogs& dialogs) {
    return capsBit(path, dialogs, kAviCanWrite);
}
bool AviHasIndex(const QString& path, ports::Dialogs& dialogs) {
    return flagsBit(path, dialogs, kAviHasIndex);
}
bool AviMustUseIndex(const QString& path, ports::Dialogs& dialogs) {
    return flagsBit(path, dialogs, kAviMustUseIndex);
}
bool AviIsInterleaved(const QString& path, ports::Dialogs& dialogs) {
    return flagsBit(path, dialogs, kAviIsInterleaved);
}
bool AviWasCaptureFile(const QString& path, ports::Dialogs& dialogs) {
    return flagsBit(path, dialogs, kAviWasCaptureFile);
}
bool AviIsCopyrighted(const QString& path, ports::Dialogs& dialogs) {
    return flagsBit(path, dialogs, kAviCopyrighted);
}

} // namespace media
