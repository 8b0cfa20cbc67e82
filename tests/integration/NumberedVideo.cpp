#include "NumberedVideo.h"

#include <QFile>
#include <QProcess>

namespace testvideo {

namespace {
constexpr int kBits = 16;

// Average luminance of a rectangle of the picture, 0..255.
int meanLuma(const QImage& img, int x0, int y0, int x1, int y1) {
    long long sum = 0;
    long long count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const QRgb c = img.pixel(x, y);
            sum += (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
            ++count;
        }
    return count ? static_cast<int>(sum / count) : 0;
}
} // namespace

QImage numberedFrame(int n, int width, int height) {
    QImage img(width, height, QImage::Format_RGB888);
    const int bw = width / kBits;
    for (int y = 0; y < height; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int bit = std::min(x / bw, kBits - 1);
            const bool one = (n >> (kBits - 1 - bit)) & 1;
            uchar r, g, b;
            if (y < height / 2) {
                r = g = b = one ? 255 : 0;
            } else if (y >= height * 3 / 4) {
                r = g = b = one ? 0 : 255;
            } else { // a moving coloured texture, so that the codecs have motion to code
                r = static_cast<uchar>((x * 3 + y * 5 + n * 7) & 0xff);
                g = static_cast<uchar>(255 - r / 2);
                b = static_cast<uchar>((y * 2 + n * 3) & 0xff);
            }
            line[x * 3] = r;
            line[x * 3 + 1] = g;
            line[x * 3 + 2] = b;
        }
    }
    return img;
}

std::optional<int> readNumber(const QImage& picture) {
    if (picture.isNull() || picture.width() < kBits * 4 || picture.height() < 16)
        return std::nullopt;
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    const int bw = w / kBits;
    int value = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x0 = bit * bw + bw / 4;
        const int x1 = bit * bw + bw * 3 / 4;
        const int top = meanLuma(img, x0, h / 8, x1, h * 3 / 8);
        const int bottom = meanLuma(img, x0, h * 13 / 16, x1, h * 15 / 16);
        const bool one = top > 128;
        const bool complement = bottom <= 128;
        if (one != complement || std::abs(top - 128) < 48 || std::abs(bottom - 128) < 48)
            return std::nullopt;
        value = (value << 1) | (one ? 1 : 0);
    }
    return value;
}

bool ffmpegHasEncoder(const QString& encoder) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {"-hide_banner", "-encoders"});
    if (!p.waitForFinished(30000))
        return false;
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    for (const QString& line : out.split('\n')) {
        const QStringList parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts[1] == encoder)
            return true;
    }
    return false;
}

QString makeNumberedVideo(const QString& dir, const QString& name, int frames,
                          const QStringList& codecArgs, int width, int height) {
    const QString raw = dir + "/" + name + ".rgb";
    {
        QFile f(raw);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        for (int n = 0; n < frames; ++n) {
            const QImage img = numberedFrame(n, width, height);
            for (int y = 0; y < height; ++y)
                f.write(reinterpret_cast<const char*>(img.constScanLine(y)), width * 3);
        }
    }
    const QString out = dir + "/" + name;
    QStringList args{"-v",    "error",    "-y",
                     "-f",    "rawvideo", "-pix_fmt",
                     "rgb24", "-s",       QStringLiteral("%1x%2").arg(width).arg(height),
                     "-r",    "30",       "-i",
                     raw};
    args << codecArgs << out;
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), args);
    const bool ok =
        p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    QFile::remove(raw);
    return ok && QFile::exists(out) ? out : QString();
}

} // namespace testvideo
