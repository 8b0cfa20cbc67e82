#pragma once
// Free disk space with scripted numbers (a test cannot fill a disk). Records the paths asked.
#include "core/ports/DiskSpace.h"

#include <QStringList>

namespace testsupport {

class FakeDiskSpace : public ports::DiskSpace {
public:
    std::optional<quint64> FreeDiskSpace(const QString& path, int kind) override {
        asked << path;
        return kind == 0 ? freeBytes : totalBytes;
    }
    QString volumeName(const QString& path) override {
        asked << path;
        return volume;
    }

    std::optional<quint64> freeBytes = quint64(50) * 1024 * 1024 * 1024;
    std::optional<quint64> totalBytes = quint64(500) * 1024 * 1024 * 1024;
    QString volume = QStringLiteral("/");
    QStringList asked;
};

} // namespace testsupport
