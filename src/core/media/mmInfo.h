#pragma once
// Questions about a video file: is it a RIFF AVI file, and what does its file information say.
// Every procedure takes the full path, opens the file afresh and keeps no state between calls.
// Failures are reported in message boxes through `dialogs` and end in false, 0 or an empty text;
// nothing is thrown to the caller.
#include "core/media/AviInfo.h"
#include "core/ports/Dialogs.h"

#include <QString>
#include <cstdint>

namespace media {

// True for a file that starts with "RIFF" and has the form type "AVI " at offset 8. A missing
// file shows "File does not exist:" + CR LF + path; a file we may not open shows "File is
// locked - cannot access:" + CR LF + path (stop icon); another open failure shows the system's
// description of the error (information icon). Other content gives false without a message.
bool IsAviFile(const QString& path, ports::Dialogs& dialogs);

// IsAviFile and ReadAviInfo from one open of the file and one parse of its headers, with the
// same messages: what a caller that checks a file and then shows its information needs.
struct AviFileRead {
    bool isAvi = false;  // IsAviFile's answer
    bool readOk = false; // ReadAviInfo's answer (false when not an AVI file; no message then)
    AviFileInfo record;  // valid when readOk
};
AviFileRead ReadAviFile(const QString& path, ports::Dialogs& dialogs);

// Fills `record` from the file's headers. An open failure, or a file that is not a RIFF AVI
// file, shows "Unable to open file:" + CR LF + path; headers that cannot be read show "Unable to
// read AVI file info from:" + CR LF + path (stop icon, OK, application title). `record` is
// changed only on success.
bool ReadAviInfo(const QString& path, AviFileInfo& record, ports::Dialogs& dialogs);

// The value procedures: each reads the record afresh; 0, an empty text or false when it cannot
// be read (after ReadAviInfo's message). Values are the record's unsigned 32-bit fields, so
// callers that keep 16-bit frame numbers clamp them.
std::uint32_t AviWidth(const QString& path, ports::Dialogs& dialogs);
std::uint32_t AviHeight(const QString& path, ports::Dialogs& dialogs);
std::uint32_t AviLength(const QString& path, ports::Dialogs& dialogs);
// rate / scale rounded to the nearest integer, halves to even; 0 when the scale is 0.
std::uint32_t AviFrameRate(const QString& path, ports::Dialogs& dialogs);
// Whole frames per second of a record (rate / scale rounded half-even; 0 without a scale).
std::uint32_t aviFrameRateOf(const AviFileInfo& record);
// The file type text up to the first NUL; empty when the 64 characters hold no NUL.
QString AviFileType(const QString& path, ports::Dialogs& dialogs);
bool AviIsCompressed(const QString& path, ports::Dialogs& dialogs); // "no compression" clear
bool AviAllKeyFrames(const QString& path, ports::Dialogs& dialogs);
bool AviCanRead(const QString& path, ports::Dialogs& dialogs);
bool AviCanWrite(const QString& path, ports::Dialogs& dialogs);
bool AviHasIndex(const QString& path, ports::Dialogs& dialogs);
bool AviMustUseIndex(const QString& path, ports::Dialogs& dialogs);
bool AviIsInterleaved(const QString& path, ports::Dialogs& dialogs);
bool AviWasCaptureFile(const QString& path, ports::Dialogs& dialogs);
bool AviIsCopyrighted(const QString& path, ports::Dialogs& dialogs);

// The message box for a failure to open `path` for reading with the system error `error`.
ports::MessageBoxRequest openFailureBox(int error, const QString& path);

} // namespace media
