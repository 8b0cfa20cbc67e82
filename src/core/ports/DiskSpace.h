#pragma once
#include <QString>
#include <optional>

namespace ports {

class DiskSpace {
public:
    virtual ~DiskSpace() = default;
    // Bytes of the volume holding `path`: kind 0 = total free bytes (not the user's share),
    // kind 1 = total size. Empty when the volume cannot be queried.
    virtual std::optional<quint64> FreeDiskSpace(const QString& path, int kind) = 0;
    // The name shown for the volume holding `path` (the mount point on POSIX, "D:" on Windows).
    virtual QString volumeName(const QString& path) = 0;
};

} // namespace ports
