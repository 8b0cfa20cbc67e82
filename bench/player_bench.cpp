// skivane-bench player: latency of the player's frame steps and random jumps on files made
// here with the ffmpeg program, next to the time the decoder needs for one frame of the same
// file (and, for H.264, for one group of pictures), measured in the same run: decoding alone,
// without the conversion to a picture that the player also has to do.
// `skivane-bench player 1080p-h264 ...` measures only the files named.
//
// A step is "position set until the picture is on the screen". Steps are paced at ten a
// second, the rate of a held arrow key, so the player has the idle time it has in real use.
// Hits and misses count the positions the player found in its frame cache (shown at once) and
// those it had to wait for the decode worker for, over all files measured.
#include "Bench.h"

#include "ui/adapters/AvPlayer.h"
#include "core/engine/FrameDecoder.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kFrames = 500;
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

// Milliseconds from setting the position until the player shows that frame.
double timedShow(av::AvPlayer& player, int frame) {
    QEventLoop loop;
    QElapsedTimer clock;
    double ms = -1;
    auto c = QObject::connect(&player, &av::AvPlayer::frameShown, &loop, [&](int shown) {
        if (shown == frame) {
            ms = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    clock.start();
    player.setPlayerPosition(frame);
    if (player.shownFrame() != frame || ms < 0)
        loop.exec();
    QObject::disconnect(c);
    return ms;
}

struct Result {
    double decodeOne = 0; // median of one frame, sequential decoding
    double gop = 0;       // one group of pictures from its key frame
    Stats fwd, back, jump;
    av::FrameCache::Counters cache;
};

Result measure(const QString& file, bool h264) {
    Result r;
    {
        av::FrameDecoder d;
        if (!d.open(file))
            return r;
        d.seekToKeyFor(0);
        std::vector<double> each;
        QElapsedTimer all;
        all.start();
        for (int i = 0; i < kGop; ++i) {
            QElapsedTimer t;
            t.start();
            if (!d.decodeNext())
                break;
            each.push_back(t.nsecsElapsed() / 1e6);
        }
        r.gop = all.nsecsElapsed() / 1e6;
        r.decodeOne = stats(each).median;
    }
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
    std::mt19937 rng(7);
    std::vector<double> fwd, back, jump;
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
    const int jumps = h264 ? 16 : 30;
    for (int i = 0; i < jumps; ++i) {
        int to = std::uniform_int_distribution<int>(0, count - 1)(rng);
        if (to == player.shownFrame())
            to = (to + count / 2) % count;
        jump.push_back(timedShow(player, to));
        QTest::qWait(kStepPauseMs);
    }
    r.fwd = stats(fwd);
    r.back = stats(back);
    r.jump = stats(jump);
    r.cache = player.frameCache().counters();
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
        std::printf("%-12s decode 1 frame %7.2f ms | fwd step median %7.2f p99 %7.2f | back "
                    "step median %7.2f p99 %7.2f | jump median %8.2f p99 %8.2f",
                    s.label, r.decodeOne, r.fwd.median, r.fwd.p99, r.back.median, r.back.p99,
                    r.jump.median, r.jump.p99);
        if (s.h264)
            std::printf(" | decode 1 GOP (%d) %8.2f ms", kGop, r.gop);
        std::printf(" | cache hits %llu misses %llu\n",
                    static_cast<unsigned long long>(r.cache.hits),
                    static_cast<unsigned long long>(r.cache.misses));
        hits += r.cache.hits;
        misses += r.cache.misses;
        fwdRatio = std::max(fwdRatio, r.fwd.median / r.decodeOne);
        backRatio = std::max(backRatio, r.back.median / r.decodeOne);
        if (s.h264 && r.gop > 0)
            jumpGopRatio = std::max(jumpGopRatio, r.jump.median / r.gop);
        std::fflush(stdout);
    }
    const Reordered bf = measureReordered(dir.path(), args);
    ok = ok && bf.ok;
    std::printf("RESULT player fwd_ratio=%.3f back_ratio=%.3f jump_gop_ratio=%.3f "
                "cache_hits=%llu cache_misses=%llu",
                fwdRatio, backRatio, jumpGopRatio, static_cast<unsigned long long>(hits),
                static_cast<unsigned long long>(misses));
    if (bf.ran)
        std::printf(" bframe_fwd_ratio=%.3f bframe_back_ratio=%.3f cold_back_gop_ratio=%.3f",
                    bf.fwdRatio, bf.backRatio, bf.coldGopRatio);
    std::printf("\n");
    return ok ? 0 : 1;
}

} // namespace

static bench::Registration playerRegistration{
    "player", "player frame steps and jumps against the time to decode one frame", runPlayerBench};
