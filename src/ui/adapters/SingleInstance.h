#pragma once
// One program at a time per settings folder: a lock file beside the settings, held for the whole
// run and released on any exit (a lock left by a program that crashed is taken over), and a
// local socket in the same folder through which a second start asks the running program to
// bring its window forward. Two programs with their own settings folders (test runs with their
// own XDG_CONFIG_HOME) never meet.
#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>

namespace adapters {

class SingleInstance {
public:
    // `folder`: the settings folder (created when missing).
    explicit SingleInstance(const QString& folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Result {
        Acquired,      // this program is the one; it listens for later starts
        HeldElsewhere, // a running program holds the lock
        Unavailable,   // the folder cannot hold a lock (read-only): the program runs unguarded
    };
    // Takes the lock: free, or left by a program that is gone (a crash, a power loss).
    Result acquire();

    // A second start: asks the program that holds the lock to bring its window forward. False
    // when it could not be reached within `timeoutMs`.
    bool wakeRunning(int timeoutMs = 3000);

    // Runs `wake` (on the GUI thread) each time a later start asks for the window.
    void onWake(std::function<void()> wake) { m_wake = std::move(wake); }

    // The lock file and the socket name (a path in the folder, or a short name in the temporary
    // folder when the path is too long for a socket).
    QString lockPath() const;
    QString socketName() const { return m_socketName; }

    // Brings the program's visible windows forward: a minimised one is restored, a modal box on
    // view (a start-up question) comes on top and takes the focus.
    static void bringWindowsForward();

private:
    QString m_folder;
    QLockFile m_lock;
    QString m_socketName;
    QLocalServer m_server;
    std::function<void()> m_wake;
};

} // namespace adapters
