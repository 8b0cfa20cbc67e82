#pragma once
// The stored settings: application "SKV04", section "Settings", keys compared without case.
// Every value is text; numeric reads convert it here so that a damaged or hand-edited value
// never stops the program.
#include <QString>
#include <optional>

namespace ports {
class SettingsStore;
class Dialogs;
} // namespace ports

namespace app::settings {

inline const QString kPauseTime = QStringLiteral("pauseTime");
inline const QString kLogPath = QStringLiteral("logpath");
inline const QString kLogFile = QStringLiteral("logfile");
inline const QString kBarefoot = QStringLiteral("barefoot");
inline const QString kCompression = QStringLiteral("compression");
inline const QString kDevice = QStringLiteral("device");
inline const QString kFrameRate = QStringLiteral("framerate");
inline const QString kVideoResolution = QStringLiteral("VideoResolution");
inline const QString kVideoResolutionWritten = QStringLiteral("videoresolution");
inline const QString kColorFormat = QStringLiteral("ColorFormat");
inline const QString kVideoInput = QStringLiteral("VideoInput");
// The sound source by its name as listed ("None" for no sound); absent at the first start.
inline const QString kAudioDevice = QStringLiteral("audiodevice");

// The stored text, or `defaultValue` when the key is absent.
QString readText(ports::SettingsStore& store, const QString& key,
                 const QString& defaultValue = QString());

// A 16-bit integer read (halves to even). The default is used when the key is absent. A stored
// text that is not a number or does not fit 16 bits gives an empty result; the caller decides
// what that means.
std::optional<qint16> readInt16(ports::SettingsStore& store, const QString& key,
                                qint16 defaultValue);
// As readInt16, with `fallback` for a text that is not a usable number.
qint16 readInt16Or(ports::SettingsStore& store, const QString& key, qint16 defaultValue,
                   qint16 fallback);

// A stored list position: below 0 (or unusable) or beyond a list of `count` entries selects
// entry 0 when `negativeSelectsFirst`, otherwise gives -1 (leave the list as it is and keep the
// stored value: another camera may have that entry).
int readListPosition(ports::SettingsStore& store, const QString& key, int count,
                     bool negativeSelectsFirst);

// "pauseTime" as a double (locale's number format, a point accepted too); 0 when absent or
// not a number.
double readPauseTime(ports::SettingsStore& store);

// Stored frame rate: the 16-bit value of "framerate", or 0 when absent, not a number or out of
// range (0 means: show the capture control's own rate).
qint16 readFrameRate(ports::SettingsStore& store);

// False when the store could not make the value durable.
bool write(ports::SettingsStore& store, const QString& key, const QString& value);

// The emergency parameter reset offered at every start: two Yes/No questions, then one
// question per key, each answered Yes writing the install value.
void EmergencyParameterReset(ports::SettingsStore& store, ports::Dialogs& dialogs);

} // namespace app::settings
