#include "core/engine/TestCamera.h"

#include "core/engine/FrameCanvas.h"
#include "core/engine/FramePattern.h"

#include <QColor>
#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace engine {

const std::vector<QSize>& testCameraSizes() {
    static const std::vector<QSize> sizes{{320, 240}, {640, 480}, {1280, 720}, {1920, 1080}};
    return sizes;
}

const std::vector<ColorFormatInfo>& testCameraFormats() {
    static const std::vector<ColorFormatInfo> formats{{"I420", AV_PIX_FMT_YUV420P},
                                                      {"YUY2", AV_PIX_FMT_YUYV422},
                                                      {"RGB24", AV_PIX_FMT_BGR24},
                                                      {"RGB32", AV_PIX_FMT_BGRA}};
    return formats;
}

TestCameraPicture::TestCameraPicture(QSize size, AVPixelFormat format)
    : m_size(size), m_format(format) {
    m_bufferSize = av_image_get_buffer_size(format, size.width(), size.height(), 32);
    m_pool.reset(av_buffer_pool_init(m_bufferSize, nullptr));
}

FramePtr TestCameraPicture::newFrame() {
    FramePtr f = makeFrame();
    if (!f || !m_pool)
        return nullptr;
    f->buf[0] = av_buffer_pool_get(m_pool.get());
    if (!f->buf[0])
        return nullptr;
    f->format = m_format;
    f->width = m_size.width();
    f->height = m_size.height();
    if (av_image_fill_arrays(f->data, f->linesize, f->buf[0]->data, m_format, f->width, f->height,
                             32) < 0)
        return nullptr;
    return f;
}

namespace {

// Background colour of each channel at a point (u, v in 0..1): channel 2 a colour ramp, 3 colour
// bars, 4 a checkerboard, 5 diagonal stripes.
QColor channelColor(int channel, double u, double v) {
    switch (channel) {
    case 2:
        return QColor::fromHsvF(u * 0.9, 0.6, 0.35 + 0.4 * v);
    case 3: {
        static const QRgb bars[7] = {0xC0C0C0, 0xC0C000, 0x00C0C0, 0x00C000,
                                     0xC000C0, 0xC00000, 0x0000C0};
        return QColor(bars[std::min(6, int(u * 7))]);
    }
    case 4: {
        const bool dark = (int(u * 8) + int(v * 6)) % 2 == 0;
        return dark ? QColor(40, 60, 110) : QColor(200, 170, 60);
    }
    default: {
        const bool band = int((u + v) * 10) % 2 == 0;
        return band ? QColor(150, 40, 40) : QColor(60, 140, 80);
    }
    }
}

} // namespace

void TestCameraPicture::buildBackground(int channel, const TestCameraLook& look) {
    const int w = m_size.width(), h = m_size.height();
    // Drawn once in RGB at a coarse grid of 8x8 blocks, then converted to the camera format.
    FramePtr rgb = makeFrame();
    rgb->format = AV_PIX_FMT_BGRA;
    rgb->width = w;
    rgb->height = h;
    if (av_frame_get_buffer(rgb.get(), 32) < 0)
        return;
    for (int by = 0; by < h; by += 8)
        for (int bx = 0; bx < w; bx += 8) {
            QColor c = channelColor(channel, double(bx) / w, double(by) / h);
            if (look.tint)
                c = QColor::fromHsv((c.hsvHue() < 0 ? 0 : c.hsvHue() + look.tint) % 360,
                                    c.hsvSaturation(), c.value());
            const int d = look.brightness;
            const QRgb px = qRgb(std::clamp(c.red() + d, 0, 255), std::clamp(c.green() + d, 0, 255),
                                 std::clamp(c.blue() + d, 0, 255));
            fillRect(rgb.get(), QRect(bx, by, 8, 8), px);
        }
    m_background = newFrame();
    if (!m_background)
        return;
    SwsPtr sws(sws_getContext(w, h, AV_PIX_FMT_BGRA, w, h, m_format, SWS_POINT, nullptr, nullptr,
                              nullptr));
    if (!sws)
        return;
    sws_scale(sws.get(), rgb->data, rgb->linesize, 0, h, m_background->data,
              m_background->linesize);
    m_backgroundChannel = channel;
    m_backgroundLook = look;
}

FramePtr TestCameraPicture::render(int64_t index, int channel, const TestCameraLook& look) {
    if (!m_background || channel != m_backgroundChannel || !(look == m_backgroundLook))
        buildBackground(channel, look);
    FramePtr f = newFrame();
    if (!f || !m_background)
        return nullptr;
    av_image_copy(f->data, f->linesize, const_cast<const uint8_t**>(m_background->data),
                  m_background->linesize, m_format, f->width, f->height);
    const int w = m_size.width(), h = m_size.height();
    // The moving square: bounces along the bottom, one step per frame.
    const int side = std::max(16, (h / 8) & ~1);
    const int step = std::max(2, (w / 64) & ~1);
    const int travel = std::max(2, w - side);
    int pos = int((index * step) % (2 * travel));
    if (pos > travel)
        pos = 2 * travel - pos;
    fillRect(f.get(), QRect(pos & ~1, (h - side - h / 16) & ~1, side, side), qRgb(240, 240, 240));
    fillRect(f.get(),
             QRect((pos + side / 4) & ~1, (h - side - h / 16 + side / 4) & ~1, side / 2, side / 2),
             qRgb(200, 20, 20));
    for (const PatternRect& r : frameNumberRects(m_size, int(index)))
        fillRect(f.get(), r.rect, r.white ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    f->pts = index;
    return f;
}

void fillTone(int16_t* out, int64_t first, int count, int channels, int rate, int fps) {
    for (int i = 0; i < count; ++i) {
        const int64_t s = first + i;
        // Which frame this sample belongs to: the largest k with k * rate / fps <= s.
        int64_t frame = (s * fps) / rate;
        while (toneSamplesBefore(frame + 1, rate, fps) <= s)
            ++frame;
        while (frame > 0 && toneSamplesBefore(frame, rate, fps) > s)
            --frame;
        const double amp = (frame % fps == 0) ? kToneLoud : kToneQuiet;
        const double phase = 2.0 * M_PI * double((s * kToneFrequencyHz) % rate) / rate;
        const auto v = int16_t(std::lround(amp * 32767.0 * std::sin(phase)));
        for (int c = 0; c < channels; ++c)
            *out++ = v;
    }
}

} // namespace engine
