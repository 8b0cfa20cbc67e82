#pragma once
// The stretches the review screen replays and how long its one-shot loop timer waits for each.
// Frames are frame numbers of the loaded file; intervals are milliseconds.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace run {

struct Replay {
    double selectionStart = 0; // first frame played; never below frame 0
    double selectionEnd = 0;   // frame the player stops on
    int intervalMs = 0;        // loop timer interval
};

// "Play before start": `seconds` before the start frame, 300 ms of slack. When the lead-in would
// reach back to frame 1 or earlier, the stretch starts at frame 0 and the wait is the time from
// frame 0 to the start. A start at frame 0 plays frames 0 to 1.
Replay beforeStartReplay(qint16 startFrame, double seconds, double framesPerSecond);

// "Play before end": `seconds` before the end frame, then 1.5 s of pause on the end frame. A
// lead-in reaching before the file's first frame plays from frame 0.
Replay beforeEndReplay(qint32 endFrame, double seconds, double framesPerSecond);

// The two seconds after the end frame, when the replay is asked to continue: 2.1 s.
Replay afterEndReplay(qint32 endFrame, double framesPerSecond);

// The seconds boxes keep their numeric value within [low, high]: the text to put into the box,
// or empty when the text may stay as typed ("2.5" stays; "0" becomes "1", "9" becomes "5").
std::optional<QString> limitedSecondsText(const QString& text, int low, int high);

} // namespace run
