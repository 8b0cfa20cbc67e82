#pragma once
// TODO(review, temporary): stand-in for src/media until the AVI inspection lands on main.
#include <QString>
#include <QStringList>

namespace platform {
class Dialogs;
}

namespace media {
bool IsAviFile(const QString& path, platform::Dialogs& dialogs);
qint32 AviFrameRate(const QString& path, platform::Dialogs& dialogs);
qint32 AviLength(const QString& path, platform::Dialogs& dialogs);
QStringList AviInfoLines(const QString& path, platform::Dialogs& dialogs);
} // namespace media
