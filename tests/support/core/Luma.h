#pragma once
// The mean brightness of part of a picture: how tests read patterns back from decoded pictures.
#include <QImage>
#include <QRect>

namespace testsupport {

// Mean luma (0 to 255) of the part of `r` inside `image`; -1 when none of it is.
inline int meanLuma(const QImage& image, const QRect& r) {
    const QRect inside = r.intersected(image.rect());
    long sum = 0, n = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            sum += qGray(image.pixel(x, y));
            ++n;
        }
    return n ? int(sum / n) : -1;
}

} // namespace testsupport
