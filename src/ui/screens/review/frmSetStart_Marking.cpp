// Start marking and the pass end: the run entry in the session log and the ".info" companion.
#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/SessionLog.h"
#include "core/app/TextNumbers.h"
#include "core/media/RunFileChecks.h"
#include "core/ports/Dialogs.h"
#include "core/ports/MediaPlayer.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/run/PassTiming.h"
#include "core/run/RunInfo.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/review/frmSetStart.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <limits>

namespace screens {
void frmSetStart::computePassFrames() {
    passFrames = run::passLength(framesPerSecond, barefoot());
}

// The frame marked is the one on the screen. A picture asked for just before (a slider drag in
// a long group of pictures) may still be decoding: the marking waits for it, and the button
// stays off meanwhile so that a second click marks nothing twice.
void frmSetStart::cmdMarkStart_Click() {
    if (m_markWaiting)
        return;
    m_markWaiting = true;
    const bool enabled = cmdMarkStart->isEnabled();
    cmdMarkStart->setEnabled(false);
    MediaPlayer1->whenShown([this, enabled] {
        m_markWaiting = false;
        cmdMarkStart->setEnabled(enabled);
        markShownFrame();
    });
}

void frmSetStart::markShownFrame() {
    const double position = MediaPlayer1->PlayerPosition();
    if (!canMarkRun(position))
        return;
    startLocked = 1;
    Command7->setEnabled(true);
    startFrame = app::clampToInt16(position);
    cmdMarkStart->hide();
    startTaken = true;
    Label5->setText(QStringLiteral("Start Position is now Locked"));
    computePassFrames();
    writeRunRecord();
    showPassWindow();
    Command7->show();
    cmdPlayAndPause->show();
    Text7->show();
    Label2->show();
    Command1->setEnabled(false);
    Command4->setEnabled(false);
    MediaPlayer1->setPlayerSeekEnabled(false);
    Command7_Click();
}

// A run entry must hold the run: a video that is gone or whose headers cannot be read (the
// frame rate reads 0, so the end would be the start) and a start frame the log's 16-bit fields
// cannot hold are refused instead of being logged as a plausible-looking wrong entry.
bool frmSetStart::canMarkRun(double position) {
    ports::Dialogs& dialogs = *m_screens.services().dialogs;
    const QString path = runPath();
    const QString nothing =
        QStringLiteral(" The start was not marked and nothing was written to the log.");
    if (path.isEmpty()) { // an arrival without a run empties the path box
        dialogs.message(QStringLiteral("No run is open: choose one with \"...\" first.") + nothing,
                        ports::kAppTitle, ports::Icon::Exclamation);
        return false;
    }
    if (!app::FileIsPresent(path)) {
        dialogs.message(QStringLiteral("The video ") + path + QStringLiteral(" no longer exists.") +
                            nothing,
                        ports::kAppTitle, ports::Icon::Exclamation);
        return false;
    }
    // The file itself is asked: a run handed over from the Capture screen carries the control's
    // rate, also when nothing reached the file (a full disk).
    const std::optional<std::uint32_t> frames = media::recordedFrames(path);
    if (frames ? *frames == 0 : QFileInfo(path).size() == 0) {
        dialogs.message(QStringLiteral("The video ") + path +
                            QStringLiteral(" holds no frame: nothing was recorded into it.") +
                            nothing,
                        ports::kAppTitle, ports::Icon::Exclamation);
        return false;
    }
    if (framesPerSecond <= 0 || !frames) {
        dialogs.message(QStringLiteral("The video ") + path +
                            QStringLiteral(" cannot be read: its frame rate is unknown, so the "
                                           "end of the pass cannot be worked out.") +
                            nothing,
                        ports::kAppTitle, ports::Icon::Exclamation);
        return false;
    }
    const double frame = std::nearbyint(position); // half frames to the even neighbour
    if (frame > std::numeric_limits<qint16>::max()) {
        dialogs.message(QStringLiteral("Frame %1 is beyond frame %2, the last start frame the log "
                                       "can hold.")
                                .arg(frame, 0, 'f', 0)
                                .arg(std::numeric_limits<qint16>::max()) +
                            nothing,
                        ports::kAppTitle, ports::Icon::Exclamation);
        return false;
    }
    return true;
}

// The run entry and the companion file. A file that cannot be written is named in a message;
// the marking goes on, so the replay of the pass end still runs.
void frmSetStart::writeRunRecord() {
    ports::Services& services = m_screens.services();
    const QString path = runPath();
    const run::RunName name = run::parseRunName(path);
    if (!name.standard) {
        services.dialogs->message(
            QStringLiteral("Warning, tis is not a  standard SKV file so it will not be saved in "
                           "the Log for future reference"),
            ports::kAppTitle, ports::Icon::Exclamation);
        return;
    }
    const ports::Session& program = m_screens.session();
    const app::LogWrite written = app::appendRunEntry(program, services.now(), name.skier,
                                                      name.pass, startFrame, endFrame(), path);
    if (!written.ok)
        services.dialogs->message(
            QStringLiteral("The run could not be written to the session log ") +
                app::joinPath(program.VideoDirectory, program.LogFileName) + QStringLiteral(": ") +
                written.error,
            ports::kAppTitle, ports::Icon::Exclamation);
    if (const auto error = run::writeInfoFile(path, startFrame))
        services.dialogs->message(QStringLiteral("The start frame could not be saved in ") +
                                      run::infoPath(path) + QStringLiteral(": ") + *error,
                                  ports::kAppTitle, ports::Icon::Exclamation);
}

bool frmSetStart::passEndCheck() {
    const qint32 end = endFrame();
    if (run::passEndInFile(end, fileFrames))
        return true;
    m_screens.services().dialogs->message(run::tooShortMessage(fileFrames, end, barefoot()),
                                          run::kTooShortTitle);
    return false;
}
} // namespace screens
