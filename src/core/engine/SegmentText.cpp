#include "core/engine/SegmentText.h"

#include <algorithm>

namespace engine {

namespace {

int evenDown(int v) {
    return v & ~1;
}

// Segments a..g as bits 0..6.
unsigned segmentsOf(QChar c) {
    static constexpr unsigned char kDigits[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                  0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int d = c.digitValue();
    if (d >= 0 && d <= 9)
        return kDigits[d];
    switch (c.unicode()) {
    case ' ':
        return 0;
    case 'E':
        return 0x79;
    case 'n':
        return 0x54;
    case 'd':
        return 0x5E;
    case 'F':
        return 0x71;
    case 'r':
        return 0x50;
    default:
        return 0x40; // minus sign: segment g
    }
}

struct Metrics {
    int w = 0;       // character width
    int t = 0;       // segment thickness
    int advance = 0; // character cell
    int dot = 0;     // cell of a '.'
};

Metrics metrics(int h) {
    Metrics m;
    m.w = evenDown(h / 2);
    m.t = std::max(2, evenDown(h / 8));
    m.advance = m.w + 2 * m.t;
    m.dot = 3 * m.t;
    return m;
}

// The seven segments of a character cell at (x, y), whether lit or not.
void cellSegments(QRect (&seg)[7], int x, int y, int h, const Metrics& m) {
    const int w = m.w, t = m.t, half = evenDown(h / 2);
    seg[0] = QRect(x, y, w, t);                       // a
    seg[1] = QRect(x + w - t, y, t, half);            // b
    seg[2] = QRect(x + w - t, y + half, t, h - half); // c
    seg[3] = QRect(x, y + h - t, w, t);               // d
    seg[4] = QRect(x, y + half, t, h - half);         // e
    seg[5] = QRect(x, y, t, half);                    // f
    seg[6] = QRect(x, y + half - t / 2, w, t);        // g
}

} // namespace

int segmentTextWidth(const QString& text, int h) {
    const Metrics m = metrics(h);
    int width = m.t;
    for (QChar c : text)
        width += c == QLatin1Char('.') ? m.dot : m.advance;
    return width;
}

std::vector<SegmentRect> segmentTextRects(const QString& text, int x, int y, int h) {
    const Metrics m = metrics(h);
    std::vector<SegmentRect> out;
    out.push_back({QRect(x - m.t, y - m.t, segmentTextWidth(text, h), h + 2 * m.t), false});
    for (QChar c : text) {
        if (c == QLatin1Char('.')) {
            out.push_back({QRect(x, y + h - m.t, m.t, m.t), true});
            x += m.dot;
            continue;
        }
        QRect seg[7];
        cellSegments(seg, x, y, h, m);
        const unsigned s = segmentsOf(c);
        for (int i = 0; i < 7; ++i)
            if (s & (1u << i))
                out.push_back({seg[i], true});
        x += m.advance;
    }
    return out;
}

} // namespace engine
