#pragma once
// The values of one program run that belong to no screen. Services hands out the one Session;
// each comment says who writes the value.
#include <QString>
#include <QtGlobal>

namespace ports {

struct Session {
    // Folder of recorded runs and of the session log, without a trailing separator.
    // Written by the Setup screen (load, txtVideoDir change); read by every screen.
    QString VideoDirectory;
    // File name (no folder) of the day's session log, built once at start-up.
    QString LogFileName;
    // Where the operator came from: "Setup", "Capture", "CaptureGoToTimer", "Timer", "View"
    // or empty. Written by the screen handing over, consumed by the arriving screen.
    QString NavigationSource;
    // Frame count at "Start of Tricks" of the last recording; used when greater than 0.
    qint16 StartFrameHint = 0;
    // Frames and frames per second of the recording just finished.
    qint16 CapturedFrameCount = 0;
    double CapturedFrameRate = 0.0;
    // The run chosen in the log viewer for the review screen.
    QString FileToView;
    // Guard against running the Capture screen's arrival check twice at once.
    qint16 PaintBusy = 0;
};

} // namespace ports
