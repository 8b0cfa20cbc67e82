#include "support/core/FrameNumbers.h"

#include "core/engine/FramePattern.h"
#include "support/core/Luma.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>

namespace testsupport {

namespace {

// The band's cells follow the backing strip in frameNumberRects: sync white, sync black, 16 bits
// from the highest down, the two parity cells, a black end cell.
constexpr int kCells = 21;
constexpr int kBits = 16;

// Reads the band as drawn on a picture of `drawn` size and then scaled to `image`'s size.
std::optional<int> readAs(const QImage& image, QSize drawn) {
    const std::vector<engine::PatternRect> layout = engine::frameNumberRects(drawn, 0);
    if (layout.size() < 1 + kCells)
        return std::nullopt;
    const double sx = double(image.width()) / drawn.width();
    const double sy = double(image.height()) / drawn.height();
    int values[kCells];
    for (int i = 0; i < kCells; ++i) {
        // The middle half of the cell: clear of compression ringing and scaling blur.
        const QRect c = layout[size_t(1 + i)].rect;
        const double x = c.x() + c.width() / 4.0;
        const double y = c.y() + c.height() / 4.0;
        const QRect cell(int(std::lround(x * sx)), int(std::lround(y * sy)),
                         std::max(1, int(c.width() / 2.0 * sx)),
                         std::max(1, int(c.height() / 2.0 * sy)));
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
    // The parity and end cells as the camera draws them for that number.
    const auto expected = engine::frameNumberRects(drawn, int(number));
    for (int i = 2 + kBits; i < kCells; ++i)
        if (bits[i] != expected[size_t(1 + i)].white)
            return std::nullopt;
    return int(number);
}

} // namespace

void drawFrameNumber(QImage& image, int number) {
    QPainter p(&image);
    for (const engine::PatternRect& r : engine::frameNumberRects(image.size(), number))
        p.fillRect(r.rect, r.white ? Qt::white : Qt::black);
}

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

} // namespace testsupport
