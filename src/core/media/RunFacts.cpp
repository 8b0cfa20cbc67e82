#include "core/media/RunFacts.h"

#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"
#include "core/run/PassIntegrity.h"

namespace media {

review::RunFacts readRunFacts(const review::LoggedRun& run) {
    review::RunFacts facts;
    FileSource file;
    AviFileInfo info;
    if (file.open(run.videoPath) == 0 && parseAviInfo(file, false, info) == AviReadStatus::Ok &&
        info.dwScale > 0) {
        facts.rate = info.dwRate;
        facts.scale = info.dwScale;
    }
    const review::PassWindowCheck check =
        review::checkPassWindow(run.videoPath, run.startFrame, run.endFrame);
    if (check.haveRecord)
        facts.integrity = check.text;
    return facts;
}

} // namespace media
