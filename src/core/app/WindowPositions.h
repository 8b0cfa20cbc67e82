#pragma once
// Where the Capture screen goes: right of the Setup screen, same top. When the two side by side
// would pass the right edge of the screen area, Setup moves to the left edge first; a Capture
// screen that would still start beyond the right edge goes to the left edge.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace app {

struct WindowPositions {
    QPoint setup;   // top-left of the Setup window frame
    QPoint capture; // top-left of the Capture window frame
};

// `setup` is the Setup window's frame, `capture` the Capture window's frame size, `area` the
// available screen area (its left edge counts as 0).
inline WindowPositions placeBeside(const QRect& setup, const QSize& capture, const QRect& area) {
    const int screenLeft = area.left();
    const int screenWidth = area.width();
    int setupLeft = setup.left() - screenLeft;
    if (setupLeft + setup.width() + capture.width() > screenWidth)
        setupLeft = 0;
    int captureLeft = setupLeft + setup.width();
    if (captureLeft > screenWidth)
        captureLeft = 0;
    return {QPoint(screenLeft + setupLeft, setup.top()),
            QPoint(screenLeft + captureLeft, setup.top())};
}

} // namespace app
