#pragma once
// Screen geometry is designed in twips (1/1440 inch); 15 twips make one logical pixel at 96 dpi.
#include <QRect>

namespace app {

constexpr int twipsToPixels(int twips) {
    return twips / 15;
}

inline QRect twips(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

} // namespace app
