#pragma once
// Timing of a trick pass: the pass length in frames, the end frame, the check that the
// recording holds the whole pass, and the standard run name (skier + "pass" + pass + ".avi").
#include "core/run/FrameClock.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace run {

// Frames from the start frame to the end frame of the timed pass: 20 s of video, 15 s in
// barefoot mode, rounded half-even. At exactly 30 fps a normal pass is 599 frames, not 600 (the
// timing every recorded result so far was made with); barefoot has no such exception.
int passLength(double framesPerSecond, bool barefoot);

// A number of frames at a rate as seconds to the hundredth, halves away from zero: 599 frames
// at 30 fps read "19.97", at 30000/1001 "19.99"; -60 at 30 fps "-2.00". The one statement of a
// pass's length: the pass lasts from the start frame to the end frame, (end - start) / the
// file's own rate, in the export, the pass window line and the clip's clock alike. Empty when
// the rate is not a rate.
QString framesAsSeconds(int64_t frames, run::Fraction rate);

// start + pass frames in frames, without wrapping. Frame numbers are 16-bit: an end beyond
// 32767 is not a frame any file can hold, and `endFrameFits` says so.
qint32 endFrame(qint16 startFrame, int passFrames);
bool endFrameFits(qint32 end);

// The pass end lies inside the recording: end <= fileFrames, and the end is a 16-bit frame.
// An end equal to fileFrames passes.
bool passEndInFile(qint32 end, qint16 fileFrames);

inline const QString kTooShortTitle = QStringLiteral("Captured File too short Warning");
// The "file too short" text, with the real end frame even when it is beyond 16 bits.
QString tooShortMessage(qint16 fileFrames, qint32 end, bool barefoot);

// The parts of a standard run name. `standard` is false for any other path; then skier and
// pass are empty.
struct RunName {
    bool standard = false;
    QString skier;
    QString pass;
};

// "pass" must start within the seven characters before the first ".avi" (case-sensitive) and
// inside the file-name part (after the last "\" or "/"). "D:\Runs\Ann Leepass2.avi" gives skier
// "Ann Lee", pass "2".
RunName parseRunName(const QString& path);

} // namespace run
