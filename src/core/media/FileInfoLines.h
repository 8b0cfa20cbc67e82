#pragma once
// The file information lines of a run, as the Timer & Review screen keeps them in its hidden
// list and as the skivane-info tool prints them.
#include "core/ports/Dialogs.h"

#include <QString>
#include <QStringList>

namespace media {

// The nineteen lines for the file at `path`, in their fixed order. Each value is read by its own
// procedure (the file is opened once per line); failures show their messages through `dialogs`
// and give 0, an empty text or False in their line.
QStringList FileInfoLines(const QString& path, platform::Dialogs& dialogs);

} // namespace media
