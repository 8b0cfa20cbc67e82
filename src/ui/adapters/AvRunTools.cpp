#include "ui/adapters/AvRunTools.h"

#include "core/app/ReplaceFile.h"
#include "core/engine/AviRepair.h"
#include "core/engine/PassClip.h"
#include "core/media/RunFacts.h"
#include "core/run/DayExport.h"

namespace platform {

ToolResult AvRunTools::repairCopy(const QString& run, const std::atomic<bool>& cancel) {
    const av::RepairResult repaired = av::repairCopy(run, &cancel);
    ToolResult result;
    result.ok = repaired.ok;
    result.path = repaired.path;
    result.error = repaired.error;
    return result;
}

ToolResult AvRunTools::writePassClip(const PassMarks& marks, const ToolProgress& progress) {
    av::PassClipRequest request;
    request.run = marks.run;
    request.startFrame = marks.startFrame;
    request.endFrame = marks.endFrame;
    const av::PassClipResult clip = av::writePassClip(request, progress);
    ToolResult result;
    result.ok = clip.ok;
    result.cancelled = clip.cancelled;
    result.path = clip.path;
    result.error = clip.error;
    result.shortfall = clip.shortfall;
    return result;
}

std::optional<QString> AvRunTools::exportDay(const QByteArray& log, const QString& target) {
    return app::replaceFile(target, review::dayCsv(log, media::readRunFacts));
}

} // namespace platform
