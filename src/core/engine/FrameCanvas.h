#pragma once
// Solid rectangles painted straight into the planes of an AVFrame, in the pixel formats the test
// camera produces, so that no per-frame colour conversion is needed.
#include "core/engine/AvPtr.h"

#include <QRect>
#include <QRgb>

namespace engine {

// True for the formats fillRect can paint: yuv420p, yuyv422, bgr24 and bgra.
bool canvasSupports(AVPixelFormat format);

// Fills `rect` (clipped to the frame) with `color`; BT.601 limited range for the YUV formats.
// Horizontal edges of yuv420p/yuyv422 and vertical edges of yuv420p should be even.
void fillRect(AVFrame* frame, QRect rect, QRgb color);

} // namespace engine
