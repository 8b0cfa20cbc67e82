// Arrival processing: what the screen does in the first step after it is shown, by where the
// operator came from ("Capture", "View", "Setup"/"CaptureGoToTimer").
#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/Twips.h"
#include "core/media/RunFileChecks.h"
#include "core/ports/Dialogs.h"
#include "core/ports/MediaPlayer.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/run/PassTiming.h"
#include "core/run/ReviewText.h"
#include "core/run/RunInfo.h"
#include "core/run/RunNaming.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/ScreenLinks.h"
#include "ui/screens/review/frmSetStart.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextEdit>
#include <QTimer>

namespace screens {
void frmSetStart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_filterInstalled) {
        qApp->installEventFilter(this);
        m_filterInstalled = true;
    }
    postPaint();
}

void frmSetStart::postPaint() {
    // Callers may write NavigationSource right after show(): the arrival runs from the event loop.
    if (m_paintPosted)
        return;
    m_paintPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_paintPosted = false;
        if (isVisible())
            Form_Paint();
    });
}

void frmSetStart::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_filterInstalled) {
        qApp->removeEventFilter(this);
        m_filterInstalled = false;
    }
    m_leftDown = m_leftPressed = m_rightDown = m_rightPressed = false;
}

void frmSetStart::Form_Paint() {
    Timer2->start();
    refreshDiskSpace();
    ports::Session& program = m_screens.session();
    const QString source = program.NavigationSource;
    if (source == QStringLiteral("Capture")) {
        arriveFromCapture();
    } else if (source == QStringLiteral("Setup") || source == QStringLiteral("CaptureGoToTimer")) {
        Text6->clear();
        program.NavigationSource.clear();
    } else if (source == QStringLiteral("View")) {
        arriveFromView();
    }
    Label9->setVisible(barefoot());
}

void frmSetStart::arriveFromCapture() {
    ports::Session& program = m_screens.session();
    if (m_screens.skierEntry().nameChangeShown())
        renameRun();
    MediaPlayer1->setPlayerFileName(runPath());
    playerStopIfLoaded();
    resetEndControls();
    // The length and rate come from the capture control; the file is only asked whether the
    // recording was cut off (a full disk ends it without an index).
    showCutOffNotice(media::aviLacksIndex(runPath()));
    removeRunLeftovers(runPath());
    Command5->setEnabled(true);
    cmdMarkStart->setEnabled(true);
    if (program.StartFrameHint > 0) {
        startFrame = program.StartFrameHint;
        MediaPlayer1->setPlayerPosition(startFrame);
        beforeStartLoop = 0;
        startTaken = false;
        Label5->setText(
            QStringLiteral("Select Start Position using direction buttons and/or slider"));
        Command7->move(app::twipsToPixels(6480), app::twipsToPixels(3000));
        Command5->setFocus();
    }
    framesPerSecond = program.CapturedFrameRate;
    fileFrames = program.CapturedFrameCount;
    computePassFrames();
    program.NavigationSource.clear();
}

// The skier's name as the Capture screen's skier box would take it: a name it refuses gives
// the same box, then the question again with the mended name offered, so the operator sees the
// name the run will get before it is renamed.
QString frmSetStart::askSkierName(const QString& prompt) {
    ports::Dialogs& dialogs = *m_screens.services().dialogs;
    const QString preset = m_screens.skierEntry().skierName();
    QString answer = dialogs.inputBox(prompt, run::kFixNameTitle, preset);
    for (;;) {
        if (answer.isEmpty())
            answer = dialogs.inputBox(run::mustInputNamePrompt(), run::kFixNameTitle, preset);
        const auto problem = run::skierNameProblem(answer);
        if (!problem)
            return answer;
        dialogs.message(problem->message, run::kInputErrorTitle);
        answer = dialogs.inputBox(prompt, run::kFixNameTitle, problem->mended);
    }
}

void frmSetStart::renameRun() {
    ports::Session& program = m_screens.session();
    SkierEntry& captureScreen = m_screens.skierEntry();
    newSkierName = askSkierName(run::fixNamePrompt());
    const QString oldPath = runPath();
    program.VideoDirectory = app::withoutTrailingSeparator(program.VideoDirectory);
    auto pathFor = [&](const QString& skier) {
        return app::joinPath(program.VideoDirectory, skier + QStringLiteral("pass1.avi"));
    };
    QString newPath = pathFor(newSkierName);
    // Giving the run's present name back ends the questions: that file is the run itself. A name
    // whose ".info" or ".timing" is left from a deleted run is taken too.
    while (newPath != oldPath && run::runNameTaken(newPath)) {
        newSkierName = askSkierName(run::existingFilePrompt());
        newPath = pathFor(newSkierName);
    }
    if (newPath != oldPath) {
        if (const auto error = run::renameRun(oldPath, newPath)) {
            // The run stays where it is, under the name the Capture screen gave it.
            m_screens.services().dialogs->message(
                QStringLiteral("The run could not be renamed to ") + newPath +
                    QStringLiteral(" (") + *error + QStringLiteral("). It stays saved as ") +
                    oldPath,
                ports::kAppTitle, ports::Icon::Exclamation);
            return;
        }
    }
    Text6->setPlainText(newPath);
    captureScreen.setSkierName(newSkierName);
    captureScreen.setPass(QStringLiteral("2"));
}

void frmSetStart::arriveFromView() {
    ports::Session& program = m_screens.session();
    program.NavigationSource.clear();
    Text6->setPlainText(program.FileToView);
    const QString path = runPath();
    MediaPlayer1->setPlayerFileName(path);
    MediaPlayer1->PlayerStop();
    showAlreadyMeasuredNotice(path);
    loadFileRecord(path);
    Command5->setEnabled(true);
    Command7->setEnabled(false);
    cmdMarkStart->setEnabled(true);
    startTaken = false;
    Label5->setText(QStringLiteral("Select Start Position using direction buttons and/or slider"));
    resetEndControls();
    Command1->setEnabled(true);
    Command4->setEnabled(true);
    MediaPlayer1->setPlayerSeekEnabled(true);
    MediaPlayer1->giveFocus();
}
} // namespace screens
