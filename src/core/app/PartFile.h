#pragma once
// A file being written under a temporary name beside its final one: removed when the owner goes
// without release(), so a failed or cancelled write never leaves half a file behind. A write cut
// off by a crash leaves its part file: removeLeftoverParts() finds such files by their names.
#include <QFile>
#include <QString>

namespace app {

// The temporary name of `target` while it is written: hidden, beside it, the extension kept last
// so that writers that pick a format by the name still do ("Annpass1-pass.mp4" is written as
// ".Annpass1-pass.part.mp4").
QString partPathFor(const QString& target);

// Removes the part files that writes of the run tools (repaired copies "<run>-repaired.avi",
// pass clips "<run>-pass[-N].mp4/.avi") left in `folder` when they were cut off; only those of
// the run named `runBase` (its file name without ".avi") when it is given. Returns the paths
// removed. No other program writes there meanwhile: one program runs at a time.
QStringList removeLeftoverParts(const QString& folder, const QString& runBase = QString());

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
