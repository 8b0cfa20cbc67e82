#pragma once
// A short video of a timed pass for the judges to share: from 2 s before the start frame to 2 s
// after the end frame of a marked run, with the pass clock burned in. H.264 in MP4 when the
// installed FFmpeg has libx264, else Motion JPEG in AVI. Never replaces a file, never leaves
// half a file.
#include <QImage>
#include <QRgb>
#include <QString>
#include <functional>

struct AVFrame;

namespace engine {

struct PassClipRequest {
    QString run;        // the recording
    int startFrame = 0; // marked start of the pass
    int endFrame = 0;   // start + pass frames
    // Frames kept before the start and after the end: 2 s at the run's rate when negative.
    int marginFrames = -1;
};

struct PassClipResult {
    bool ok = false;
    bool cancelled = false;
    QString path;  // the clip, when ok
    QString error; // what went wrong, for the operator
    int frames = 0;
    int firstFrame = 0; // run frame of the clip's first picture
    // When the recording ends before the clip could reach the end of the pass or the margin
    // after it: one sentence saying where the clip ends, for the completion message. Empty when
    // the clip holds all it should.
    QString shortfall;
};

// Called after each picture written with (done, total); returning false cancels.
using ClipProgress = std::function<bool(int done, int total)>;

// "<run>-pass.mp4" (or ".avi"), or "<run>-pass-2.mp4" ... when that name is taken.
QString passClipPath(const QString& run, bool mp4);
// True when the clip will be H.264 in MP4.
bool passClipUsesH264();

PassClipResult writePassClip(const PassClipRequest& request, const ClipProgress& progress = {});

// The clock shown on run frame `frame`: (frame - start) / rate to the hundredth ("-1.97",
// "0.00", "12.50"), held from the end frame on at the end frame's value (599 frames at 30 fps:
// "19.97"), the pass's length as the export and the pass window line state it.
QString passClockText(int frame, const PassClipRequest& request, int rateNum, int rateDen);

// Burns the clock, the frame number and, from the end frame on, the "End" mark into `picture`.
void burnPassClock(QImage& picture, int frame, const PassClipRequest& request, int rateNum,
                   int rateDen);
// The same, painted straight into a picture in one of the formats canvasSupports() names.
void burnPassClock(AVFrame* picture, int frame, const PassClipRequest& request, int rateNum,
                   int rateDen);

// Where the texts go on a picture of `size`: height of the characters, the clock's and the
// frame number's top-left corners, and the "End" mark's.
struct PassClockLayout {
    int height = 0;
    QPoint clock, frame, end;
};
PassClockLayout passClockLayout(QSize size);

} // namespace engine
