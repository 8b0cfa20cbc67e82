#include "NumberedVideo.h"

#include "support/core/FrameNumbers.h"

#include <QFile>
#include <QProcess>

namespace testvideo {

QImage numberedFrame(int n, int width, int height) {
    QImage img(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < width; ++x) { // motion for the codecs to code
            line[x * 3] = static_cast<uchar>((x * 3 + y * 5 + n * 7) & 0xff);
            line[x * 3 + 1] = static_cast<uchar>(255 - line[x * 3] / 2);
            line[x * 3 + 2] = static_cast<uchar>((y * 2 + n * 3) & 0xff);
        }
    }
    testsupport::drawFrameNumber(img, n);
    return img;
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
                          const QStringList& codecArgs, int width, int height, bool withTone) {
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
    if (withTone)
        args << "-f"
             << "lavfi"
             << "-i"
             << "sine=frequency=440:sample_rate=48000";
    args << codecArgs;
    if (withTone)
        args << "-c:a"
             << "pcm_s16le"
             << "-shortest";
    args << out;
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), args);
    const bool ok =
        p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    QFile::remove(raw);
    return ok && QFile::exists(out) ? out : QString();
}

} // namespace testvideo
