#pragma once
// The run tools on the FFmpeg engines: the repair copy, the pass clip and the day's export.
#include "core/ports/RunTools.h"

namespace platform {

class AvRunTools : public RunTools {
public:
    ToolResult repairCopy(const QString& run, const std::atomic<bool>& cancel) override;
    ToolResult writePassClip(const PassMarks& marks, const ToolProgress& progress) override;
    std::optional<QString> exportDay(const QByteArray& log, const QString& target) override;
};

} // namespace platform
