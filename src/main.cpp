// Entry point: picks the real implementations, wires them into the screens and starts on the
// Setup screen.
//
// Command line (for operators and scripts; a normal start takes no arguments): see
// core/app/SkivaneOptions.h (--app-folder, --help, --version, Qt's own options).
//
// Start-up probe, used by `skivane-bench startup` (never set it for a real event): with the
// environment variable SKIVANE_STARTUP_PROBE=1 every message box is answered with its default
// button (No for the two reset questions), and once the Setup window is first painted the
// program prints "SKIVANE_SETUP_SHOWN <ms since process start> main_ms=<ms since main>" on
// standard output and ends. An input box or file dialog cannot be answered by the probe: it
// prints "SKIVANE_PROBE_PROMPT <title>" and ends with status 3 (a settings store without a
// valid video folder would otherwise wait for a person).
#include "core/app/AppFolder.h"
#include "core/app/DesignFont.h"
#include "core/app/SkivaneOptions.h"
#include "core/ports/Services.h"
#include "ui/adapters/AvCaptureControl.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/adapters/AvRunTools.h"
#include "ui/adapters/IniSettingsStore.h"
#include "ui/adapters/QtDialogs.h"
#include "ui/adapters/QtSound.h"
#include "ui/adapters/SystemDiskSpace.h"
#include "ui/screens/Screens.h"
#include "ui/screens/setup/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

// On X11 or Wayland desktops a window needs a display; say how to get one instead of letting
// Qt abort with its own message.
bool displayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// Milliseconds since the kernel started this process (its start time in /proc/self/stat, in
// clock ticks since boot), so that loading the shared libraries counts too; -1 when unknown.
qint64 msSinceProcessStart() {
#if defined(Q_OS_LINUX)
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name (field 2) may hold blanks and parentheses: count fields after its ')'.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    constexpr int kStartTimeAfterName = 22 - 3; // field 22, counted from field 3
    if (fields.size() <= kStartTimeAfterName)
        return -1;
    bool ok = false;
    const qint64 ticks = fields[kStartTimeAfterName].toLongLong(&ok);
    const long hz = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (!ok || hz <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    const qint64 ms = nowMs - ticks * 1000 / hz;
    return ms >= 0 ? ms : -1;
#else
    return -1;
#endif
}

// Dialogs of the start-up probe: no person is there, so every box takes its default button.
class DefaultAnswerDialogs : public platform::Dialogs {
public:
    using Dialogs::message;
    platform::Answer message(const platform::MessageBoxRequest& box) override {
        return box.defaultButton;
    }
    QString inputBox(const QString&, const QString& title, const QString&) override {
        return promptWaits(title);
    }
    QString openFile(const QString&, const QString&, const QString& title) override {
        return promptWaits(title);
    }

private:
    [[noreturn]] static QString promptWaits(const QString& title) {
        std::printf("SKIVANE_PROBE_PROMPT %s\n", qPrintable(title));
        std::fflush(stdout);
        std::_Exit(3);
    }
};

// Reports the Setup window's first paint, then ends the program: its first expose paints it
// (the backing store is painted and flushed while the event is handled), so the line is printed
// once that event is done.
class SetupShownProbe : public QObject {
public:
    explicit SetupShownProbe(const QElapsedTimer& sinceMain) : m_sinceMain(sinceMain) {}

    void watch(QWindow* window) {
        m_window = window;
        window->installEventFilter(this);
        if (window->isExposed()) // already exposed before the filter was in place
            report();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed())
            QMetaObject::invokeMethod(this, &SetupShownProbe::report, Qt::QueuedConnection);
        return false;
    }

private:
    void report() {
        if (m_done)
            return;
        m_done = true;
        std::printf("SKIVANE_SETUP_SHOWN %lld main_ms=%lld\n",
                    static_cast<long long>(msSinceProcessStart()),
                    static_cast<long long>(m_sinceMain.elapsed()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    const QElapsedTimer& m_sinceMain;
    QWindow* m_window = nullptr;
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();

    if (const std::optional<int> status = app::handleSkivaneOptions(argc, argv))
        return *status;

    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "skivane: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start it from a desktop session, or on a machine without a screen run it\n"
                     "under a virtual X server:\n"
                     "    xvfb-run -a %s\n"
                     "(QT_QPA_PLATFORM=offscreen also works, but nothing is then shown.)\n",
                     argc > 0 ? argv[0] : "skivane");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Skivane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("skivane"));
    // The program ends only from the Setup screen (Exit, or its close box), never because the
    // last visible window went away: during start-up only modal questions are visible.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(app::designFont());

    QString folderError;
    const QString appDir = app::resolveAppFolder(app::systemAppFolderSources(), &folderError);
    if (!folderError.isEmpty())
        std::fprintf(stderr, "skivane: %s\n", qPrintable(folderError));

    const bool probe = qEnvironmentVariable("SKIVANE_STARTUP_PROBE") == QLatin1String("1");
    platform::QtDialogs qtDialogs;
    DefaultAnswerDialogs probeDialogs;
    platform::Dialogs& dialogs = probe ? static_cast<platform::Dialogs&>(probeDialogs) : qtDialogs;
    platform::IniSettingsStore settings;
    platform::QtSound sound;
    platform::SystemDiskSpace disk;
    platform::AvRunTools tools;
    av::AvCaptureControl capture(appDir); // with the network and file cameras of Cameras.txt

    platform::Services services;
    services.dialogs = &dialogs;
    services.settings = &settings;
    services.capture = &capture;
    services.sound = &sound;
    services.disk = &disk;
    services.tools = &tools;
    services.makePlayer = [](QWidget* parent) -> platform::MediaPlayer* {
        return new av::AvPlayer(parent); // owned by its parent widget
    };
    services.appDir = appDir;
    services.endProgram = [] { QCoreApplication::exit(0); };

    Screens screens(services);
    SetupShownProbe shownProbe(sinceMain);
    screens.start();
    if (probe) {
        QWidget& setup = screens.setup();
        setup.winId(); // makes sure the window exists
        shownProbe.watch(setup.windowHandle());
    }
    return app.exec();
}
