#pragma once
// The file information lines of a run, as the Timer & Review screen keeps them in its hidden
// list and as the skivane-info tool prints them.
#include "core/media/AviInfo.h"
#include "core/ports/Dialogs.h"

#include <QString>
#include <QStringList>

namespace media {

// The nineteen lines for the file at `path`, in their fixed order, from one read of its headers.
// A file whose headers cannot be read shows one message through `dialogs` (which file, what is
// wrong) and gives 0, an empty text or False in every value line.
QStringList FileInfoLines(const QString& path, ports::Dialogs& dialogs);

// The same lines from a record already read; nullptr for a file whose headers could not be read.
QStringList FileInfoLines(const QString& path, const AviFileInfo* record);

} // namespace media
