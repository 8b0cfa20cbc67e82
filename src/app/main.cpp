// Entry point: picks the real implementations, wires them into the screens and starts on the
// Setup screen.
#include "app/AppFolder.h"
#include "app/DesignFont.h"
#include "platform/Services.h"
#include "platform/qt/IniSettingsStore.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtSound.h"
#include "platform/qt/SystemDiskSpace.h"
#include "screens/Screens.h"

#include <QApplication>
#include <cstdio>
#include <memory>

// The capture control and the player come from the FFmpeg engine when this build has it;
// without the capture engine the program still starts, with a control that has no devices.
#if __has_include("platform/av/AvCaptureControl.h")
#include "platform/av/AvCaptureControl.h"
#define SKIVANE_HAVE_AV_CAPTURE 1
#else
#include "platform/qt/NoDeviceCaptureControl.h"
#endif
#if __has_include("platform/av/AvPlayer.h")
#include "platform/av/AvPlayer.h"
#define SKIVANE_HAVE_AV_PLAYER 1
#endif

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

} // namespace

int main(int argc, char** argv) {
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

    platform::QtDialogs dialogs;
    platform::IniSettingsStore settings;
    platform::QtSound sound;
    platform::SystemDiskSpace disk;
#ifdef SKIVANE_HAVE_AV_CAPTURE
    av::AvCaptureControl capture;
#else
    platform::NoDeviceCaptureControl capture;
#endif

    platform::Services services;
    services.dialogs = &dialogs;
    services.settings = &settings;
    services.capture = &capture;
    services.sound = &sound;
    services.disk = &disk;
#ifdef SKIVANE_HAVE_AV_PLAYER
    services.makePlayer = [](QWidget* parent) -> platform::MediaPlayer* {
        return new av::AvPlayer(parent); // owned by its parent widget
    };
#endif
    services.appDir = appDir;
    services.endProgram = [] { QCoreApplication::exit(0); };

    Screens screens(services);
    screens.start();
    return app.exec();
}
