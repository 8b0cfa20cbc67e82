#pragma once
// The real or test implementations the screens use, picked in one place (main.cpp or a test).
#include "core/ports/Session.h"

#include <QDateTime>
#include <QString>
#include <functional>

class QWidget;

namespace ports {

class Dialogs;
class SettingsStore;
class CaptureControl;
class MediaPlayer;
class Sound;
class DiskSpace;
class RunTools;

struct Services {
    Dialogs* dialogs = nullptr;
    SettingsStore* settings = nullptr;
    CaptureControl* capture = nullptr;
    Sound* sound = nullptr;
    DiskSpace* disk = nullptr;
    RunTools* tools = nullptr;
    // Creates the Timer & Review screen's player as a child of `parent`; required.
    std::function<MediaPlayer*(QWidget* parent)> makePlayer;
    // The application folder: skier list, sounds, manual. No trailing separator.
    QString appDir;
    // Ends the program at once (Exit, or closing the Setup window).
    std::function<void()> endProgram;
    // The clock of the session log and its file name.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // The program-wide values of this run.
    Session session;
};

} // namespace ports
