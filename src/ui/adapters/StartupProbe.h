#pragma once
// The start-up probe, used by `skivane-bench startup` and the package's install check (never set
// it for a real event): with the environment variable SKIVANE_STARTUP_PROBE=1 every message box
// is answered with its default button (No for the two reset questions) and printed as
//   SKIVANE_PROBE_MESSAGE <title>: <text>
// and once the Setup window is first painted the program prints
//   SKIVANE_SETUP_SHOWN <ms since process start> main_ms=<ms since main>
// on standard output and ends. An input box or file dialog cannot be answered by the probe: it
// prints "SKIVANE_PROBE_PROMPT <title>" and ends with status 3 (a settings store without a
// valid video folder would otherwise wait for a person).
#include "core/ports/Dialogs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace adapters {

// Dialogs of the probe: no person is there, so every box takes its default button.
class DefaultAnswerDialogs : public ports::Dialogs {
public:
    using ports::Dialogs::message;
    ports::Answer message(const ports::MessageBoxRequest& box) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    QString openFile(const QString& initialFolder, const QString& filter,
                     const QString& title) override;
};

class StartupProbe : public QObject {
public:
    // `sinceMain` was started as main began; it must outlive the probe.
    explicit StartupProbe(const QElapsedTimer& sinceMain) : m_sinceMain(sinceMain) {}

    // True when the environment asks for the probe.
    static bool requested();
    // The dialogs the program uses while probed.
    ports::Dialogs& dialogs() { return m_dialogs; }
    // Reports the first paint of `setup`'s window, then ends the event loop (status 0): its first
    // expose paints it (the backing store is painted and flushed while the event is handled),
    // so the line is printed once that event is done.
    void watch(QWidget& setup);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void report();

    const QElapsedTimer& m_sinceMain;
    DefaultAnswerDialogs m_dialogs;
    QPointer<QWindow> m_window;
    bool m_done = false;
};

} // namespace adapters
