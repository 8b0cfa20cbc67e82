#include "ui/adapters/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace adapters {

namespace {

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

[[noreturn]] void promptWaits(const QString& title) {
    std::printf("SKIVANE_PROBE_PROMPT %s\n", qPrintable(title));
    std::fflush(stdout);
    std::_Exit(3);
}

} // namespace

ports::Answer DefaultAnswerDialogs::message(const ports::MessageBoxRequest& box) {
    QString text = box.text;
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
    std::printf("SKIVANE_PROBE_MESSAGE %s: %s\n", qPrintable(box.title), qPrintable(text));
    std::fflush(stdout);
    return box.defaultButton;
}

QString DefaultAnswerDialogs::inputBox(const QString&, const QString& title, const QString&) {
    promptWaits(title);
}

QString DefaultAnswerDialogs::openFile(const QString&, const QString&, const QString& title) {
    promptWaits(title);
}

bool StartupProbe::requested() {
    return qEnvironmentVariable("SKIVANE_STARTUP_PROBE") == QLatin1String("1");
}

void StartupProbe::watch(QWidget& setup) {
    setup.winId(); // makes sure the window exists
    m_window = setup.windowHandle();
    m_window->installEventFilter(this);
    if (m_window->isExposed()) // already exposed before the filter was in place
        report();
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed())
        QMetaObject::invokeMethod(this, &StartupProbe::report, Qt::QueuedConnection);
    return false;
}

void StartupProbe::report() {
    if (m_done)
        return;
    m_done = true;
    std::printf("SKIVANE_SETUP_SHOWN %lld main_ms=%lld\n",
                static_cast<long long>(msSinceProcessStart()),
                static_cast<long long>(m_sinceMain.elapsed()));
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

} // namespace adapters
