#include "ui/screens/Screens.h"

#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "ui/screens/LogView.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/frmManual.h"
#include "ui/screens/frmSelectSkier.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"
#include "ui/widgets/FitCaption.h"

#include <QEvent>
#include <QSet>
#include <QTimer>

// Watches the screens: refuses close requests on the windows without a close box, and after a
// screen is hidden checks (once the hiding call has finished and shown whatever comes next)
// that some screen is still on view.
namespace screens {
class WindowGuard : public QObject {
public:
    explicit WindowGuard(Screens& screens) : m_screens(screens) {}

    void refuseClose(QObject* window) { m_refused.insert(window); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            widgets::fitCaptions(*static_cast<QWidget*>(watched)); // texts set while hidden
        if (event->type() == QEvent::Close && m_refused.contains(watched)) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::Hide && !event->spontaneous() && !m_checkPosted) {
            m_checkPosted = true;
            QTimer::singleShot(0, this, [this] {
                m_checkPosted = false;
                m_screens.keepReachable();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Screens& m_screens;
    QSet<QObject*> m_refused;
    bool m_checkPosted = false;
};

namespace {
const QString kNoScreenLeft =
    QStringLiteral("No screen was left open, so the Setup screen is shown again.");
}

Screens::Screens(ports::Services& services)
    : m_services(services), m_guard(std::make_unique<WindowGuard>(*this)) {}

ports::Session& Screens::session() {
    return m_services.session;
}

Screens::~Screens() {
    m_guard.reset(); // no checks while the screens go
    // A log viewer is a child of its owner and goes with it. The Capture screen goes last among
    // the main screens: its destruction disconnects the capture device.
    m_manual.reset();
    m_timer.reset();
    m_setup.reset();
    m_capture.reset();
}

void Screens::start() {
    setup().Form_Load();
    m_setup->show();
    m_started = true;
    scheduleStartChecks();
}

void Screens::guard(QWidget& window, bool refuseClose) {
    if (refuseClose) {
        // No close box: the screen's own buttons are the ways out.
        window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        m_guard->refuseClose(&window);
    }
    window.installEventFilter(m_guard.get());
}

MainForm& Screens::setup() {
    if (!m_setup) {
        m_setup = std::make_unique<MainForm>(*this);
        guard(*m_setup, false); // closing the Setup window ends the program
    }
    return *m_setup;
}

PreviewForm& Screens::capture() {
    if (!m_capture) {
        m_capture = std::make_unique<PreviewForm>(*this);
        guard(*m_capture, true);
    }
    return *m_capture;
}

frmSetStart& Screens::timer() {
    if (!m_timer) {
        m_timer = std::make_unique<frmSetStart>(*this);
        guard(*m_timer, true);
    }
    return *m_timer;
}

frmManual& Screens::manual() {
    if (!m_manual) {
        m_manual = std::make_unique<frmManual>(*this);
        guard(*m_manual, true);
    }
    return *m_manual;
}

bool Screens::anyScreenVisible() const {
    for (const QWidget* w : std::initializer_list<const QWidget*>{m_setup.get(), m_capture.get(),
                                                                  m_timer.get(), m_manual.get()})
        if (w && w->isVisible())
            return true;
    return false;
}

bool Screens::keepReachable(const QString& reason) {
    // Before the start-up has shown the Setup screen nothing is expected on view.
    if (!m_started || anyScreenVisible())
        return false;
    showSetup();
    m_services.dialogs->message(reason.isEmpty() ? kNoScreenLeft : reason,
                                QStringLiteral("Skivane Alert"), ports::Icon::Exclamation);
    return true;
}

LogView& Screens::showLogView(QWidget* owner) {
    if (!m_logView) { // owned by `owner` (Qt parent); it deletes itself when left
        m_logView = new LogView(*this, owner);
        m_logView->installEventFilter(m_guard.get());
    }
    m_logView->show();
    m_logView->raise();
    return *m_logView;
}

LogView* Screens::logView() const {
    return m_logView.data();
}

void Screens::openLogView(QWidget* owner) {
    showLogView(owner);
}

void Screens::openSkierList(QWidget& owner, std::function<void(const QString&)> chosen) {
    if (m_skierList) { // already open: bring it forward, its list as read when it opened
        m_skierList->raise();
        m_skierList->activateWindow();
        return;
    }
    // Owned by `owner` (Qt parent); it deletes itself when closed.
    m_skierList = new frmSelectSkier(owner, m_services, std::move(chosen));
    m_skierList->show();
}

frmSelectSkier* Screens::skierList() const {
    return m_skierList.data();
}

SetupValues& Screens::setupValues() {
    return setup();
}

CapturePanel& Screens::capturePanel() {
    return setup();
}

SkierEntry& Screens::skierEntry() {
    return capture();
}

QWidget& Screens::captureWindow() {
    return capture();
}

RunReceiver& Screens::runReceiver() {
    return timer();
}

void Screens::showSetup() {
    setup().show();
}

void Screens::hideSetup() {
    setup().hide();
}

void Screens::showCapture() {
    capture().show();
}

void Screens::hideCapture(const QString& reason) {
    const bool wasShown = capture().isVisible();
    capture().hide();
    if (wasShown)
        keepReachable(reason);
}

void Screens::showTimer() {
    timer().show();
}

void Screens::showManual() {
    manual().show();
}
} // namespace screens
