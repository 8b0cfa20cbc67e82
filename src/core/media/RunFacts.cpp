#include "core/media/RunFacts.h"

#include "core/media/AviInfo.h"
#include "core/media/RiffReader.h"

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
    return facts;
}

} // namespace media
