#pragma once
// Free and total bytes of the volume holding a path, from statvfs; the volume's name is its
// mount point.
#include "core/ports/DiskSpace.h"

namespace adapters {

class SystemDiskSpace : public ports::DiskSpace {
public:
    // Kind 0: all free bytes of the volume (f_bfree, not only the share an unprivileged user
    // may fill); kind 1: its size. A path that does not exist is measured at its nearest
    // existing parent folder.
    std::optional<quint64> FreeDiskSpace(const QString& path, int kind) override;
    QString volumeName(const QString& path) override;
};

} // namespace adapters
