#pragma once
// One frame's picture from a frame-exact decoder, for tests that check single frames.
#include "core/engine/FrameDecoder.h"

#include <QImage>

namespace testsupport {

// The picture of frame n (clamped to the file) as `decoder` shows it: its own picture, or, for a
// frame that has none, the picture before it. Null when nothing can be decoded.
QImage frameAt(engine::FrameDecoder& decoder, int n);

} // namespace testsupport
