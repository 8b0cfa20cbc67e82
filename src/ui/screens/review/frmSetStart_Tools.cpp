// Tools around a loaded run: the check of the marked pass window against the run's timing
// record, the repaired copy of a cut-off recording and the pass clip with the clock burned in.
#include <QStringList> // DesignFont.h needs it

#include "core/app/DesignFont.h"
#include "core/app/Twips.h"
#include "core/media/RunFacts.h"
#include "core/ports/Dialogs.h"
#include "core/ports/RunTools.h"
#include "core/ports/Services.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/widgets/WrappingButton.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace screens {
namespace {
const QString kCutOff =
    QStringLiteral("This recording was cut off: other players may refuse it or play it short.");
} // namespace

// In the file information area, below the barefoot label: the pass window line, the cut-off
// notice with its button, and the clip button. All hidden until they apply.
void frmSetStart::createToolControls() {
    lblPassWindow = new QLabel(this);
    lblPassWindow->setObjectName(QStringLiteral("lblPassWindow"));
    lblPassWindow->setFont(app::designFont(9.75, true));
    lblPassWindow->setWordWrap(true);
    lblPassWindow->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cmdSavePassClip = new widgets::WrappingButton(QStringLiteral("Save pass clip…"), this);
    cmdSavePassClip->setObjectName(QStringLiteral("cmdSavePassClip"));
    lblFileNotice = new QLabel(kCutOff, this);
    lblFileNotice->setObjectName(QStringLiteral("lblFileNotice"));
    lblFileNotice->setFont(app::designFont(9.75, true));
    lblFileNotice->setWordWrap(true);
    lblFileNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cmdRepairCopy = new widgets::WrappingButton(QStringLiteral("Repair copy…"), this);
    cmdRepairCopy->setObjectName(QStringLiteral("cmdRepairCopy"));
    placeTools();
    hideTools();
    lblFileNotice->hide();
    cmdRepairCopy->hide();
}

// The pass window line and the cut-off notice take as many lines as their text needs (a run
// with several faults names them all); the controls below them move down rather than cover them.
void frmSetStart::placeTools() {
    using app::twips;
    constexpr int kGap = 7; // the design's gap under each of the two texts
    const auto place = [](QWidget* w, QRect design, int below, bool grows) {
        design.moveTop(std::max(design.top(), below));
        if (grows)
            design.setHeight(std::max(design.height(), w->heightForWidth(design.width())));
        w->setGeometry(design);
        return design.bottom() + 1;
    };
    int below = place(lblPassWindow, twips(6480, 6840, 4215, 615), 0, true) + kGap;
    below = place(cmdSavePassClip, twips(6480, 7560, 1695, 375), below, false) + kGap;
    below = place(lblFileNotice, twips(6480, 8160, 4215, 495), below, true) + kGap;
    place(cmdRepairCopy, twips(6480, 8760, 1695, 375), below, false);
}

void frmSetStart::hideTools() {
    lblPassWindow->clear();
    lblPassWindow->hide();
    cmdSavePassClip->hide();
}

// Shown at marking, before the replay; the log line and the ".info" keep their format.
void frmSetStart::showPassWindow() {
    const run::PassWindowCheck check = media::passWindowOf(runPath(), startFrame, endFrame());
    lblPassWindow->setText(check.text);
    lblPassWindow->setStyleSheet(check.clean ? QString() : QStringLiteral("color: #a00000;"));
    lblPassWindow->show();
    cmdSavePassClip->show();
    placeTools();
}

void frmSetStart::cmdRepairCopy_Click() {
    ports::Dialogs& dialogs = *m_screens.services().dialogs;
    ports::RunTools& tools = *m_screens.services().tools;
    const QString run = runPath();
    ports::ToolResult result;
    dialogs.runWithProgress(
        {QStringLiteral("Writing a repaired copy of ") + run + QStringLiteral("…"),
         ports::kAppTitle,
         [&](const std::function<bool(int, int)>& report, const std::atomic<bool>& cancel) {
             report(0, 0); // no count: the copy reports no progress
             result = tools.repairCopy(run, cancel);
         }});
    if (result.ok)
        dialogs.message(QStringLiteral("The repaired copy was saved as ") + result.path,
                        ports::kAppTitle, ports::Icon::Information);
    else
        dialogs.message(QStringLiteral("The recording could not be repaired: ") + result.error,
                        ports::kAppTitle, ports::Icon::Exclamation);
}

void frmSetStart::cmdSavePassClip_Click() {
    ports::Dialogs& dialogs = *m_screens.services().dialogs;
    ports::RunTools& tools = *m_screens.services().tools;
    ports::PassMarks marks;
    marks.run = runPath();
    marks.startFrame = startFrame;
    marks.endFrame = endFrame();
    ports::ToolResult result;
    dialogs.runWithProgress(
        {QStringLiteral("Writing the pass clip of ") + marks.run + QStringLiteral("…"),
         ports::kAppTitle,
         [&](const std::function<bool(int, int)>& report, const std::atomic<bool>&) {
             result = tools.writePassClip(marks, report);
         }});
    if (result.ok && result.shortfall.isEmpty())
        dialogs.message(QStringLiteral("The pass clip was saved as ") + result.path,
                        ports::kAppTitle, ports::Icon::Information);
    else if (result.ok)
        dialogs.message(QStringLiteral("The pass clip was saved as ") + result.path +
                            QStringLiteral(". ") + result.shortfall,
                        ports::kAppTitle, ports::Icon::Exclamation);
    else if (result.cancelled)
        dialogs.message(QStringLiteral("The pass clip was cancelled; no file was written."),
                        ports::kAppTitle, ports::Icon::Information);
    else
        dialogs.message(QStringLiteral("The pass clip could not be written: ") + result.error,
                        ports::kAppTitle, ports::Icon::Exclamation);
}
} // namespace screens
