#include "core/engine/FramePattern.h"
#include "support/core/FrameNumbers.h"

#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

using testsupport::drawFrameNumber;
using testsupport::readFrameNumber;

namespace {

QImage picture(QSize size, int number) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(90, 140, 60)); // a mid-tone background, as a camera picture has
    drawFrameNumber(img, number);
    return img;
}

QImage jpegRoundTrip(const QImage& img, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", quality);
    QImage out;
    out.loadFromData(bytes, "JPEG");
    return out;
}

} // namespace

TEST(FramePattern, ReadsBackEveryNumberAtEveryCameraSize) {
    for (QSize size : {QSize(320, 240), QSize(640, 480), QSize(1280, 720), QSize(1920, 1080)})
        for (int n : {0, 1, 2, 7, 255, 256, 1199, 32767, 32768, 65535}) {
            EXPECT_EQ(readFrameNumber(picture(size, n)), n) << size.width() << " " << n;
        }
    // The cells hold 16 bits; the digits show the whole number.
    EXPECT_EQ(readFrameNumber(picture(QSize(640, 480), 65536 + 5)), 5);
}

TEST(FramePattern, SurvivesHeavyCompressionAndScaling) {
    for (int n : {3, 1000, 43690, 21845}) {
        const QImage img = picture(QSize(640, 480), n);
        EXPECT_EQ(readFrameNumber(jpegRoundTrip(img, 15)), n);
        EXPECT_EQ(
            readFrameNumber(img.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
            n);
        EXPECT_EQ(readFrameNumber(jpegRoundTrip(img.scaled(1280, 960), 30)), n);
        EXPECT_EQ(readFrameNumber(picture(QSize(1920, 1080), n).scaled(853, 480)), n);
    }
}

TEST(FramePattern, RefusesPicturesWithoutAValidPattern) {
    QImage blank(640, 480, QImage::Format_RGB32);
    blank.fill(Qt::gray);
    EXPECT_EQ(readFrameNumber(blank), std::nullopt);
    EXPECT_EQ(readFrameNumber(QImage()), std::nullopt);
    EXPECT_EQ(readFrameNumber(QImage(8, 8, QImage::Format_RGB32)), std::nullopt);
    for (int n : {0, 5, 1234}) {
        const QImage img = picture(QSize(640, 480), n);
        EXPECT_EQ(readFrameNumber(img.mirrored(true, false)), std::nullopt) << n;
        QImage negative = img;
        negative.invertPixels();
        EXPECT_EQ(readFrameNumber(negative), std::nullopt) << n;
    }
    // One data cell painted over with the other colour: the parity cells catch it.
    QImage img = picture(QSize(640, 480), 1234);
    const auto rects = engine::frameNumberRects(img.size(), 1234);
    const engine::PatternRect cell = rects[1 + 2 + 5]; // backing strip, two sync cells, bit 10
    QPainter(&img).fillRect(cell.rect, cell.white ? Qt::black : Qt::white);
    EXPECT_EQ(readFrameNumber(img), std::nullopt);
}
