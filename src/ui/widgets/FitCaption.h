#pragma once
// Captions and read-outs that must show whole inside the control the design gives them: when a
// text does not fit at the design size (a face wider than the design's), its font is made
// smaller, a quarter point at a time, until it fits. Text is never cut, neither by the control's
// edges nor by a sibling control stacked over part of it: the design's own table lets some
// controls overlap (the review screen's path box covers the foot of the caption above it), and
// their positions stay as designed.
#include <QRect>

class QWidget;

namespace widgets {

// The part of `widget` (in its own coordinates) that no visible sibling stacked above it covers:
// the largest rectangle left free; the whole widget when nothing covers it, empty when all is.
QRect uncoveredRect(const QWidget& widget);
// True when the widget's text (label, button, check box or panel title) shows whole, inside the
// part of the widget that no sibling covers.
bool captionFits(const QWidget& widget);
// Shrinks the widget's font from its design size until its text fits (never below 5 pt). A
// label partly covered by a sibling draws its text in the uncovered part (its contents margins
// leave out the rest). Run again after the text changes or a sibling moves: it starts from the
// design size each time.
void fitCaption(QWidget& widget);
// fitCaption for every label, button, check box and panel inside `window`.
void fitCaptions(QWidget& window);

} // namespace widgets
