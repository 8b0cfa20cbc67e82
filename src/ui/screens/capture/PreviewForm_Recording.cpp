// The Capture screen's recording: Start Recording, Start of Tricks, the two one-second
// countdowns, the end of a recording with its hand-over, and the capture control's status.
#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/TextNumbers.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/ports/Sound.h"
#include "core/run/RunNaming.h"
#include "ui/screens/ControlErrorBox.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/ScreenLinks.h"
#include "ui/screens/capture/PreviewForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <QTimer>

#include <optional>

namespace screens {
namespace {
const QString kNoMark = QStringLiteral(" ");
constexpr int kTickMs = 1000;
// Seconds of frames taken as the start when no start was marked.
constexpr double kUnmarkedStartSeconds = 7.0;

// The busy pointer for the length of a scope, whatever way the scope is left.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { restore(); }
    void restore() {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};
} // namespace

QString PreviewForm::passSeconds() const {
    return m_screens.setupValues().barefoot() ? QStringLiteral("15") : QStringLiteral("20");
}

void PreviewForm::playSound(const QString& fileName) {
    m_screens.services().sound->play(app::joinPath(m_screens.services().appDir, fileName));
}

void PreviewForm::showControlError(const ports::ControlError& e) {
    screens::showControlError(*m_screens.services().dialogs, e, screens::ErrorNumber::Hexadecimal);
}

void PreviewForm::setHintFromFrameRate() {
    m_screens.session().StartFrameHint = app::clampToInt16(
        app::numericValue(m_screens.setupValues().frameRateText()) * kUnmarkedStartSeconds);
}

void PreviewForm::cmdStartCapture_Click() {
    ports::CaptureControl& control = *m_screens.services().capture;
    // The pass goes into the run's file name, and must come back out of it when the run is
    // logged: 1 to 3 characters.
    if (const auto problem = run::passTextProblem(txtPass->text())) {
        m_screens.services().dialogs->message(*problem, run::kInputErrorTitle,
                                              ports::Icon::Exclamation);
        return;
    }
    BusyPointer busy;
    try {
        lblStartFrame->setText(kNoMark);
        nameForRecording();
        m_screens.capturePanel().SetCaptureValues();
        // The control creates the file exclusively: a file that appeared since the name check is
        // refused with an error, never replaced.
        control.setStreamFileName(CaptureFileName);
        control.StartStreamCapture();

        Timer40->setInterval(kTickMs);
        Timer40->start();
        captime->setText(QStringLiteral("40"));
        runTime->setText(passSeconds());

        cmdStartCapture->setEnabled(false);
        mnuStart->setEnabled(false);
        cmdStartTimer->setEnabled(true);
        cmdEndCapture->setEnabled(true);
        busy.restore();
        cmdStartTimer->setFocus();
        cmdGoToTimer->setEnabled(false);
        cmdGoSetup->setEnabled(false);
    } catch (const ports::ControlError& e) {
        busy.restore();
        showControlError(e);
    }
}

void PreviewForm::mnuStart_Click() {
    // The menu entry follows the button: it cannot start a second recording over a running one.
    if (!cmdStartCapture->isEnabled())
        return;
    cmdStartCapture_Click();
}

void PreviewForm::cmdStartTimer_Click() {
    qint64 frames = 0;
    try {
        frames = m_screens.services().capture->FramesCaptured();
    } catch (const ports::ControlError& e) {
        showControlError(e);
        return;
    }
    lblStartFrame->setText(app::plainNumberText(static_cast<double>(frames)));
    // 16-bit: a mark beyond 32767 frames (about 18 minutes at 30 fps) is kept at 32767.
    m_screens.session().StartFrameHint =
        app::clampToInt16(app::numericValue(lblStartFrame->text()));
    playSound(QStringLiteral("StartSound.wav"));
    runTime->setText(passSeconds());
    passTimer->setInterval(kTickMs);
    passTimer->start();
    captime->setText(QStringLiteral("25"));
}

void PreviewForm::Timer40_Timer() {
    ports::CaptureControl& control = *m_screens.services().capture;
    if (!app::FileIsPresent(CaptureFileName)) {
        // The run file is gone (its folder removed or renamed): say so now, not at marking.
        Timer40->stop();
        cmdEndCapture_Click();
        return;
    }
    captime->setText(app::SignedNumberText(app::numericValue(captime->text()) - 1.0));
    if (app::numericValue(captime->text()) == 0.0) {
        // Time-out: the capture countdown ran out.
        Timer40->stop();
        cmdEndCapture->setEnabled(false);
        enableStartWhenIdle();
        captime->setText(QStringLiteral("40"));
        runTime->setText(passSeconds());
        try {
            control.StopCapture();
        } catch (const ports::ControlError&) {
            // The end-of-recording procedure stops once more and reports a failure there.
        }
        if (lblStartFrame->text() == kNoMark)
            setHintFromFrameRate();
        cmdEndCapture_Click();
    }
    try {
        LblFrame->setText(app::plainNumberText(static_cast<double>(control.FramesCaptured())));
        LblFrmDrop->setText(app::plainNumberText(static_cast<double>(control.FramesDropped())));
    } catch (const ports::ControlError&) {
        // The read-outs keep their last values; the next tick reads again.
    }
}

void PreviewForm::passTimer_Timer() {
    runTime->setText(app::SignedNumberText(app::numericValue(runTime->text()) - 1.0));
    if (app::numericValue(runTime->text()) == 0.0) {
        passTimer->stop();
        playSound(QStringLiteral("StopSound.wav"));
        // The recording goes on; it ends by ESC or by the capture countdown.
    }
}

void PreviewForm::cmdEndCapture_Click() {
    if (m_ending)
        return;
    const QScopedValueRollback<bool> ending(m_ending, true);
    ports::CaptureControl& control = *m_screens.services().capture;
    CapturePanel& setup = m_screens.capturePanel();
    ports::Session& program = m_screens.session();

    // A failing stop or read is reported once; the recording file stays where it is and the
    // run is still handed over, so the screen never stays stuck in the recording state.
    std::optional<ports::ControlError> failure;
    auto read = [&failure](auto&& operation) -> qint64 {
        try {
            return operation();
        } catch (const ports::ControlError& e) {
            if (!failure)
                failure = e;
            return 0;
        }
    };
    read([&] {
        control.StopCapture();
        return qint64(0);
    });
    const qint64 frames = read([&] { return control.FramesCaptured(); });
    const qint64 dropped = read([&] { return control.FramesDropped(); });
    const qint64 samples = read([&] { return control.SamplesCaptured(); });
    const qint64 time = read([&] { return control.CaptureTime(); });
    const qint64 rate = read([&] { return qint64(control.FrameRate()); });

    setup.showCaptureCounters(frames, dropped, samples, time);
    // The read-outs end at what the file holds.
    LblFrame->setText(app::plainNumberText(static_cast<double>(frames)));
    LblFrmDrop->setText(app::plainNumberText(static_cast<double>(dropped)));

    cmdEndCapture->setEnabled(false);
    enableStartWhenIdle();
    cmdStartTimer->setEnabled(false);
    Timer40->stop();
    passTimer->stop();

    cmdGoToTimer->setEnabled(true);
    cmdGoSetup->setEnabled(true);
    if (failure)
        showControlError(*failure);

    if (!app::FileIsPresent(CaptureFileName)) {
        // Nothing to hand over: the pass stays and the operator stays here to record again.
        m_screens.services().dialogs->message(
            QStringLiteral("The recording was lost: the file %1 no longer exists (was the video "
                           "folder removed or renamed?). The run was not handed over to the "
                           "Timer & Review screen and the pass number stays %2.")
                .arg(CaptureFileName, txtPass->text().trimmed()),
            QStringLiteral("Skivane Alert"), ports::Icon::Exclamation);
        return;
    }

    txtPass->setText(run::nextPassText(txtPass->text()));

    m_screens.runReceiver().setRunPath(CaptureFileName);
    program.CapturedFrameRate = static_cast<double>(rate);
    // 16-bit: a recording beyond 32767 frames is counted as 32767.
    program.CapturedFrameCount = app::clampToInt16(static_cast<double>(frames));

    program.NavigationSource = QStringLiteral("Capture");
    m_screens.showTimer();
    hide();
}

void PreviewForm::enableStartWhenIdle() {
    bool pictures = true;
    try {
        pictures = m_screens.services().capture->PicturesComing();
    } catch (const ports::ControlError&) {
        // A control that cannot tell leaves the button to the operator.
    }
    cmdStartCapture->setEnabled(pictures);
    mnuStart->setEnabled(pictures);
}

void PreviewForm::Grabora1_CameraState(bool picturesComing) {
    if (!cmdEndCapture->isEnabled()) // a recording under way goes on through an outage
        enableStartWhenIdle();
    if (picturesComing) {
        try {
            m_screens.capturePanel().showCameraLists(); // sizes known from the first picture
        } catch (const ports::ControlError& e) {
            showControlError(e);
        }
    }
}

void PreviewForm::Grabora1_CaptureStatus(int code, const QString& text) {
    CapturePanel& setup = m_screens.capturePanel();
    if (code == 301) { // recording ended
        setup.showCaptureEnded();
        if (cmdEndCapture->isEnabled() && !m_ending) {
            // Ended by itself (a full disk, a camera unplugged, the time limit): the screen ends
            // the run as ESC does and hands over what the file holds.
            Timer40->stop();
            passTimer->stop();
            if (lblStartFrame->text() == kNoMark)
                setHintFromFrameRate();
            cmdEndCapture_Click();
        }
        return;
    }
    if (code == 510) { // counters changed
        ports::CaptureControl& control = *m_screens.services().capture;
        try {
            const qint64 frames = control.FramesCaptured();
            const qint64 dropped = control.FramesDropped();
            const qint64 samples = control.SamplesCaptured();
            const qint64 time = control.CaptureTime();
            setup.showCaptureCounters(frames, dropped, samples, time);
        } catch (const ports::ControlError&) {
            // Counters arrive many times a second; the next notification reads them again.
        }
    }
    setup.showCaptureStatus(text);
    // Let pending screen events (a countdown tick, a key press) run before returning.
    QCoreApplication::processEvents();
}

void PreviewForm::Grabora1_StatusMessage(int /*code*/, const QString& text) {
    m_screens.capturePanel().showCaptureStatus(text);
}

void PreviewForm::Grabora1_WarningMessage(int /*code*/, const QString& text) {
    m_screens.services().dialogs->message(QStringLiteral("Warning: ") + text);
}
} // namespace screens
