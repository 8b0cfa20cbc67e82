#pragma once
// The test camera's frame-number pattern (core/engine/FramePattern.h) drawn onto pictures and read
// back from decoded ones, so that tests prove which frame a picture is.
#include <QImage>
#include <optional>

namespace testsupport {

// Paints the pattern of `number` onto `image` (any format QPainter can paint on).
void drawFrameNumber(QImage& image, int number);

// Reads the number back from a picture of any size and format; nullopt when the pattern is not
// there (no contrast between the sync cells, an ambiguous cell or a parity mismatch).
std::optional<int> readFrameNumber(const QImage& image);

} // namespace testsupport
