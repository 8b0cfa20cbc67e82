// skivane-bench startup [runs=N] [program=PATH]: time from starting the program to its Setup
// screen being shown, median of N runs (default 7), next to the time a trivial Qt widgets
// process linked against the same libraries needs to show an empty window, in the same run.
//
// The program (by default `skivane` next to skivane-bench) runs offscreen with its start-up
// probe (SKIVANE_STARTUP_PROBE=1: every message box answered with its default button, so No
// for the two reset questions; it prints "SKIVANE_SETUP_SHOWN ..." when the Setup window is
// first exposed and ends). Each run gets a temporary HOME and XDG_CONFIG_HOME whose settings
// store already names an existing video folder and frame rate 30, so no folder prompt waits.
// The time is wall time from QProcess::start (fork and exec included) to reading that line.
// The reference is `skivane-bench startup-ref`, which shows an empty QWidget and ends when it
// is exposed. Program and reference runs alternate so that a change in machine load hits both.
#include "Bench.h"

#include "core/app/Settings.h"
#include "ui/adapters/IniSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kTimeoutMs = 30000;

struct Run {
    double wallMs = 0;         // QProcess::start to the line read
    long long reportedMs = -1; // the program's own figure (process start to shown), if any
};

// Starts `program` and waits for a line beginning with `marker` on its standard output.
std::optional<Run> timeOne(const QString& program, const QStringList& args,
                           const QProcessEnvironment& env, const QByteArray& marker) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    QByteArray out;
    std::optional<Run> run;
    while (!run) {
        if (!p.waitForReadyRead(kTimeoutMs))
            break;
        out += p.readAllStandardOutput();
        const qsizetype at = out.indexOf(marker);
        if (at >= 0 && out.indexOf('\n', at) > at) {
            Run r;
            r.wallMs = t.nsecsElapsed() / 1e6;
            const QList<QByteArray> words =
                out.mid(at + marker.size(), out.indexOf('\n', at) - at - marker.size())
                    .trimmed()
                    .split(' ');
            bool ok = false;
            const long long reported = words.value(0).toLongLong(&ok);
            if (ok)
                r.reportedMs = reported;
            run = r;
        }
    }
    if (!p.waitForFinished(kTimeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    if (!run) {
        std::fprintf(stderr, "startup: %s gave no \"%s\" line (exit %d)\nstdout: %s\nstderr: %s\n",
                     qPrintable(program), marker.constData(), p.exitCode(), out.constData(),
                     p.readAllStandardError().constData());
    }
    return run;
}

int startupBench(const QStringList& args) {
    int runs = 7;
    QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("skivane"));
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("runs=")))
            runs = std::max(1, a.mid(5).toInt());
        else if (a.startsWith(QLatin1String("program=")))
            program = a.mid(8);
        else {
            std::fprintf(stderr, "startup: unknown argument %s\n", qPrintable(a));
            return 2;
        }
    }
    if (!QFileInfo(program).isExecutable()) {
        std::fprintf(stderr, "startup: %s is not an executable program\n", qPrintable(program));
        return 1;
    }

    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        std::fprintf(stderr, "startup: no temporary folder\n");
        return 1;
    }
    const QString home = tmp.filePath(QStringLiteral("home"));
    const QString config = tmp.filePath(QStringLiteral("config"));
    const QString videos = tmp.filePath(QStringLiteral("videos"));
    for (const QString& d : {home, config, videos})
        QDir().mkpath(d);
    {
        platform::IniSettingsStore store(config + QStringLiteral("/SKV04/SKV04.ini"));
        app::settings::write(store, app::settings::kLogPath, QDir::toNativeSeparators(videos));
        app::settings::write(store, app::settings::kFrameRate, QStringLiteral("30"));
        if (!store.lastWriteOk()) {
            std::fprintf(stderr, "startup: the settings store could not be written\n");
            return 1;
        }
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SKIVANE_STARTUP_PROBE"), QStringLiteral("1"));
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList refArgs{QStringLiteral("startup-ref")};
    const QByteArray shown("SKIVANE_SETUP_SHOWN");
    const QByteArray refShown("SKIVANE_REFERENCE_SHOWN");

    // One untimed run of each loads the files into the page cache.
    if (!timeOne(program, {}, env, shown) || !timeOne(self, refArgs, env, refShown))
        return 1;

    std::vector<double> ours, reference, reported;
    for (int i = 0; i < runs; ++i) {
        const auto r = timeOne(program, {}, env, shown);
        const auto ref = timeOne(self, refArgs, env, refShown);
        if (!r || !ref)
            return 1;
        ours.push_back(r->wallMs);
        reference.push_back(ref->wallMs);
        if (r->reportedMs >= 0)
            reported.push_back(static_cast<double>(r->reportedMs));
        std::printf("run %d: skivane %7.1f ms (own figure %lld ms) | reference %7.1f ms\n", i + 1,
                    r->wallMs, r->reportedMs, ref->wallMs);
    }
    const double m = bench::median(ours);
    const double r = bench::median(reference);
    std::printf("skivane to Setup shown: median %.1f ms of %d runs (its own figure from process "
                "start: median %.0f ms)\n",
                m, runs, bench::median(reported));
    std::printf("reference, empty Qt window shown: median %.1f ms\n", r);
    std::printf("goal: under 500 ms: %s\n", m < 500 ? "met" : "not met");
    std::printf("RESULT startup median_ms=%.1f reference_ms=%.1f ratio=%.2f\n", m, r,
                r > 0 ? m / r : 0.0);
    return 0;
}

// The reference process: an empty window, shown; the line is printed when it is exposed.
class ExposedReporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWindow*>(watched);
        if (w && event->type() == QEvent::Expose && w->isExposed() && !m_done) {
            m_done = true;
            std::printf("SKIVANE_REFERENCE_SHOWN\n");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }

private:
    bool m_done = false;
};

int startupReference(const QStringList&) {
    QWidget w;
    w.resize(640, 480);
    ExposedReporter reporter;
    w.show();
    w.windowHandle()->installEventFilter(&reporter);
    return QCoreApplication::exec();
}

} // namespace

static bench::Registration startupRegistration{
    "startup", "process start to the Setup screen shown, median of runs [runs=7] [program=PATH]",
    startupBench};
static bench::Registration startupRefRegistration{
    "startup-ref", "(used by startup) shows an empty window and ends when it is exposed",
    startupReference};
