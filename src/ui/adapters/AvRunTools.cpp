#include "ui/adapters/AvRunTools.h"

#include "core/app/ReplaceFile.h"
#include "core/engine/AviRepair.h"
#include "core/engine/PassClip.h"
#include "core/media/RunFacts.h"
#include "core/run/DayExport.h"

namespace adapters {

ports::ToolResult AvRunTools::repairCopy(const QString& run, const std::atomic<bool>& cancel) {
    const engine::RepairResult repaired = engine::repairCopy(run, &cancel);
    ports::ToolResult result;
    result.ok = repaired.ok;
    result.path = repaired.path;
    result.error = repaired.error;
    return result;
}

ports::ToolResult AvRunTools::writePassClip(const ports::PassMarks& marks,
                                            const ports::ToolProgress& progress) {
    engine::PassClipRequest request;
    request.run = marks.run;
    request.startFrame = marks.startFrame;
    request.endFrame = marks.endFrame;
    const engine::PassClipResult clip = engine::writePassClip(request, progress);
    ports::ToolResult result;
    result.ok = clip.ok;
    result.cancelled = clip.cancelled;
    result.path = clip.path;
    result.error = clip.error;
    result.shortfall = clip.shortfall;
    return result;
}

std::optional<QString> AvRunTools::exportDay(const QByteArray& log, const QString& target) {
    return app::replaceFile(target, run::dayCsv(log, media::readRunFacts));
}

} // namespace adapters
