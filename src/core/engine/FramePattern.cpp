#include "core/engine/FramePattern.h"

#include "core/engine/SegmentText.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

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

// Shared by the painter and the reader, so both agree on every picture size.
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

int meanLuma(const QImage& image, const QRect& r) {
    long sum = 0;
    long n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            sum += qGray(image.pixel(x, y));
            ++n;
        }
    return n ? int(sum / n) : 0;
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

void drawFrameNumber(QImage& image, int number) {
    QPainter p(&image);
    for (const PatternRect& r : frameNumberRects(image.size(), number))
        p.fillRect(r.rect, r.white ? Qt::white : Qt::black);
}

namespace {

// Reads the band as drawn on a picture of `drawn` size and then scaled to `image`'s size.
std::optional<int> readAs(const QImage& image, QSize drawn) {
    const BandGeometry g = band(drawn);
    if (!g.valid())
        return std::nullopt;
    const double sx = double(image.width()) / drawn.width();
    const double sy = double(image.height()) / drawn.height();
    int values[kCells];
    for (int i = 0; i < kCells; ++i) {
        // The middle half of the cell: clear of compression ringing and scaling blur.
        const double x = g.x0 + i * g.cellW + g.cellW / 4.0;
        const double y = g.y0 + g.cellH / 4.0;
        const QRect cell(int(std::lround(x * sx)), int(std::lround(y * sy)),
                         std::max(1, int(g.cellW / 2.0 * sx)),
                         std::max(1, int(g.cellH / 2.0 * sy)));
        if (!image.rect().contains(cell))
            return std::nullopt;
        values[i] = meanLuma(image, cell);
    }
    const int white = values[0];
    const int black = values[1];
    if (white - black < 80)
        return std::nullopt;
    const int threshold = (white + black) / 2;
    const int margin = (white - black) / 4;
    bool bits[kCells];
    for (int i = 0; i < kCells; ++i) {
        if (std::abs(values[i] - threshold) < margin)
            return std::nullopt;
        bits[i] = values[i] > threshold;
    }
    unsigned number = 0;
    for (int i = 0; i < kBits; ++i)
        number = (number << 1) | (bits[2 + i] ? 1u : 0u);
    const auto expected = cellValues(int(number));
    if (bits[18] != expected[18] || bits[19] != expected[19] || bits[20])
        return std::nullopt;
    return int(number);
}

} // namespace

std::optional<int> readFrameNumber(const QImage& image) {
    if (image.isNull())
        return std::nullopt;
    // The band is laid out for the size the camera drew it at; a picture may since have been
    // scaled (a preview, a player's window). Try its own size, then the usual camera sizes.
    static const QSize cameraSizes[] = {{320, 240},   {640, 480},  {1280, 720},  {1920, 1080},
                                        {720, 576},   {720, 480},  {352, 288},   {160, 120},
                                        {800, 600},   {1024, 768}, {1280, 1024}, {1600, 1200},
                                        {3840, 2160}, {960, 540},  {854, 480}};
    if (auto n = readAs(image, image.size()))
        return n;
    for (QSize s : cameraSizes)
        if (s != image.size())
            if (auto n = readAs(image, s))
                return n;
    return std::nullopt;
}

} // namespace engine
