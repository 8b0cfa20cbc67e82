#pragma once
// The navigation hub as the screens see it: the services, the program-wide values, showing and
// hiding screens, and the links to what one screen asks of another (ScreenLinks.h). Screens
// implements it; a screen holds a ScreenHub, never the hub's class nor another screen's.
#include <QString>
#include <functional>

class QWidget;

namespace ports {
struct Services;
struct Session;
} // namespace ports

namespace screens {
class SetupValues;
class CapturePanel;
class SkierEntry;
class RunReceiver;
class ScreenHub {
public:
    virtual ports::Services& services() = 0;
    // The program-wide values of this run (held by the services).
    virtual ports::Session& session() = 0;

    // The links. Each creates its screen (hidden, with its load) on first use.
    virtual SetupValues& setupValues() = 0;
    virtual CapturePanel& capturePanel() = 0;
    virtual SkierEntry& skierEntry() = 0;
    // The Capture screen's window, for placing it beside the Setup screen.
    virtual QWidget& captureWindow() = 0;
    virtual RunReceiver& runReceiver() = 0;

    // Navigation: the screen is created on first use.
    virtual void showSetup() = 0;
    virtual void hideSetup() = 0;
    virtual void showCapture() = 0;
    // Hides the Capture screen. When that leaves no screen on view, the Setup screen is shown
    // and `reason` tells the operator why the Capture screen went.
    virtual void hideCapture(const QString& reason = QString()) = 0;
    virtual void showTimer() = 0;
    virtual void showManual() = 0;
    // Shows the log viewer, modeless, owned by `owner` (it stays above it).
    virtual void openLogView(QWidget* owner) = 0;
    // Shows the skier list owned by `owner`, or brings the open one forward. A name chosen
    // there goes to `chosen`.
    virtual void openSkierList(QWidget& owner, std::function<void(const QString&)> chosen) = 0;

protected:
    ~ScreenHub() = default;
};
} // namespace screens
