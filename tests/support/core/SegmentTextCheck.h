#pragma once
// Reads seven-segment text (core/engine/SegmentText.h) back from a picture.
#include <QImage>
#include <QString>

namespace testsupport {

// True when every segment of `text` at (x, y, h) is bright on `image` and every segment the text
// leaves dark is dark: the picture shows exactly that text there.
bool showsSegmentText(const QImage& image, const QString& text, int x, int y, int h);

} // namespace testsupport
