#pragma once
// The run tools on the FFmpeg engines: the repair copy, the pass clip and the day's export.
#include "core/ports/RunTools.h"

namespace adapters {

class AvRunTools : public ports::RunTools {
public:
    ports::ToolResult repairCopy(const QString& run, const std::atomic<bool>& cancel) override;
    ports::ToolResult writePassClip(const ports::PassMarks& marks,
                                    const ports::ToolProgress& progress) override;
    std::optional<QString> exportDay(const QByteArray& log, const QString& target) override;
};

} // namespace adapters
