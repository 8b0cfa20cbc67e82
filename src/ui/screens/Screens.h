#pragma once
// Owner of the program's screens. The three main screens are created once, on first use, and
// live until the program ends: navigation only shows and hides them. The screens see it as a
// ScreenHub; main.cpp and the tests reach the screens themselves through it.
#include "ui/screens/ScreenHub.h"

#include <QPointer>
#include <QString>
#include <memory>

class QWidget;

namespace ports {
struct Services;
struct Session;
} // namespace ports

namespace screens {
class WindowGuard;
class MainForm;
class PreviewForm;
class frmSetStart;
class LogView;
class frmManual;
class frmSelectSkier;
class Screens final : public ScreenHub {
public:
    explicit Screens(ports::Services& services);
    ~Screens();
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    ports::Services& services() override { return m_services; }
    ports::Session& session() override;

    // Creates the Setup screen, runs its load to completion, then shows it. Once it is painted,
    // the start checks run from the event loop (Screens_StartChecks.cpp).
    void start();

    MainForm& setup();
    // The Capture screen is created hidden the first time it is asked for (the Setup load's
    // first touch of the capture control); its load runs at that moment.
    PreviewForm& capture();
    bool captureExists() const { return m_capture != nullptr; }
    // The Timer & Review screen is created the first time it is asked for.
    frmSetStart& timer();
    bool timerExists() const { return m_timer != nullptr; }
    frmManual& manual();
    // Shows a new log viewer, modeless, owned by `owner` (it stays above it). The viewer
    // destroys itself when it is left.
    LogView& showLogView(QWidget* owner);
    LogView* logView() const;
    // The skier list window while it is open.
    frmSelectSkier* skierList() const;

    // ScreenHub: the links and the navigation of the screens.
    SetupValues& setupValues() override;
    CapturePanel& capturePanel() override;
    SkierEntry& skierEntry() override;
    QWidget& captureWindow() override;
    RunReceiver& runReceiver() override;
    void showSetup() override;
    void hideSetup() override;
    void showCapture() override;
    void hideCapture(const QString& reason = QString()) override;
    void showTimer() override;
    void showManual() override;
    void openLogView(QWidget* owner) override;
    void openSkierList(QWidget& owner, std::function<void(const QString&)> chosen) override;

    // The program never leaves the operator without a window: when no screen is on view (the
    // last one was hidden), the Setup screen is shown and a message gives `reason`, or a
    // general one. Runs on its own after any screen is hidden; true when it had to act.
    bool keepReachable(const QString& reason = QString());
    // True while a screen of the program is on view.
    bool anyScreenVisible() const;

private:
    // The camera list's warning, leftover part files, and the runs of today that were cut off;
    // run once, from the event loop, after the Setup screen was first painted.
    void scheduleStartChecks();
    void runStartChecks();
    // The Capture, Timer & Review and manual windows have no close box: a close request
    // (Alt+F4, the window manager's close) is refused. Every screen is watched for being hidden.
    void guard(QWidget& window, bool refuseClose);

    ports::Services& m_services;
    std::unique_ptr<MainForm> m_setup;
    std::unique_ptr<PreviewForm> m_capture;
    std::unique_ptr<frmSetStart> m_timer;
    std::unique_ptr<frmManual> m_manual;
    QPointer<LogView> m_logView;
    QPointer<frmSelectSkier> m_skierList;
    std::unique_ptr<WindowGuard> m_guard;
    bool m_started = false;
};
} // namespace screens
