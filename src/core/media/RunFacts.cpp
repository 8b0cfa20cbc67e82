#include "core/media/RunFacts.h"

#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"

namespace media {

review::RecordingExtent readRecordingExtent(const QString& videoPath) {
    review::RecordingExtent extent;
    FileSource file;
    AviFileInfo info;
    if (file.open(videoPath) == 0 && parseAviInfo(file, false, info) == AviReadStatus::Ok &&
        info.dwScale > 0 && info.dwRate > 0) {
        extent.rate = capture::Fraction{info.dwRate, info.dwScale};
        extent.frames = info.dwLength;
    }
    return extent;
}

review::PassWindowCheck passWindowOf(const QString& videoPath, int start, int end) {
    return review::checkPassWindow(review::readTimingRecord(videoPath),
                                   readRecordingExtent(videoPath), start, end);
}

review::RunFacts readRunFacts(const review::LoggedRun& run) {
    const review::RecordingExtent extent = readRecordingExtent(run.videoPath);
    review::RunFacts facts;
    if (extent.rate.num > 0) {
        facts.rate = quint32(extent.rate.num);
        facts.scale = quint32(extent.rate.den);
    }
    facts.integrity = review::checkPassWindow(review::readTimingRecord(run.videoPath), extent,
                                              run.startFrame, run.endFrame)
                          .text;
    return facts;
}

} // namespace media
