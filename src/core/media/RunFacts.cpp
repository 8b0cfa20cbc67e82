#include "core/media/RunFacts.h"

#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"

namespace media {

run::RecordingExtent readRecordingExtent(const QString& videoPath) {
    run::RecordingExtent extent;
    FileSource file;
    AviFileInfo info;
    if (file.open(videoPath) == 0 && parseAviInfo(file, false, info) == AviReadStatus::Ok &&
        info.dwScale > 0 && info.dwRate > 0) {
        extent.rate = run::Fraction{info.dwRate, info.dwScale};
        extent.frames = info.dwLength;
    }
    return extent;
}

run::PassWindowCheck passWindowOf(const QString& videoPath, int start, int end) {
    return run::checkPassWindow(run::readTimingRecord(videoPath), readRecordingExtent(videoPath),
                                start, end);
}

run::RunFacts readRunFacts(const run::LoggedRun& run) {
    const run::RecordingExtent extent = readRecordingExtent(run.videoPath);
    run::RunFacts facts;
    if (extent.rate.num > 0) {
        facts.rate = quint32(extent.rate.num);
        facts.scale = quint32(extent.rate.den);
    }
    facts.integrity = run::checkPassWindow(run::readTimingRecord(run.videoPath), extent,
                                           run.startFrame, run.endFrame)
                          .text;
    return facts;
}

} // namespace media
