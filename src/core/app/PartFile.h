#pragma once
// A file being written under a temporary name beside its final one: removed when the owner goes
// without release(), so a failed or cancelled write never leaves half a file behind.
#include <QFile>
#include <QString>

namespace app {

class PartFile {
public:
    // Removes a leftover of an earlier, interrupted write of the same name.
    explicit PartFile(QString path) : m_path(std::move(path)) { QFile::remove(m_path); }
    ~PartFile() {
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    const QString& path() const { return m_path; }
    // The file was renamed into place: nothing to remove.
    void release() { m_path.clear(); }

private:
    QString m_path;
};

} // namespace app
