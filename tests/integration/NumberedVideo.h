#pragma once
// Test videos whose frames carry their own number in the test camera's pattern
// (testsupport::drawFrameNumber), on a moving coloured background, read back with
// testsupport::readFrameNumber.
#include <QImage>
#include <QString>
#include <QStringList>

namespace testvideo {

QImage numberedFrame(int n, int width, int height);

// True when the installed ffmpeg program has the named encoder ("libx264", "ffv1", ...).
bool ffmpegHasEncoder(const QString& encoder);

// Writes `frames` numbered frames at 30 frames per second to dir/name through the ffmpeg
// program with the given codec arguments (e.g. {"-c:v", "mjpeg"}). Returns the path of the
// file, or an empty string when ffmpeg failed. With a tone, the file also carries a 440 Hz
// sine as 16-bit PCM at 48 kHz, mono.
QString makeNumberedVideo(const QString& dir, const QString& name, int frames,
                          const QStringList& codecArgs, int width = 320, int height = 240,
                          bool withTone = false);

} // namespace testvideo
