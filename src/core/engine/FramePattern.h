#pragma once
// The frame-number pattern of the test camera: a band of 21 big black/white cells near the top of
// the picture (white and black sync cells, the 16-bit number from the highest bit down, two parity
// cells, a black end cell) and the number in seven-segment digits below it. The cells are large and
// fully black or white so the number survives Motion JPEG, H.264 and scaling; tests read it back
// from decoded pictures to prove which frame they hold (tests/support/core/FrameNumbers.h).
#include <QRect>
#include <QSize>
#include <vector>

namespace engine {

struct PatternRect {
    QRect rect;
    bool white = false;
};

// The rectangles that draw `number` (taken modulo 65536 for the cells; digits show it whole) on a
// picture of `size`, in painting order: a backing strip, the 21 cells, the digits' backing and
// segments. All edges are even so that 4:2:0 chroma never straddles a cell.
std::vector<PatternRect> frameNumberRects(QSize size, int number);

} // namespace engine
