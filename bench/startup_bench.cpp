// skivane-bench startup [runs=N] [program=PATH]: time from starting the program to its Setup
// screen first painted, median of N runs (default 7), next to the time two trivial Qt widgets
// programs need to paint an empty window, in the same run: one linked with Qt Widgets alone
// (`skivane-bare-window`), one also linked with the FFmpeg libraries the program uses
// (`skivane-ffmpeg-window`), both built next to skivane-bench.
//
// The program (by default `skivane` next to skivane-bench) runs offscreen with its start-up
// probe (SKIVANE_STARTUP_PROBE=1: every message box answered with its default button, so No
// for the two reset questions; it prints "SKIVANE_SETUP_SHOWN ..." once the Setup window's
// first paint is done and ends). Each run gets a temporary HOME and XDG_CONFIG_HOME whose settings
// store already names an existing video folder and frame rate 30, so no folder prompt waits.
// The time is wall time from QProcess::start (fork and exec included) to reading that line.
// Program and reference runs alternate so that a change in machine load hits all three.
#include "Bench.h"

#include "core/app/Settings.h"
#include "ui/adapters/IniSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
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
        adapters::IniSettingsStore store(config + QStringLiteral("/SKV04/SKV04.ini"));
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
    const QDir here(QCoreApplication::applicationDirPath());
    const QString bare = here.filePath(QStringLiteral("skivane-bare-window"));
    const QString linked = here.filePath(QStringLiteral("skivane-ffmpeg-window"));
    const QByteArray shown("SKIVANE_SETUP_SHOWN");
    const QByteArray refShown("SKIVANE_REFERENCE_SHOWN");

    // One untimed run of each loads the files into the page cache.
    if (!timeOne(program, {}, env, shown) || !timeOne(bare, {}, env, refShown) ||
        !timeOne(linked, {}, env, refShown))
        return 1;

    std::vector<double> ours, bareMs, linkedMs, reported;
    for (int i = 0; i < runs; ++i) {
        const auto r = timeOne(program, {}, env, shown);
        const auto b = timeOne(bare, {}, env, refShown);
        const auto l = timeOne(linked, {}, env, refShown);
        if (!r || !b || !l)
            return 1;
        ours.push_back(r->wallMs);
        bareMs.push_back(b->wallMs);
        linkedMs.push_back(l->wallMs);
        if (r->reportedMs >= 0)
            reported.push_back(static_cast<double>(r->reportedMs));
        std::printf("run %d: skivane %7.1f ms (own figure %lld ms) | bare Qt window %7.1f ms | Qt "
                    "window with the FFmpeg libraries %7.1f ms\n",
                    i + 1, r->wallMs, r->reportedMs, b->wallMs, l->wallMs);
    }
    const double m = bench::median(ours);
    const double b = bench::median(bareMs);
    const double l = bench::median(linkedMs);
    std::printf("skivane to Setup painted: median %.1f ms of %d runs (its own figure from process "
                "start: median %.0f ms)\n",
                m, runs, bench::median(reported));
    std::printf("empty Qt window painted: median %.1f ms; linked with the FFmpeg libraries too: "
                "median %.1f ms\n",
                b, l);
    std::printf("goal: under 500 ms: %s\n", m < 500 ? "met" : "not met");
    std::printf("RESULT startup median_ms=%.1f bare_window_ms=%.1f ffmpeg_window_ms=%.1f "
                "bare_ratio=%.2f ffmpeg_ratio=%.2f\n",
                m, b, l, b > 0 ? m / b : 0.0, l > 0 ? m / l : 0.0);
    return 0;
}

} // namespace

static bench::Registration startupRegistration{
    "startup", "process start to the Setup screen painted, median of runs [runs=7] [program=PATH]",
    startupBench};
