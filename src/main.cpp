// Entry point: picks the real implementations, wires them into the screens and starts on the
// Setup screen.
//
// Command line (for operators and scripts; a normal start takes no arguments): see
// core/app/SkivaneOptions.h (--app-folder, --help, --version, Qt's own options).
//
// With SKIVANE_STARTUP_PROBE=1 the program measures its own start and ends (see
// ui/adapters/StartupProbe.h); the benchmark and the package's install check use it.
#include "core/app/AppFolder.h"
#include "core/app/DesignFont.h"
#include "core/app/SkivaneOptions.h"
#include "core/engine/Libraries.h"
#include "core/ports/Services.h"
#include "ui/adapters/AvCaptureControl.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/adapters/AvRunTools.h"
#include "ui/adapters/IniSettingsStore.h"
#include "ui/adapters/QtDialogs.h"
#include "ui/adapters/QtSound.h"
#include "ui/adapters/SingleInstance.h"
#include "ui/adapters/StartupProbe.h"
#include "ui/adapters/SystemDiskSpace.h"
#include "ui/screens/Screens.h"
#include "ui/screens/setup/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {

// On X11 or Wayland desktops a window needs a display; say how to get one instead of letting
// Qt abort with its own message. Qt's own "-platform NAME" option picks a platform that may
// need none (offscreen, vnc), as QT_QPA_PLATFORM does.
bool displayAvailable(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform" || arg.startsWith("-platform=") ||
            arg.startsWith("--platform="))
            return true;
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    (void)argc;
    (void)argv;
    return true;
#endif
}

const QString kAlreadyRunning =
    QStringLiteral("Skivane is already running on this computer; its window is brought to the "
                   "front. Only one copy of the program runs at a time, so that two never record "
                   "or log at once.");

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    engine::initLibraries();

    if (const std::optional<int> status = app::handleSkivaneOptions(argc, argv))
        return *status;

    if (!displayAvailable(argc, argv)) {
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

    const bool probe = adapters::StartupProbe::requested();
    adapters::QtDialogs qtDialogs;
    adapters::StartupProbe startupProbe(sinceMain);
    ports::Dialogs& dialogs = probe ? startupProbe.dialogs() : qtDialogs;
    adapters::IniSettingsStore settings;

    // One program at a time: a second start says so before anything else (no reset question, no
    // session line, no settings written), brings the running program's window forward and ends.
    adapters::SingleInstance single(QFileInfo(settings.fileName()).absolutePath());
    if (single.acquire() == adapters::SingleInstance::Result::HeldElsewhere) {
        dialogs.message(kAlreadyRunning, QStringLiteral("Skivane Alert"), ports::Icon::Information);
        single.wakeRunning();
        return 0;
    }
    single.onWake(&adapters::SingleInstance::bringWindowsForward);

    adapters::QtSound sound;
    adapters::SystemDiskSpace disk;
    adapters::AvRunTools tools;
    adapters::AvCaptureControl capture(appDir); // with the network and file cameras of Cameras.txt

    ports::Services services;
    services.dialogs = &dialogs;
    services.settings = &settings;
    services.capture = &capture;
    services.sound = &sound;
    services.disk = &disk;
    services.tools = &tools;
    services.makePlayer = [](QWidget* parent) -> ports::MediaPlayer* {
        return new adapters::AvPlayer(parent); // owned by its parent widget
    };
    services.appDir = appDir;
    services.endProgram = [] { QCoreApplication::exit(0); };

    screens::Screens screens(services);
    screens.start();
    if (probe)
        startupProbe.watch(screens.setup());
    return app.exec();
}
