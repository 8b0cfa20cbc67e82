#include "core/media/RunFileChecks.h"

#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"
#include "core/run/RunInfo.h"
#include "core/run/TimingRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace media {

std::optional<std::uint32_t> recordedFrames(const QString& path) {
    FileSource file;
    AviFileInfo info;
    if (file.open(path) != 0 || parseAviInfo(file, false, info) != AviReadStatus::Ok)
        return std::nullopt;
    return info.dwLength;
}

bool aviLacksIndex(const QString& path) {
    FileSource file;
    AviFileInfo info;
    return file.open(path) == 0 && parseAviInfo(file, false, info) == AviReadStatus::Ok &&
           (info.dwFlags & kAviHasIndex) == 0;
}

bool timingRecordOpen(const QString& path) {
    QFile file(run::timingRecordPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kMostRead = 16 * 1024 * 1024; // a day-long record is far smaller
    const auto record = run::TimingRecord::parse(file.read(kMostRead));
    return record && record->end < 0;
}

std::vector<CutOffRun> findCutOffRuns(const QString& folder, const QDate& day) {
    // What the program writes beside a run and is no run itself.
    static const QRegularExpression madeHere(QStringLiteral("-(?:repaired|pass(?:-\\d+)?)\\.avi$"),
                                             QRegularExpression::CaseInsensitiveOption);
    std::vector<CutOffRun> runs;
    if (folder.isEmpty())
        return runs;
    const QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.avi")}, QDir::Files, QDir::NoSort);
    for (const QFileInfo& f : files) {
        if (madeHere.match(f.fileName()).hasMatch() || f.lastModified().date() != day)
            continue;
        const QString path = f.filePath();
        QString repaired = path;
        repaired.chop(4);
        if (QFileInfo::exists(run::infoPath(path)) ||
            QFileInfo::exists(repaired + QStringLiteral("-repaired.avi")))
            continue;
        CutOffRun run{path, f.lastModified(), aviLacksIndex(path), timingRecordOpen(path)};
        if (run.noIndex || run.recordOpen)
            runs.push_back(std::move(run));
    }
    std::sort(runs.begin(), runs.end(), [](const CutOffRun& a, const CutOffRun& b) {
        return a.modified != b.modified ? a.modified < b.modified : a.path < b.path;
    });
    return runs;
}

} // namespace media
