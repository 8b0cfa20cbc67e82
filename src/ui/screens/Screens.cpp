#include "ui/screens/Screens.h"

#include "core/ports/Services.h"
#include "ui/screens/LogView.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/frmManual.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

Screens::Screens(platform::Services& services) : m_services(services) {}

platform::Session& Screens::session() {
    return m_services.session;
}

Screens::~Screens() {
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
}

MainForm& Screens::setup() {
    if (!m_setup)
        m_setup = std::make_unique<MainForm>(*this);
    return *m_setup;
}

PreviewForm& Screens::capture() {
    if (!m_capture)
        m_capture = std::make_unique<PreviewForm>(*this);
    return *m_capture;
}

frmSetStart& Screens::timer() {
    if (!m_timer)
        m_timer = std::make_unique<frmSetStart>(*this);
    return *m_timer;
}

frmManual& Screens::manual() {
    if (!m_manual)
        m_manual = std::make_unique<frmManual>(*this);
    return *m_manual;
}

LogView& Screens::showLogView(QWidget* owner) {
    if (!m_logView) // owned by `owner` (Qt parent); it deletes itself when left
        m_logView = new LogView(*this, owner);
    m_logView->show();
    m_logView->raise();
    return *m_logView;
}

LogView* Screens::logView() const {
    return m_logView.data();
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

void Screens::hideCapture() {
    capture().hide();
}

void Screens::showTimer() {
    timer().show();
}

void Screens::showManual() {
    manual().show();
}
