#pragma once
// Captions and read-outs that must show whole inside the control the design gives them: when a
// text does not fit at the design size (a face wider than the design's), its font is made
// smaller, a quarter point at a time, until it fits. Text is never cut.
class QWidget;

namespace fit {

// True when the widget's text (label, button, check box or panel title) shows whole.
bool captionFits(const QWidget& widget);
// Shrinks the widget's font from its design size until its text fits (never below 5 pt).
// Run again after the text changes: it starts from the design size each time.
void fitCaption(QWidget& widget);
// fitCaption for every label, button, check box and panel inside `window`.
void fitCaptions(QWidget& window);

} // namespace fit
