#include "support/core/SegmentTextCheck.h"

#include "core/engine/SegmentText.h"
#include "support/core/Luma.h"

#include <algorithm>
#include <vector>

namespace testsupport {

namespace {

// Mean luma of the middle of `r` (away from the edges compression blurs, and where segments
// that overlap at their ends stay apart); -1 when it lies outside the picture.
int coreLuma(const QImage& image, const QRect& r) {
    return meanLuma(image,
                    r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4));
}

// The lit rectangles of `text` drawn at (x, y, h), the backing left out.
std::vector<QRect> litRects(const QString& text, int x, int y, int h) {
    std::vector<QRect> out;
    for (const engine::SegmentRect& r : engine::segmentTextRects(text, x, y, h))
        if (r.lit)
            out.push_back(r.rect);
    return out;
}

} // namespace

bool showsSegmentText(const QImage& image, const QString& text, int x, int y, int h) {
    const int start = engine::segmentTextWidth(QString(), h);
    for (int i = 0; i < text.size(); ++i) {
        const int cx = x + engine::segmentTextWidth(text.left(i), h) - start;
        const std::vector<QRect> lit = litRects(QString(text[i]), cx, y, h);
        for (const QRect& r : lit) {
            const int luma = coreLuma(image, r);
            if (luma < 160)
                return false;
        }
        if (text[i] == QLatin1Char('.'))
            continue;
        // An '8' lights all seven segments: those this character leaves dark must be dark.
        for (const QRect& r : litRects(QStringLiteral("8"), cx, y, h)) {
            if (std::find(lit.begin(), lit.end(), r) != lit.end())
                continue;
            const int luma = coreLuma(image, r);
            if (luma < 0 || luma > 96)
                return false;
        }
    }
    return true;
}

} // namespace testsupport
