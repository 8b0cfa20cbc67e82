#include "core/run/ReplayTiming.h"

#include "core/app/TextNumbers.h"

#include <algorithm>
#include <cmath>

namespace run {

namespace {
// Timer intervals come from seconds boxes limited to a few seconds; anything not finite or out
// of reach of a timer is held to a sane range instead of overflowing.
int intervalFrom(double ms) {
    if (!std::isfinite(ms))
        return 300;
    return static_cast<int>(std::clamp(ms, 0.0, 24.0 * 3600 * 1000));
}
} // namespace

Replay beforeStartReplay(qint16 startFrame, double seconds, double framesPerSecond) {
    Replay r;
    r.intervalMs = intervalFrom(std::trunc(seconds * 1000 + 300));
    const double lead = startFrame - seconds * framesPerSecond;
    if (lead > 1) {
        r.selectionStart = lead;
    } else {
        r.selectionStart = 0;
        // With no frame rate the time to the start is unknown: only the slack is waited.
        const double toStart =
            framesPerSecond > 0 ? startFrame / framesPerSecond * 1000 + 300 : 300.0;
        r.intervalMs = intervalFrom(app::roundHalfEven(toStart));
    }
    r.selectionEnd = startFrame == 0 ? 1 : startFrame;
    return r;
}

Replay beforeEndReplay(qint32 endFrame, double seconds, double framesPerSecond) {
    Replay r;
    r.selectionStart = std::max(0.0, endFrame - seconds * framesPerSecond);
    r.selectionEnd = endFrame;
    r.intervalMs = intervalFrom(std::trunc(seconds * 1000 + 1500));
    return r;
}

Replay afterEndReplay(qint32 endFrame, double framesPerSecond) {
    Replay r;
    r.selectionStart = endFrame;
    r.selectionEnd = endFrame + 2 * framesPerSecond;
    r.intervalMs = 2100;
    return r;
}

std::optional<QString> limitedSecondsText(const QString& text, int low, int high) {
    const double value = app::numericValue(text);
    if (value < low)
        return QString::number(low);
    if (value > high)
        return QString::number(high);
    return std::nullopt;
}

} // namespace run
