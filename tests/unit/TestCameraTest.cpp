#include "core/engine/TestCamera.h"
#include "core/engine/FrameCanvas.h"
#include "support/core/FrameNumbers.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

QImage toImage(const AVFrame* f) {
    QImage img(f->width, f->height, QImage::Format_RGB32);
    SwsPtr sws(sws_getContext(f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                              AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
    uint8_t* dst[4] = {img.bits(), nullptr, nullptr, nullptr};
    int stride[4] = {int(img.bytesPerLine()), 0, 0, 0};
    sws_scale(sws.get(), f->data, f->linesize, 0, f->height, dst, stride);
    return img;
}

} // namespace

TEST(TestCamera, EveryFormatCarriesTheFrameNumber) {
    for (const ColorFormatInfo& format : testCameraFormats())
        for (QSize size : {testCameraSizes().front(), testCameraSizes().back()}) {
            TestCameraPicture camera(size, format.format);
            for (int64_t n : {0, 1, 29, 30, 1000}) {
                FramePtr f = camera.render(n, kTestChannelMin, {});
                ASSERT_TRUE(f);
                EXPECT_EQ(f->pts, n);
                EXPECT_EQ(f->format, format.format);
                EXPECT_EQ(testsupport::readFrameNumber(toImage(f.get())), int(n))
                    << format.name.toStdString() << " " << size.width();
            }
        }
}

TEST(TestCamera, ChannelsLookDifferentAndTheSquareMoves) {
    TestCameraPicture camera(QSize(320, 240), AV_PIX_FMT_BGRA);
    std::vector<QRgb> backgrounds;
    for (int ch = kTestChannelMin; ch <= kTestChannelMax; ++ch) {
        const QImage img = toImage(camera.render(0, ch, {}).get());
        backgrounds.push_back(img.pixel(300, 120));
    }
    for (size_t a = 0; a < backgrounds.size(); ++a)
        for (size_t b = a + 1; b < backgrounds.size(); ++b)
            EXPECT_NE(backgrounds[a], backgrounds[b]) << "channels " << a + 2 << " and " << b + 2;
    // The bottom band (where the square runs) changes from frame to frame.
    const QImage f0 = toImage(camera.render(0, 2, {}).get());
    const QImage f5 = toImage(camera.render(5, 2, {}).get());
    EXPECT_NE(f0.copy(0, 180, 320, 60), f5.copy(0, 180, 320, 60));
    // Brightness lifts the background.
    const QImage bright = toImage(camera.render(0, 2, TestCameraLook{60, 0}).get());
    EXPECT_GT(qGray(bright.pixel(300, 120)), qGray(f0.pixel(300, 120)));
}

TEST(TestTone, SampleNumbersFollowTheFrameClockExactly) {
    // 11025 Hz at 30 fps is 367.5 samples a frame: the split alternates, the sum never drifts.
    EXPECT_EQ(engine::toneSamplesBefore(1, 11025, 30), 367);
    EXPECT_EQ(engine::toneSamplesBefore(2, 11025, 30), 735);
    EXPECT_EQ(engine::toneSamplesBefore(30 * 60, 11025, 30), 11025 * 60);
    // Loud during the first frame of each second, quiet elsewhere.
    const int rate = 8000, fps = 25;
    std::vector<int16_t> s(size_t(rate * 2));
    engine::fillTone(s.data(), 0, rate * 2, 1, rate, fps);
    auto peak = [&](int from, int to) {
        int p = 0;
        for (int i = from; i < to; ++i)
            p = std::max(p, std::abs(int(s[size_t(i)])));
        return p;
    };
    const int frame = rate / fps;
    EXPECT_GT(peak(0, frame), 0.75 * 32767);
    EXPECT_LT(peak(frame, rate), 0.21 * 32767);
    EXPECT_GT(peak(rate, rate + frame), 0.75 * 32767);
    // Stereo carries the same signal on both channels, and a block started mid-way continues it.
    std::vector<int16_t> st(200);
    engine::fillTone(st.data(), 100, 100, 2, rate, fps);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(st[size_t(2 * i)], s[size_t(100 + i)]);
        EXPECT_EQ(st[size_t(2 * i + 1)], s[size_t(100 + i)]);
    }
}
