#pragma once
// Quiet checks of a run's files, for decisions the operator is told about in the program's own
// words: how many frames the video holds, and whether it was cut off before its end (a crash, a
// power loss, a full disk: the AVI has no index, or its timing record has no end line). No box
// is shown here; a file that cannot be read is no finding.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace media {

// The frames the AVI at `path` holds (its file information length); nullopt when it is no AVI
// file or its headers cannot be read.
std::optional<std::uint32_t> recordedFrames(const QString& path);

// True when `path` is an AVI file whose headers read but which has no index.
bool aviLacksIndex(const QString& path);
// True when the run's timing record (`<path>.timing`) exists and has no end line.
bool timingRecordOpen(const QString& path);

struct CutOffRun {
    QString path;
    QDateTime modified;
    bool noIndex = false;    // the AVI has no index
    bool recordOpen = false; // the timing record has no end line
};

// The runs in `folder` (its "*.avi" files, not the repaired copies and clips the program makes)
// last modified on `day` that were cut off, oldest first. A run already dealt with is left out:
// one that was marked since (it has its ".info") or that has a repaired copy.
std::vector<CutOffRun> findCutOffRuns(const QString& folder, const QDate& day);

} // namespace media
