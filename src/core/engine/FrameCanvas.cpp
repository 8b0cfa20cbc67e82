#include "core/engine/FrameCanvas.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

struct Yuv {
    uint8_t y, u, v;
};

Yuv toYuv(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    const int y = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
    const int u = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
    const int v = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
    return {uint8_t(std::clamp(y, 0, 255)), uint8_t(std::clamp(u, 0, 255)),
            uint8_t(std::clamp(v, 0, 255))};
}

} // namespace

bool canvasSupports(AVPixelFormat format) {
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUYV422 ||
           format == AV_PIX_FMT_BGR24 || format == AV_PIX_FMT_BGRA;
}

void fillRect(AVFrame* frame, QRect rect, QRgb color) {
    rect = rect.intersected(QRect(0, 0, frame->width, frame->height));
    if (rect.isEmpty())
        return;
    const int x0 = rect.left(), y0 = rect.top(), w = rect.width(), h = rect.height();
    switch (frame->format) {
    case AV_PIX_FMT_YUV420P: {
        const Yuv c = toYuv(color);
        for (int y = y0; y < y0 + h; ++y)
            std::memset(frame->data[0] + y * frame->linesize[0] + x0, c.y, w);
        const int cx0 = x0 / 2, cy0 = y0 / 2;
        const int cx1 = (x0 + w + 1) / 2, cy1 = (y0 + h + 1) / 2;
        for (int y = cy0; y < cy1; ++y) {
            std::memset(frame->data[1] + y * frame->linesize[1] + cx0, c.u, cx1 - cx0);
            std::memset(frame->data[2] + y * frame->linesize[2] + cx0, c.v, cx1 - cx0);
        }
        break;
    }
    case AV_PIX_FMT_YUYV422: {
        const Yuv c = toYuv(color);
        const int px0 = x0 & ~1;
        const int px1 = (x0 + w + 1) & ~1;
        for (int y = y0; y < y0 + h; ++y) {
            uint8_t* row = frame->data[0] + y * frame->linesize[0];
            for (int x = px0; x < px1; x += 2) {
                uint8_t* p = row + x * 2;
                p[0] = c.y;
                p[1] = c.u;
                p[2] = c.y;
                p[3] = c.v;
            }
        }
        break;
    }
    case AV_PIX_FMT_BGR24:
        for (int y = y0; y < y0 + h; ++y) {
            uint8_t* p = frame->data[0] + y * frame->linesize[0] + x0 * 3;
            for (int x = 0; x < w; ++x, p += 3) {
                p[0] = uint8_t(qBlue(color));
                p[1] = uint8_t(qGreen(color));
                p[2] = uint8_t(qRed(color));
            }
        }
        break;
    case AV_PIX_FMT_BGRA: {
        const uint32_t value = 0xFF000000u | (color & 0xFFFFFFu); // little-endian B,G,R,A
        for (int y = y0; y < y0 + h; ++y) {
            auto* p = reinterpret_cast<uint32_t*>(frame->data[0] + y * frame->linesize[0]) + x0;
            std::fill(p, p + w, value);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace engine
