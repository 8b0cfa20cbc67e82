#pragma once
// Text in seven-segment characters drawn as solid rectangles: big, plain shapes that survive
// Motion JPEG, H.264 and scaling, so that people read them at a glance and tests read them back
// by sampling the segments (tests/support/core/SegmentTextCheck.h). Used by the test camera's
// frame number and the pass clip's clock.
#include <QRect>
#include <QString>
#include <vector>

namespace engine {

struct SegmentRect {
    QRect rect;
    bool lit = false; // a segment (true) or the backing behind the text (false)
};

// The backing rectangle, then one rectangle per lit segment, for `text` with its top-left at
// (x, y) and characters `h` pixels high. Characters: 0-9, '-', '.', ' ', and the letters
// E, n, d, F, r (any other character draws as '-').
std::vector<SegmentRect> segmentTextRects(const QString& text, int x, int y, int h);

// Width in pixels of `text` at height `h` (the backing included).
int segmentTextWidth(const QString& text, int h);

} // namespace engine
