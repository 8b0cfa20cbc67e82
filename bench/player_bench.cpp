// skivane-bench player: latency of the player's frame steps and random jumps on files made
// here with the ffmpeg program, next to yardsticks measured on the same file in the same run:
// one frame decoded cold (seek to a key frame, decode, convert to a picture) plus one paint of
// the player's picture, and (for H.264) one group of pictures decoded from its key frame (median
// of three).
// `skivane-bench player 1080p-h264 ...` measures only the files named.
//
// A step is "position set until the picture is painted" (the picture widget's paint after the
// frame was shown), in a real window of the offscreen (or xvfb) platform. Steps are paced at
// ten a second, the rate of a held arrow key. Cases: steps after 100 ms and after 1 s idle, a
// back step from a key frame after 100 ms and 1 s idle, random jumps (median and p99), a held
// "<" across three group boundaries with the CPU time it costs (getrusage, all threads), and
// the peak resident memory while one file is reviewed (VmHWM, reset per file).
// Hits and misses count the positions the player found in its frame cache (shown at once) and
// those it had to wait for the decode worker for, over all files measured.
#include "Bench.h"

#include "core/engine/FrameDecoder.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/widgets/PictureWidget.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kFrames = 1000; // four groups: a held "<" crosses three boundaries
constexpr int kGop = 250;
constexpr int kStepPauseMs = 100;

struct Spec {
    const char* label;
    int width;
    int height;
    bool h264;
};

struct Stats {
    double median = 0;
    double p99 = 0;
};

Stats stats(std::vector<double> v) {
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, static_cast<size_t>(v.size() * 0.99))];
    return s;
}

bool hasEncoder(const QString& name) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {"-hide_banner", "-encoders"});
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).contains(" " + name + " ");
}

QString makeFile(const QString& dir, const Spec& s, const QString& h264Encoder) {
    const QString out = QStringLiteral("%1/%2.avi").arg(dir, s.label);
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("testsrc2=size=%1x%2:rate=30").arg(s.width).arg(s.height),
                     "-frames:v",
                     QString::number(kFrames)};
    if (s.h264)
        args << "-c:v" << h264Encoder << "-g" << QString::number(kGop) << "-pix_fmt"
             << "yuv420p";
    else
        args << "-c:v"
             << "mjpeg"
             << "-q:v"
             << "3"
             << "-pix_fmt"
             << "yuvj420p";
    if (s.h264 && h264Encoder == "libx264")
        args << "-preset"
             << "veryfast";
    args << out;
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed for %s: %s\n", s.label,
                     p.readAllStandardError().constData());
        return {};
    }
    return out;
}

