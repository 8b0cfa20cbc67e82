#pragma once
// Test videos whose frames carry their own number: 16 blocks across the top half of the picture
// give the number in binary (white = 1, most significant bit left), and the bottom quarter holds
// the complement, so a picture that is not a clean frame reads as no number at all.
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace testvideo {

QImage numberedFrame(int n, int width, int height);
std::optional<int> readNumber(const QImage& picture);

// True when the installed ffmpeg program has the named encoder ("libx264", "ffv1", ...).
bool ffmpegHasEncoder(const QString& encoder);

// Writes `frames` numbered frames at 30 frames per second to dir/name through the ffmpeg
// program with the given codec arguments (e.g. {"-c:v", "mjpeg"}). Returns the path of the
// file, or an empty string when ffmpeg failed.
QString makeNumberedVideo(const QString& dir, const QString& name, int frames,
                          const QStringList& codecArgs, int width = 320, int height = 240);

} // namespace testvideo
