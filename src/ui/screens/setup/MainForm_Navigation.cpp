// The Setup screen's way out: the two navigation buttons, the menu and the placement of the
// Capture screen beside this one.
#include "ui/screens/setup/MainForm.h"

#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/WindowPositions.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "ui/screens/ExportDay.h"
#include "ui/screens/ScreenHub.h"

#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>

namespace screens {
namespace {

// Both navigation buttons need the video folder: the session log is written there.
bool videoFolderExists(const QLineEdit* txtVideoDir, ports::Dialogs& dialogs) {
    if (app::PathExists(txtVideoDir->text(), 1))
        return true;
    dialogs.message(QStringLiteral("The Log File Folder you specified does not exist. ") +
                        QStringLiteral("Please change it to a Folder that does exist."),
                    QStringLiteral("Path Error"), ports::Icon::Exclamation);
    return false;
}

} // namespace

void MainForm::cmdGoCapture_Click() {
    if (!videoFolderExists(txtVideoDir, dialogs()))
        return;
    m_screens.showCapture();
    grabora().setPreview(true);
    m_screens.session().NavigationSource = QStringLiteral("Setup");
    hide();
}

void MainForm::cmdGoTimer_Click() {
    if (!videoFolderExists(txtVideoDir, dialogs()))
        return;
    m_screens.showTimer();
    m_screens.session().NavigationSource = QStringLiteral("Setup");
    grabora().setPreview(true);
    hide();
}

void MainForm::mnuViewLog_Click() {
    m_screens.openLogView(this);
}

void MainForm::mnuExportDay_Click() {
    const ports::Session& program = m_screens.session();
    exportDayLog(dialogs(), *services().tools,
                 app::joinPath(program.VideoDirectory, program.LogFileName));
}

void MainForm::munManual_Click() {
    m_screens.showManual();
    hide();
}

void MainForm::mnuExit_Click() {
    if (services().endProgram)
        services().endProgram();
}

void MainForm::PlaceCaptureScreen() {
    QWidget& capture = m_screens.captureWindow();
    // Sizes are known before the first show only once the layouts have run.
    if (layout())
        layout()->activate();
    if (capture.layout())
        capture.layout()->activate();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const app::WindowPositions p =
        app::placeBeside(frameGeometry(), capture.frameGeometry().size(), area);
    move(p.setup);
    capture.move(p.capture);
}
} // namespace screens