// Milliseconds from setting the position until the picture of that frame is painted.
double timedShow(av::AvPlayer& player, int frame) {
    auto* view = player.findChild<av::PictureWidget*>();
    QEventLoop loop;
    QElapsedTimer clock;
    double ms = -1;
    bool shown = false;
    auto c1 = QObject::connect(&player, &av::AvPlayer::frameShown, &loop,
                               [&](int f) { shown = f == frame; });
    auto c2 = QObject::connect(view, &av::PictureWidget::painted, &loop, [&] {
        if (shown && ms < 0) {
            ms = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    clock.start();
    player.setPlayerPosition(frame);
    if (player.shownFrame() == frame)
        shown = true;
    if (ms < 0)
        loop.exec();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    return ms;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A field of /proc/self/status in MiB: VmHWM, the peak resident memory since the last reset
// (resetPeak() starts a new peak after giving freed memory back), or VmRSS.
double statusMiB(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}
void resetPeak() {
    malloc_trim(0);
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

struct Result {
    double decodeOne = 0; // median of one frame decoded cold: seek, decode, convert
    double paint = 0;     // median of one paint of the player's picture
    double gop = 0;       // one group of pictures from its key frame
    Stats fwd, back, jump, idleStep, backKey100, backKey1s, backKeyNext, backKeyOpened, held;
    double heldCores = 0; // CPU seconds per second while "<" is held
    double peak = 0;      // MiB
    double base = 0;      // resident MiB before the file was opened
    av::FrameCache::Counters cache;
};

Result measure(const QString& file, bool h264) {
    Result r;
    std::mt19937 rng(7);
    std::vector<int> keys;
    {
        av::FrameDecoder d;
        if (!d.open(file))
            return r;
        for (int i = 0; i < d.frameCount(); ++i)
            if (d.keyFrameAtOrBefore(i) == i)
                keys.push_back(i);
        std::vector<double> gops; // median of three: one run alone varies by a fifth
        for (int run = 0; run < 3; ++run) {
            d.seekToKeyFor(0);
            QElapsedTimer all;
            all.start();
            for (int i = 0; i < kGop; ++i)
                if (!d.decodeNext())
                    break;
            gops.push_back(all.nsecsElapsed() / 1e6);
        }
        r.gop = stats(gops).median;
        std::vector<double> cold;
        for (int i = 0; i < 15; ++i) {
            const int k = keys[std::uniform_int_distribution<size_t>(0, keys.size() - 1)(rng)];
            QElapsedTimer t;
            t.start();
            d.seekToKeyFor(k);
            if (!d.decodeNext() || d.currentImage().isNull())
                break;
            cold.push_back(t.nsecsElapsed() / 1e6);
        }
        r.decodeOne = stats(cold).median;
    }
    resetPeak(); // the peak of reviewing the file, from here
    r.base = statusMiB("VmRSS");
    av::AvPlayer player;
    player.resize(960, 600);
    player.show();
    player.setPlayerFileName(file);
    if (!QTest::qWaitFor([&] { return player.frameCount() > 0 && player.shownFrame() == 0; },
                         30000))
        return r;
    const int count = player.frameCount();
    if (count < 100)
        return r;
    {
        auto* view = player.findChild<av::PictureWidget*>();
        std::vector<double> paints;
        for (int i = 0; i < 15; ++i) {
            QElapsedTimer t;
            t.start();
            view->repaint();
            paints.push_back(t.nsecsElapsed() / 1e6);
        }
        r.paint = stats(paints).median;
    }
    std::vector<double> fwd, back, jump, idle, key100, key1s, keyNext, keyOpened, held;
    // The first thing after opening: a jump to a key frame and, 100 ms later, a back step, before
    // the idle worker had time for anything but the frames around it.
    {
        std::vector<int> later;
        for (int k : keys)
            if (k > 0 && k < count)
                later.push_back(k);
        if (!later.empty()) {
            timedShow(player, later[later.size() / 2]);
            QTest::qWait(kStepPauseMs);
            keyOpened.push_back(timedShow(player, later[later.size() / 2] - 1));
            QTest::qWait(kStepPauseMs);
        }
    }
    // Runs of twelve steps each way from random places.
    for (int run = 0; run < 4; ++run) {
        const int start = std::uniform_int_distribution<int>(20, count - 20)(rng);
        timedShow(player, start);
        QTest::qWait(kStepPauseMs);
        for (int i = 1; i <= 12; ++i) {
            fwd.push_back(timedShow(player, start + i));
            if (qEnvironmentVariableIsSet("SKIVANE_BENCH_TRACE"))
                std::printf("fwd %d %.2f\n", start + i, fwd.back());
            QTest::qWait(kStepPauseMs);
        }
        const int top = start + 12;
        for (int i = 1; i <= 12; ++i) {
            back.push_back(timedShow(player, top - i));
            QTest::qWait(kStepPauseMs);
        }
    }
    // Backward runs that start with a jump, as when the operator goes back from a later frame.
    for (int run = 0; run < 3; ++run) {
        const int start = std::uniform_int_distribution<int>(40, count - 1)(rng);
        timedShow(player, start);
        QTest::qWait(kStepPauseMs);
        for (int i = 1; i <= 10; ++i) {
            back.push_back(timedShow(player, start - i));
            QTest::qWait(kStepPauseMs);
        }
    }
    // Steps after a second of idle time, both ways, from random places.
    for (int run = 0; run < 6; ++run) {
        const int start = std::uniform_int_distribution<int>(20, count - 20)(rng);
        timedShow(player, start);
        for (int step : {1, -1, -1, -1}) {
            QTest::qWait(1000);
            idle.push_back(timedShow(player, player.shownFrame() + step));
        }
    }
    // A back step from a key frame (not the first) reached by a jump, after 100 ms and 1 s.
    std::vector<int> laterKeys(keys.begin() + 1, keys.end());
    for (int run = 0; run < 6 && !laterKeys.empty(); ++run) {
        const int k =
            laterKeys[std::uniform_int_distribution<size_t>(0, laterKeys.size() - 1)(rng)];
        const int away =
            k > count / 2 ? std::max(0, k - count / 2) : std::min(count - 1, k + count / 2);
        timedShow(player, away);
        QTest::qWait(300);
        timedShow(player, k);
        QTest::qWait(run % 2 ? 1000 : kStepPauseMs);
        (run % 2 ? key1s : key100).push_back(timedShow(player, k - 1));
        QTest::qWait(kStepPauseMs);
        if (run % 2 == 0) { // and the step after it, paced as a held key
            keyNext.push_back(timedShow(player, k - 2));
            QTest::qWait(kStepPauseMs);
        }
    }
    const int jumps = h264 ? 24 : 30;
    for (int i = 0; i < jumps; ++i) {
        int to = std::uniform_int_distribution<int>(0, count - 1)(rng);
        if (to == player.shownFrame())
            to = (to + count / 2) % count;
        jump.push_back(timedShow(player, to));
        QTest::qWait(kStepPauseMs);
    }
    // A held "<" from just above the third group boundary to just below the first: a press every
    // 100 ms, or when the last picture arrived if that took longer.
    {
        const int gop = h264 ? kGop : 10;
        const int from = std::min(count - 1, 3 * gop + 5), to = std::max(1, gop - 5);
        timedShow(player, from);
        QTest::qWait(kStepPauseMs);
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = cpuSeconds();
        for (int f = from - 1; f >= to; --f) {
            held.push_back(timedShow(player, f));
            const int rest = kStepPauseMs - static_cast<int>(held.back());
            if (rest > 0)
                QTest::qWait(rest);
        }
        r.heldCores = (cpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9);
    }
    r.fwd = stats(fwd);
    r.back = stats(back);
    r.jump = stats(jump);
    r.idleStep = stats(idle);
    r.backKey100 = stats(key100);
    r.backKey1s = stats(key1s);
    r.backKeyNext = stats(keyNext);
    r.backKeyOpened = stats(keyOpened);
    r.held = stats(held);
    r.cache = player.frameCache().counters();
    r.peak = statusMiB("VmHWM");
    return r;
}

// Reordered pictures: a 1080p H.264 file with B-frames and open groups of kGop pictures. Its
// steps and jumps are measured as above; the cold case is the first step back right after a
// random jump, before the player has had any idle time: its slowest against decoding one
// whole group.
struct Reordered {
    bool ran = false;
    bool ok = true;
    double fwdRatio = 0, backRatio = 0, coldGopRatio = 0;
};

Reordered measureReordered(const QString& dir, const QStringList& args) {
    Reordered out;
    const char* label = "1080p-h264-bf";
    if (!args.isEmpty() && !args.contains(QString::fromLatin1(label)))
        return out;
    out.ran = true;
    const QString file = QStringLiteral("%1/%2.mp4").arg(dir, label);
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {"-v",
                                       "error",
                                       "-y",
                                       "-f",
                                       "lavfi",
                                       "-i",
                                       "testsrc2=size=1920x1080:rate=30",
                                       "-frames:v",
                                       QString::number(kFrames),
                                       "-c:v",
                                       "libx264",
                                       "-preset",
                                       "veryfast",
                                       "-g",
                                       QString::number(kGop),
                                       "-bf",
                                       "3",
                                       "-x264-params",
                                       "open-gop=1",
                                       "-pix_fmt",
                                       "yuv420p",
                                       file});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::printf("%-13s could not be made (libx264 needed)\n", label);
        out.ok = false;
        return out;
    }
    const Result r = measure(file, true);
    if (r.decodeOne <= 0 || r.fwd.median <= 0 || r.gop <= 0) {
        std::printf("%-13s could not be measured\n", label);
        out.ok = false;
        return out;
    }
    std::vector<double> cold;
    {
        av::AvPlayer player;
        player.resize(960, 600);
        player.show();
        player.setPlayerFileName(file);
        if (!QTest::qWaitFor([&] { return player.frameCount() > 0 && player.shownFrame() == 0; },
                             30000)) {
            out.ok = false;
            return out;
        }
        std::mt19937 rng(13);
        for (int i = 0; i < 12; ++i) {
            const int to = std::uniform_int_distribution<int>(2, player.frameCount() - 1)(rng);
            timedShow(player, to);
            cold.push_back(timedShow(player, to - 1)); // at once: no idle time to decode ahead
            QTest::qWait(kStepPauseMs);
        }
    }
    const Stats c = stats(cold);
    std::printf("%-13s decode 1 frame %7.2f ms | fwd step median %7.2f p99 %7.2f | back step "
                "median %7.2f p99 %7.2f | jump median %8.2f | decode 1 GOP (%d) %8.2f ms | "
                "first back step after a jump median %8.2f p99 %8.2f\n",
                label, r.decodeOne, r.fwd.median, r.fwd.p99, r.back.median, r.back.p99,
                r.jump.median, kGop, r.gop, c.median, c.p99);
    out.fwdRatio = r.fwd.median / r.decodeOne;
    out.backRatio = r.back.median / r.decodeOne;
    out.coldGopRatio = c.p99 / r.gop;
    return out;
}

int runPlayerBench(const QStringList& args) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QString h264Encoder = QStringLiteral("libx264");
    if (!hasEncoder(h264Encoder)) {
        std::printf("note: libx264 is not in this ffmpeg; the long-GOP files use mpeg4\n");
        h264Encoder = QStringLiteral("mpeg4");
    }
    const Spec specs[] = {{"720p-mjpeg", 1280, 720, false},
                          {"1080p-mjpeg", 1920, 1080, false},
                          {"720p-h264", 1280, 720, true},
                          {"1080p-h264", 1920, 1080, true}};
    double fwdRatio = 0, backRatio = 0, jumpGopRatio = 0;
    double idleRatio = 0, idle1080Ratio = 0, key100GopRatio = 0, key1sRatio = 0, key1s1080Ratio = 0,
           jumpP99GopRatio = 0, heldCores = 0;
    double peak = 0;
    quint64 hits = 0, misses = 0;
    bool ok = true;
    for (const Spec& s : specs) {
        // Arguments name the files to measure (all four when none is given).
        if (!args.isEmpty() && !args.contains(QString::fromLatin1(s.label)))
            continue;
        const QString file = makeFile(dir.path(), s, h264Encoder);
        if (file.isEmpty()) {
            ok = false;
            continue;
        }
        const Result r = measure(file, s.h264);
        if (r.decodeOne <= 0 || r.fwd.median <= 0) {
            std::printf("%-12s could not be measured\n", s.label);
            ok = false;
            continue;
        }
        const double yard = r.decodeOne + r.paint;
        std::printf("%-12s cold frame %7.2f ms + paint %6.2f ms | fwd step median %7.2f p99 %7.2f "
                    "| back step median %7.2f p99 %7.2f | step after 1 s idle median %7.2f p99 "
                    "%7.2f | back from key after 100 ms p99 %8.2f, after 1 s p99 %8.2f | jump "
                    "median %8.2f p99 %8.2f | held < median %7.2f p99 %8.2f, %.2f cores",
                    s.label, r.decodeOne, r.paint, r.fwd.median, r.fwd.p99, r.back.median,
                    r.back.p99, r.idleStep.median, r.idleStep.p99, r.backKey100.p99,
                    r.backKey1s.p99, r.jump.median, r.jump.p99, r.held.median, r.held.p99,
                    r.heldCores);
        if (s.h264)
            std::printf(" | next back step after it p99 %8.2f | back from key right after "
                        "opening %8.2f | decode 1 GOP (%d) %8.2f ms",
                        r.backKeyNext.p99, r.backKeyOpened.median, kGop, r.gop);
        std::printf(" | peak %.0f MiB, %.0f before opening (budget %.0f MiB) | cache hits %llu "
                    "misses %llu\n",
                    r.peak, r.base, av::FrameCache::kDefaultBudget / 1048576.0,
                    static_cast<unsigned long long>(r.cache.hits),
                    static_cast<unsigned long long>(r.cache.misses));
        hits += r.cache.hits;
        misses += r.cache.misses;
        fwdRatio = std::max(fwdRatio, r.fwd.median / r.decodeOne);
        backRatio = std::max(backRatio, r.back.median / r.decodeOne);
        idleRatio = std::max(idleRatio, r.idleStep.p99 / yard);
        if (s.height == 1080) { // the goal is set at 1080p
            idle1080Ratio = std::max(idle1080Ratio, r.idleStep.p99 / yard);
            key1s1080Ratio = std::max(key1s1080Ratio, r.backKey1s.p99 / yard);
        }
        key1sRatio = std::max(key1sRatio, r.backKey1s.p99 / yard);
        peak = std::max(peak, r.peak);
        if (s.h264 && r.gop > 0) {
            jumpGopRatio = std::max(jumpGopRatio, r.jump.median / r.gop);
            jumpP99GopRatio = std::max(jumpP99GopRatio, r.jump.p99 / r.gop);
            key100GopRatio = std::max(key100GopRatio, r.backKey100.p99 / r.gop);
            heldCores = std::max(heldCores, r.heldCores);
        }
        std::fflush(stdout);
    }
    const Reordered bf = measureReordered(dir.path(), args);
    ok = ok && bf.ok;
    std::printf("RESULT player fwd_ratio=%.3f back_ratio=%.3f jump_gop_ratio=%.3f "
                "cache_hits=%llu cache_misses=%llu idle_step_p99_ratio=%.3f "
                "idle_step_p99_ratio_1080p=%.3f back_key_100ms_gop_ratio=%.3f "
                "back_key_1s_ratio=%.3f back_key_1s_ratio_1080p=%.3f jump_p99_gop_ratio=%.3f "
                "held_back_cores=%.3f peak_mib=%.0f peak_over_budget_mib=%.0f",
                fwdRatio, backRatio, jumpGopRatio, static_cast<unsigned long long>(hits),
                static_cast<unsigned long long>(misses), idleRatio, idle1080Ratio, key100GopRatio,
                key1sRatio, key1s1080Ratio, jumpP99GopRatio, heldCores, peak,
                peak - av::FrameCache::kDefaultBudget / 1048576.0);
    if (bf.ran)
        std::printf(" bframe_fwd_ratio=%.3f bframe_back_ratio=%.3f cold_back_gop_ratio=%.3f",
                    bf.fwdRatio, bf.backRatio, bf.coldGopRatio);
    std::printf("\n");
    return ok ? 0 : 1;
}

} // namespace

static bench::Registration playerRegistration{
    "player", "player frame steps and jumps against the time to decode one frame", runPlayerBench};
