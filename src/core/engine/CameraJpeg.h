#pragma once
// Pictures that come from the camera as JPEGs (Motion JPEG cameras). Such a frame carries the
// camera's JPEG (its opaque_ref) and its size and pixel format, and no pixels until something
// needs them: a Motion JPEG recording writes the JPEG as it came, the live picture decodes only
// the pictures it shows, at the size it shows them.
#include "core/engine/AvPtr.h"

#include <QSize>

namespace engine {

// A frame holding a copy of the JPEG in `data` (the camera's buffer goes back at once).
// nullptr when out of memory.
FramePtr cameraJpegFrame(const uint8_t* data, int size, QSize pictureSize, AVPixelFormat format);
// The camera's JPEG a frame carries; nullptr when it carries none.
const AVBufferRef* cameraJpeg(const AVFrame* frame);
// Drops the JPEG a frame carries (its pixels are about to change).
void dropCameraJpeg(AVFrame* frame);
inline bool hasPixels(const AVFrame* frame) {
    return frame->data[0] != nullptr;
}
// A whole JPEG: starts with SOI and ends with EOI (a camera cut off mid-picture sends less).
bool wholeJpeg(const uint8_t* data, int size);

class JpegDecoder {
public:
    // Decodes the frame's JPEG into the frame itself (its JPEG, pts and time stamps kept); true
    // when the frame has its pixels.
    bool decodeInPlace(AVFrame* frame);
    // The frame's JPEG decoded at 1/2^lowres of its size (0 .. 3); nullptr when it does not
    // decode.
    FramePtr decode(const AVFrame* frame, int lowres);

private:
    FramePtr run(const AVBufferRef* jpeg, int lowres);
    CodecContextPtr m_codec;
    int m_lowres = -1;
};

} // namespace engine
