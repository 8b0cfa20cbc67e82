#include "core/engine/FramePattern.h"

#include "core/engine/SegmentText.h"

#include <algorithm>

namespace engine {

namespace {

constexpr int kCells = 21;
constexpr int kBits = 16;

int evenDown(int v) {
    return v & ~1;
}

struct BandGeometry {
    int x0 = 0;
    int y0 = 0;
    int cellW = 0;
    int cellH = 0;
    bool valid() const { return cellW >= 4 && cellH >= 4; }
};

// The band of cells for a picture of `size`; a reader finds the cells where frameNumberRects puts
// them for the size the picture was drawn at.
BandGeometry band(QSize size) {
    BandGeometry g;
    g.cellW = evenDown(size.width() * 9 / 10 / kCells);
    g.cellH = evenDown(std::max(8, g.cellW * 3 / 4));
    g.x0 = evenDown((size.width() - kCells * g.cellW) / 2);
    g.y0 = evenDown(size.height() / 24);
    if (g.y0 + g.cellH * 4 > size.height())
        g.cellW = 0;
    return g;
}

bool parity(unsigned v) {
    return __builtin_popcount(v) & 1;
}

// Cell values in order: sync white, sync black, 16 data bits, parity of the even bits, inverted
// parity of the odd bits (so that no number draws an all-black band), a closing black cell (so
// that a mirrored band never reads as a number).
std::vector<bool> cellValues(int number) {
    const unsigned bits = static_cast<unsigned>(number) & 0xFFFFu;
    std::vector<bool> cells;
    cells.reserve(kCells);
    cells.push_back(true);
    cells.push_back(false);
    for (int b = kBits - 1; b >= 0; --b)
        cells.push_back((bits >> b) & 1u);
    cells.push_back(parity(bits & 0x5555u));
    cells.push_back(!parity(bits & 0xAAAAu));
    cells.push_back(false);
    return cells;
}

} // namespace

std::vector<PatternRect> frameNumberRects(QSize size, int number) {
    std::vector<PatternRect> out;
    const BandGeometry g = band(size);
    if (!g.valid())
        return out;
    const int pad = evenDown(std::max(2, g.cellH / 4));
    out.push_back(
        {QRect(g.x0 - pad, g.y0 - pad, kCells * g.cellW + 2 * pad, g.cellH + 2 * pad), false});
    const auto cells = cellValues(number);
    for (int i = 0; i < kCells; ++i)
        out.push_back({QRect(g.x0 + i * g.cellW, g.y0, g.cellW, g.cellH), cells[i]});
    const int digitH = evenDown(g.cellH * 3 / 2);
    for (const SegmentRect& r :
         segmentTextRects(QString::number(number), g.x0 + pad, g.y0 + g.cellH + 3 * pad, digitH))
        out.push_back({r.rect, r.lit});
    return out;
}

} // namespace engine
