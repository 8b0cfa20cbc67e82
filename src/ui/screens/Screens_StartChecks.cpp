// What the program tells the operator once it has started, after the Setup screen is first
// painted (never before it): the camera list's warning, and the runs of today that were cut off,
// the newest offered for review. Part files left by a repaired copy or a pass clip that were cut
// off go first, quietly.
#include "core/app/PartFile.h"
#include "core/media/RunFileChecks.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "ui/screens/Screens.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QEvent>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace screens {
namespace {

// Runs `then` once, from the event loop, after `window` was first painted: a message box then
// stands over a Setup screen already on view, never before it.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, QObject& context, std::function<void()> then)
        : QObject(&window), m_context(&context), m_then(std::move(then)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, m_context, std::move(m_then));
            m_then = nullptr;
            deleteLater();
        }
        return false;
    }

private:
    QObject* m_context;
    std::function<void()> m_then;
};

const QString kAlertTitle = QStringLiteral("Skivane Alert");
constexpr int kNamedRuns = 10;

QString cutOffMessage(const std::vector<media::CutOffRun>& runs) {
    QStringList names;
    const int count = int(runs.size());
    for (int i = std::max(0, count - kNamedRuns); i < count; ++i)
        names << QFileInfo(runs[size_t(i)].path).fileName();
    if (count > kNamedRuns)
        names.prepend(QStringLiteral("(%1 more before these)").arg(count - kNamedRuns));
    const QString newest = QFileInfo(runs.back().path).fileName();
    const QString head =
        count == 1 ? QStringLiteral("A recording of today was cut off (by a crash, a power loss "
                                    "or a full disk):")
                   : QStringLiteral("%1 recordings of today were cut off (by a crash, a power "
                                    "loss or a full disk):")
                         .arg(count);
    return head + QStringLiteral("\n\n") + names.join(QLatin1Char('\n')) +
           QStringLiteral("\n\nA cut-off recording plays up to its last whole frame and can be "
                          "marked; \"Repair copy…\" makes a copy other players open.\n\nOpen ") +
           (count == 1 ? newest : QStringLiteral("the newest, ") + newest + QStringLiteral(",")) +
           QStringLiteral(" in the Timer & Review screen now?");
}

} // namespace

void Screens::scheduleStartChecks() {
    QWidget& window = setup();
    new AfterFirstPaint(window, window, [this] { runStartChecks(); }); // owned by the window
}

void Screens::runStartChecks() {
    ports::Dialogs& dialogs = *m_services.dialogs;
    if (m_services.capture) {
        const QString warning = m_services.capture->takeStartWarning();
        if (!warning.isEmpty())
            dialogs.message(warning, kAlertTitle, ports::Icon::Exclamation);
    }
    const QString folder = session().VideoDirectory;
    if (folder.isEmpty())
        return;
    app::removeLeftoverParts(folder);
    const std::vector<media::CutOffRun> runs =
        media::findCutOffRuns(folder, m_services.now().date());
    if (runs.empty())
        return;
    const ports::Answer answer =
        dialogs.message({cutOffMessage(runs), kAlertTitle, ports::Buttons::YesNo,
                         ports::Icon::Question, ports::Answer::Yes});
    if (answer != ports::Answer::Yes)
        return;
    // As the log viewer opens a logged run.
    ports::Session& program = session();
    program.NavigationSource = QStringLiteral("View");
    program.FileToView = runs.back().path;
    hideSetup();
    frmSetStart& review = timer();
    review.show();
    review.postPaint();
}
} // namespace screens
