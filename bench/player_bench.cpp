// skivane-bench player: latency of the player's frame steps and random jumps, next to yardsticks
// measured on the same file in the same run before any player opens a file: one frame decoded
// cold (seek to a key frame, decode, convert to a picture) plus one paint of such a picture in a
// picture widget, and for files with long groups one group of pictures decoded from its key
// frame (the median of two decodes of each of the groups before the first three key frames after
// frame 0: the groups the fresh opens step back into).
//
// Files: six made here with the ffmpeg program (Motion JPEG at 720p and 1080p; H.264 with
// 250-frame groups: x264 `veryfast` at 720p and 1080p, x264 `medium` with P-frames only at 1080p
// as cameras write it, and x264 `veryfast` with B-frames and open groups in MP4), and any file
// named on the command line. `skivane-bench player 1080p-h264 /path/run.mp4` measures only those;
// `cases=open,held` runs only those cases (open, steps, idle, key, jumps, held; all by default).
//
// A step is "position set until the picture is painted" (the picture widget's paint after the
// frame was shown), in a real window of the offscreen (or xvfb) platform. Cases, in order:
// - right after a fresh open at a key frame (the file's state cold: nothing decoded yet), a back
//   step at once and, after another fresh open, one second later; twice at each of the first
//   three key frames after frame 0, compared with the group decode as the median of the same
//   groups (a median against a median);
// - steps paced at ten a second, steps after 1 s idle, a back step from a key frame reached by a
//   jump after 100 ms and after 1 s idle, random jumps (median and p99);
// - a held "<" on a steady clock of ten presses a second, whatever the player shows: from ten
//   frames past a key frame after 1 s idle, 40 presses across it; and from just above the third
//   group boundary to just below the first. Frames never shown, the slowest step (press to its
//   picture painted), the longest time one picture stood, and the CPU time of the whole process
//   (getrusage, all threads) per second of the key held, the work it left running included;
// - the peak resident memory while one file is reviewed (VmHWM, reset per file), and its growth
//   above the resident memory just before the player opened it (Qt, the FFmpeg libraries and the
//   bench's own data were there before): the growth is what the player adds, to be compared with
//   the frame cache's budget.
// Hits and misses count the positions the player found in its frame cache (shown at once) and
// those it had to wait for the decode worker for, over all files measured.
#include "Bench.h"

#include "core/engine/FrameDecoder.h"
#include "ui/adapters/AvPlayer.h"
#include "ui/widgets/PictureWidget.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <map>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kFrames = 1000; // four groups: a held "<" crosses three boundaries
constexpr int kGop = 250;
constexpr int kStepPauseMs = 100;
constexpr size_t kOpenKeys = 3; // fresh opens at the first three key frames after frame 0

enum class Kind { Mjpeg, H264, H264POnly, H264BFrames };

struct BenchFile {
    const char* label;
    int width;
    int height;
    Kind kind;
};

const BenchFile kBenchFiles[] = {{"720p-mjpeg", 1280, 720, Kind::Mjpeg},
                                 {"1080p-mjpeg", 1920, 1080, Kind::Mjpeg},
                                 {"720p-h264", 1280, 720, Kind::H264},
                                 {"1080p-h264", 1920, 1080, Kind::H264},
                                 {"1080p-h264-p", 1920, 1080, Kind::H264POnly},
                                 {"1080p-h264-bf", 1920, 1080, Kind::H264BFrames}};

struct Stats {
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Stats stats(std::vector<double> v) {
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, static_cast<size_t>(v.size() * 0.99))];
    s.max = v.back();
    return s;
}

bool hasEncoder(const QString& name) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {"-hide_banner", "-encoders"});
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).contains(" " + name + " ");
}

QString makeFile(const QString& dir, const BenchFile& s, const QString& h264Encoder) {
    const bool mp4 = s.kind == Kind::H264POnly || s.kind == Kind::H264BFrames;
    const QString out = QStringLiteral("%1/%2.%3").arg(dir, s.label, mp4 ? "mp4" : "avi");
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("testsrc2=size=%1x%2:rate=30").arg(s.width).arg(s.height),
                     "-frames:v",
                     QString::number(kFrames)};
    const bool x264 = h264Encoder == "libx264";
    switch (s.kind) {
    case Kind::Mjpeg:
        args << "-c:v"
             << "mjpeg"
             << "-q:v"
             << "3"
             << "-pix_fmt"
             << "yuvj420p";
        break;
    case Kind::H264:
        args << "-c:v" << h264Encoder << "-g" << QString::number(kGop) << "-pix_fmt"
             << "yuv420p";
        if (x264)
            args << "-preset"
                 << "veryfast";
        break;
    case Kind::H264POnly: // as IP cameras and camcorders write: no B-frames, long groups
        if (!x264)
            return {};
        args << "-c:v" << h264Encoder << "-preset"
             << "medium"
             << "-bf"
             << "0"
             << "-g" << QString::number(kGop) << "-pix_fmt"
             << "yuv420p";
        break;
    case Kind::H264BFrames:
        if (!x264)
            return {};
        args << "-c:v" << h264Encoder << "-preset"
             << "veryfast"
             << "-g" << QString::number(kGop) << "-bf"
             << "3"
             << "-x264-params"
             << "open-gop=1"
             << "-pix_fmt"
             << "yuv420p";
        break;
    }
    args << out;
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), args);
    if (!p.waitForFinished(900000) || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed for %s: %s\n", s.label,
                     p.readAllStandardError().constData());
        return {};
    }
    return out;
}

// Milliseconds from setting the position until the picture of that frame is painted; -1 when
// it did not come within 30 s.
double timedShow(adapters::AvPlayer& player, int frame) {
    auto* view = player.findChild<widgets::PictureWidget*>();
    QEventLoop loop;
    QElapsedTimer clock;
    double ms = -1;
    bool shown = false;
    auto c1 = QObject::connect(&player, &adapters::AvPlayer::frameShown, &loop,
                               [&](int f) { shown = f == frame; });
    auto c2 = QObject::connect(view, &widgets::PictureWidget::painted, &loop, [&] {
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

// A file to measure and its yardsticks, measured before any player opened a file.
struct File {
    QString label;
    QString path;
    bool longGroups = false; // not every frame a key frame
    int height = 0;
    std::vector<int> keys;
    int frames = 0;
    double decodeOne = 0; // median of one frame decoded cold: seek, decode, convert
    double paint = 0;     // median of one paint of such a picture
    double gop = 0;       // one group of pictures from its key frame, median of three
    double gopOwn = 0;    // the same on the player's decoder settings (printed, not a yardstick)
    int gopFrames = 0;
};

// Milliseconds to decode the group of pictures before key frame `key` in `d`, from its key frame
// up to the picture before `key`, every picture decoded: what a back step from `key` needs.
double groupDecodeMs(engine::FrameDecoder& d, int key) {
    QElapsedTimer all;
    all.start();
    d.seekToKeyFor(key - 1);
    std::optional<int> at;
    while ((at = d.decodeNext()) && *at < key - 1) {
    }
    return all.nsecsElapsed() / 1e6;
}

// The yardsticks decode on FFmpeg's own choice of threads, as a plain FFmpeg decoder does, not on
// the player's tuned settings: what the player's decoding gains over it shows in the ratios.
bool measureYardsticks(File& f) {
    std::mt19937 rng(7);
    engine::FrameDecoder d, own;
    d.setThreads(0);
    if (!d.open(f.path) || d.frameCount() < 100 || !own.open(f.path))
        return false;
    f.frames = d.frameCount();
    f.height = d.frameSize().height();
    f.keys = d.keyFrames();
    f.longGroups = f.keys.size() < static_cast<size_t>(f.frames);
    if (f.longGroups && f.keys.size() > 1) {
        f.gopFrames = f.keys[1] - f.keys[0];
        // The groups before the key frames the fresh opens are made at, each decoded from its key
        // frame up to the picture before the next (what a back step from that key frame needs,
        // every picture decoded), twice (one run alone varies by a fifth).
        auto groupsMedian = [&](engine::FrameDecoder& decoder, int runs) {
            std::vector<double> gops;
            for (int run = 0; run < runs; ++run)
                for (size_t i = 1; i < f.keys.size() && i <= kOpenKeys; ++i)
                    gops.push_back(groupDecodeMs(decoder, f.keys[i]));
            return stats(gops).median;
        };
        f.gop = groupsMedian(d, 2);
        f.gopOwn = groupsMedian(own, 1);
    }
    // Each picture decoded cold is painted once, at once, in a picture widget placed as in the
    // player's window: the paint of a picture just made, as in a jump (a picture painted again
    // is read from the processor's cache).
    QWidget window;
    window.resize(960, 600);
    widgets::PictureWidget view(&window);
    view.setGeometry(0, 0, 960, 540);
    window.show();
    QTest::qWait(50);
    std::vector<double> cold, paints;
    for (int i = 0; i < 15; ++i) {
        const int k = f.keys[std::uniform_int_distribution<size_t>(0, f.keys.size() - 1)(rng)];
        QElapsedTimer t;
        t.start();
        d.seekToKeyFor(k);
        if (!d.decodeNext())
            break;
        QImage picture = d.currentImage();
        if (picture.isNull())
            break;
        cold.push_back(t.nsecsElapsed() / 1e6);
        view.setPicture(picture);
        t.start();
        view.repaint();
        paints.push_back(t.nsecsElapsed() / 1e6);
    }
    f.decodeOne = stats(cold).median;
    f.paint = stats(paints).median;
    return f.decodeOne > 0 && (!f.longGroups || f.gop > 0);
}

// A held "<" on a steady clock: a press every 100 ms whatever the player shows.
struct Held {
    int presses = 0;
    int missed = 0;       // frames pressed whose picture was never painted
    double worst = 0;     // the slowest press to its picture painted, ms
    double stood = 0;     // the longest time one picture stood while the key was held, ms
    double cores = 0;     // CPU seconds per second of wall time
    QString missedFrames; // " (frames 749 748)", or empty
};

Held holdBack(adapters::AvPlayer& player, int from, int presses) {
    auto* view = player.findChild<widgets::PictureWidget*>();
    Held h;
    std::map<int, double> pressedAt, paintedAt;
    int shownNow = -1;
    double lastNewPicture = 0;
    QElapsedTimer clock;
    QEventLoop loop;
    auto c1 = QObject::connect(&player, &adapters::AvPlayer::frameShown, &loop,
                               [&](int f) { shownNow = f; });
    auto c2 = QObject::connect(view, &widgets::PictureWidget::painted, &loop, [&] {
        if (shownNow < 0)
            return;
        const double now = clock.nsecsElapsed() / 1e6;
        if (pressedAt.count(shownNow) && !paintedAt.count(shownNow)) {
            paintedAt[shownNow] = now;
            h.stood = std::max(h.stood, now - lastNewPicture);
            lastNewPicture = now;
        }
        shownNow = -1;
        if (static_cast<int>(pressedAt.size()) == presses && paintedAt.count(from - presses))
            loop.quit();
    });
    int pressed = 0;
    std::function<void()> press = [&] {
        const int frame = from - 1 - pressed;
        pressedAt[frame] = clock.nsecsElapsed() / 1e6;
        player.setPlayerPosition(frame);
        if (++pressed < presses) {
            const double due = pressed * static_cast<double>(kStepPauseMs);
            QTimer::singleShot(std::max(0, static_cast<int>(due - clock.nsecsElapsed() / 1e6)),
                               Qt::PreciseTimer, &loop, press);
        } else { // the last picture may take its time; a second more is plenty
            QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        }
    };
    const double cpu0 = cpuSeconds();
    clock.start();
    QTimer::singleShot(0, Qt::PreciseTimer, &loop, press);
    loop.exec();
    const double wall = clock.nsecsElapsed() / 1e9;
    // The work the held key left running (a batch behind the last press) is the hold's too: CPU
    // is counted on until the process is quiet (under a tenth of a core over 200 ms, 3 s at most),
    // over the time the key was held.
    double cpu = cpuSeconds();
    for (int i = 0; i < 15; ++i) {
        QTest::qWait(200);
        const double now = cpuSeconds();
        const bool quiet = now - cpu < 0.02;
        cpu = now;
        if (quiet)
            break;
    }
    h.cores = (cpu - cpu0) / wall;
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    h.presses = presses;
    for (const auto& [frame, at] : pressedAt) {
        auto it = paintedAt.find(frame);
        if (it != paintedAt.end()) {
            h.worst = std::max(h.worst, it->second - at);
        } else {
            ++h.missed;
            h.missedFrames += QStringLiteral(" %1").arg(frame);
        }
    }
    return h;
}

QString missedText(const Held& h) {
    return h.missedFrames.isEmpty() ? QString() : QStringLiteral(" (frames%1)").arg(h.missedFrames);
}

Held combine(const Held& a, const Held& b) {
    return {a.presses + b.presses,      a.missed + b.missed,
            std::max(a.worst, b.worst), std::max(a.stood, b.stood),
            std::max(a.cores, b.cores), a.missedFrames + b.missedFrames};
}

struct Result {
    Stats fwd, back, jump, idleStep, backKey100, backKey1s, backKeyNext, openBackNow, openBack1s,
        afterJumpBack;
    Stats openGop;   // the group before the key frame opened at, decoded just before each open
    Held heldKey;    // 40 presses across one key frame after 1 s idle
    Held heldLong;   // across three group boundaries
    double peak = 0; // MiB
    double base = 0; // resident MiB before the file was opened
    engine::FrameCache::Counters cache;
    bool ok = false;
};

// Opens `file` afresh at `frame` (as the review screen does at a run's start hint) and waits for
// that picture painted; the file's state is cold.
bool openAt(adapters::AvPlayer& player, const QString& file, int frame) {
    player.setPlayerFileName(file);
    player.setPlayerPosition(frame);
    return QTest::qWaitFor([&] { return player.shownFrame() == frame; }, 30000);
}

// The cases to run (all when empty).
struct Cases {
    QStringList names;
    bool has(const char* name) const { return names.isEmpty() || names.contains(name); }
};

Result measure(const File& file, const Cases& cases) {
    Result r;
    std::mt19937 rng(7);
    std::vector<int> later; // key frames that end a group before them
    for (int k : file.keys)
        if (k > 0 && k < file.frames)
            later.push_back(k);
    // A back step right after opening is a group's decoding less the little time since the
    // open: its yardstick is that group decoded just before each open, so that the machine's
    // speed, which drifts by a tenth within a minute here, is the same on both sides. The
    // decoder is made (and its memory taken) before the peak is reset.
    const bool opens = file.longGroups && cases.has("open") && !later.empty();
    engine::FrameDecoder beside;
    beside.setThreads(0);
    if (opens && beside.open(file.path))
        groupDecodeMs(beside, later.front());
    resetPeak(); // the peak of reviewing the file, from here
    r.base = statusMiB("VmRSS");
    adapters::AvPlayer player;
    player.resize(960, 600);
    player.show();
    std::vector<double> openNow, open1s, openGops;
    if (opens) {
        // Fresh opens at key frames: a back step at once, and one second later.
        const size_t keys = std::min(kOpenKeys, later.size());
        for (size_t run = 0; run < 4 * keys; ++run) {
            const int k = later[(run / 2) % keys];
            if (beside.isOpen())
                openGops.push_back(groupDecodeMs(beside, k));
            if (!openAt(player, file.path, k))
                return r;
            if (run % 2)
                QTest::qWait(1000);
            (run % 2 ? open1s : openNow).push_back(timedShow(player, k - 1));
        }
    }
    player.setPlayerFileName(file.path);
    if (!QTest::qWaitFor([&] { return player.frameCount() > 0 && player.shownFrame() == 0; },
                         30000))
        return r;
    const int count = player.frameCount();
    std::vector<double> fwd, back, jump, idle, key100, key1s, keyNext, afterJump;
    // Runs of twelve steps each way from random places.
    for (int run = 0; run < 4 && cases.has("steps"); ++run) {
        const int start = std::uniform_int_distribution<int>(20, count - 20)(rng);
        timedShow(player, start);
        QTest::qWait(kStepPauseMs);
        for (int i = 1; i <= 12; ++i) {
            fwd.push_back(timedShow(player, start + i));
            QTest::qWait(kStepPauseMs);
        }
        const int top = start + 12;
        for (int i = 1; i <= 12; ++i) {
            back.push_back(timedShow(player, top - i));
            QTest::qWait(kStepPauseMs);
        }
    }
    // Backward runs that start with a jump, as when the operator goes back from a later frame.
    for (int run = 0; run < 3 && cases.has("steps"); ++run) {
        const int start = std::uniform_int_distribution<int>(40, count - 1)(rng);
        timedShow(player, start);
        QTest::qWait(kStepPauseMs);
        for (int i = 1; i <= 10; ++i) {
            back.push_back(timedShow(player, start - i));
            QTest::qWait(kStepPauseMs);
        }
    }
    // Steps after a second of idle time, both ways, from random places.
    for (int run = 0; run < 6 && cases.has("idle"); ++run) {
        const int start = std::uniform_int_distribution<int>(20, count - 20)(rng);
        timedShow(player, start);
        for (int step : {1, -1, -1, -1}) {
            QTest::qWait(1000);
            idle.push_back(timedShow(player, player.shownFrame() + step));
        }
    }
    // A back step from a key frame (not the first) reached by a jump, after 100 ms and 1 s.
    for (int run = 0; run < 6 && !later.empty() && cases.has("key"); ++run) {
        const int k = later[std::uniform_int_distribution<size_t>(0, later.size() - 1)(rng)];
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
    const int jumps = !cases.has("jumps") ? 0 : file.longGroups ? 24 : 30;
    for (int i = 0; i < jumps; ++i) {
        int to = std::uniform_int_distribution<int>(0, count - 1)(rng);
        if (to == player.shownFrame())
            to = (to + count / 2) % count;
        jump.push_back(timedShow(player, to));
        QTest::qWait(kStepPauseMs);
    }
    if (file.longGroups) {
        // The first back step right after a random jump, with no idle time to decode ahead.
        for (int i = 0; i < 8 && cases.has("jumps"); ++i) {
            const int to = std::uniform_int_distribution<int>(2, count - 1)(rng);
            timedShow(player, to);
            afterJump.push_back(timedShow(player, to - 1));
            QTest::qWait(kStepPauseMs);
        }
        // Ten frames past a key frame, a second's idle, then "<" held across it for 40 presses.
        const int k = later.empty() ? 0 : later[later.size() / 2];
        if (cases.has("held") && k > 0) {
            timedShow(player, std::min(count - 1, k + 10));
            QTest::qWait(1000);
            r.heldKey = holdBack(player, std::min(count - 1, k + 10), 40);
            QTest::qWait(1000);
        }
    }
    // A held "<" from just above the third group boundary to just below the first.
    if (cases.has("held")) {
        const int gop = file.longGroups && file.gopFrames > 0 ? file.gopFrames : 10;
        const int from = std::min(count - 1, 3 * gop + 5), to = std::max(1, gop - 5);
        timedShow(player, from);
        QTest::qWait(kStepPauseMs);
        r.heldLong = holdBack(player, from, from - to);
    }
    r.fwd = stats(fwd);
    r.back = stats(back);
    r.jump = stats(jump);
    r.idleStep = stats(idle);
    r.backKey100 = stats(key100);
    r.backKey1s = stats(key1s);
    r.backKeyNext = stats(keyNext);
    r.openBackNow = stats(openNow);
    r.openBack1s = stats(open1s);
    r.openGop = stats(openGops);
    r.afterJumpBack = stats(afterJump);
    r.cache = player.frameCache().counters();
    r.peak = statusMiB("VmHWM");
    r.ok = !cases.has("steps") || r.fwd.median > 0;
    return r;
}

int runPlayerBench(const QStringList& args) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QString h264Encoder = QStringLiteral("libx264");
    if (!hasEncoder(h264Encoder)) {
        std::printf("note: libx264 is not in this ffmpeg; the long-group files use mpeg4, and the "
                    "P-only and B-frame files are left out\n");
        h264Encoder = QStringLiteral("mpeg4");
    }
    // Arguments name the files to measure: labels of the files made here, or paths.
    QStringList paths, labels;
    Cases cases;
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("cases=")))
            cases.names = a.mid(6).split(QLatin1Char(','), Qt::SkipEmptyParts);
        else
            (QFileInfo(a).isFile() ? paths : labels) << a;
    }
    bool ok = true;
    std::vector<File> files;
    for (const BenchFile& s : kBenchFiles) {
        if (!(labels.isEmpty() && paths.isEmpty()) &&
            !labels.contains(QString::fromLatin1(s.label)))
            continue;
        const QString path = makeFile(dir.path(), s, h264Encoder);
        if (path.isEmpty()) {
            std::printf("%-13s could not be made\n", s.label);
            ok = s.kind != Kind::H264POnly && s.kind != Kind::H264BFrames ? false : ok;
            continue;
        }
        File f;
        f.label = QString::fromLatin1(s.label);
        f.path = path;
        files.push_back(f);
    }
    for (const QString& p : paths) {
        File f;
        f.label = QFileInfo(p).fileName();
        f.path = QFileInfo(p).absoluteFilePath();
        files.push_back(f);
    }
    // Every yardstick before any player opens a file.
    std::vector<File> measurable;
    for (File& f : files) {
        if (measureYardsticks(f))
            measurable.push_back(f);
        else {
            std::printf("%-13s could not be decoded\n", qPrintable(f.label));
            ok = false;
        }
    }
    double fwdRatio = 0, backRatio = 0, jumpGopRatio = 0, idleRatio = 0, idle1080Ratio = 0,
           key100GopRatio = 0, key1sRatio = 0, key1s1080Ratio = 0, jumpP99GopRatio = 0,
           openGopRatio = 0, openNowGopRatio = 0, afterJumpGopRatio = 0, mjpegJumpRatio = -1;
    Held held;
    double peak = 0, growth = 0;
    quint64 hits = 0, misses = 0;
    for (const File& f : measurable) {
        const Result r = measure(f, cases);
        if (!r.ok) {
            std::printf("%-13s could not be measured\n", qPrintable(f.label));
            ok = false;
            continue;
        }
        const double yard = f.decodeOne + f.paint;
        std::printf("%-13s cold frame %7.2f ms + paint %6.2f ms | fwd step median %7.2f p99 %7.2f "
                    "| back step median %7.2f p99 %7.2f | step after 1 s idle median %7.2f p99 "
                    "%7.2f | back from key after 100 ms p99 %8.2f, after 1 s p99 %8.2f | jump "
                    "median %8.2f p99 %8.2f",
                    qPrintable(f.label), f.decodeOne, f.paint, r.fwd.median, r.fwd.p99,
                    r.back.median, r.back.p99, r.idleStep.median, r.idleStep.p99, r.backKey100.p99,
                    r.backKey1s.p99, r.jump.median, r.jump.p99);
        if (f.longGroups)
            std::printf(" | decode 1 GOP (%d) %8.2f ms (%.2f ms on the player's settings) | next "
                        "back step after the 100 ms one p99 "
                        "%8.2f | fresh open at a key frame, back step at once median %8.2f max "
                        "%8.2f, after 1 s median %8.2f max %8.2f (the group decoded beside them "
                        "median %8.2f) | first back step after a jump "
                        "median %8.2f max %8.2f | held < "
                        "across a key frame after 1 s idle: %d of %d never shown%s, slowest %.0f "
                        "ms, a picture stood %.0f ms, %.2f cores",
                        f.gopFrames, f.gop, f.gopOwn, r.backKeyNext.p99, r.openBackNow.median,
                        r.openBackNow.max, r.openBack1s.median, r.openBack1s.max, r.openGop.median,
                        r.afterJumpBack.median, r.afterJumpBack.max, r.heldKey.missed,
                        r.heldKey.presses, qPrintable(missedText(r.heldKey)), r.heldKey.worst,
                        r.heldKey.stood, r.heldKey.cores);
        std::printf(" | held < across three boundaries: %d of %d never shown%s, slowest %.0f ms, a "
                    "picture stood %.0f ms, %.2f cores | peak %.0f MiB, %.0f before opening, "
                    "%.0f grown (budget %.0f MiB) | cache hits %llu misses %llu\n",
                    r.heldLong.missed, r.heldLong.presses, qPrintable(missedText(r.heldLong)),
                    r.heldLong.worst, r.heldLong.stood, r.heldLong.cores, r.peak, r.base,
                    r.peak - r.base, engine::FrameCache::kDefaultBudget / 1048576.0,
                    static_cast<unsigned long long>(r.cache.hits),
                    static_cast<unsigned long long>(r.cache.misses));
        std::fflush(stdout);
        hits += r.cache.hits;
        misses += r.cache.misses;
        fwdRatio = std::max(fwdRatio, r.fwd.median / f.decodeOne);
        backRatio = std::max(backRatio, r.back.median / f.decodeOne);
        idleRatio = std::max(idleRatio, r.idleStep.p99 / yard);
        if (f.height == 1080) { // the goals are set at 1080p
            idle1080Ratio = std::max(idle1080Ratio, r.idleStep.p99 / yard);
            key1s1080Ratio = std::max(key1s1080Ratio, r.backKey1s.p99 / yard);
            if (!f.longGroups)
                mjpegJumpRatio = std::max(mjpegJumpRatio, r.jump.median / yard);
        }
        key1sRatio = std::max(key1sRatio, r.backKey1s.p99 / yard);
        peak = std::max(peak, r.peak);
        growth = std::max(growth, r.peak - r.base);
        if (f.longGroups) {
            jumpGopRatio = std::max(jumpGopRatio, r.jump.median / f.gop);
            jumpP99GopRatio = std::max(jumpP99GopRatio, r.jump.p99 / f.gop);
            key100GopRatio = std::max(key100GopRatio, r.backKey100.p99 / f.gop);
            const double openGop = r.openGop.median > 0 ? r.openGop.median : f.gop;
            openGopRatio = std::max(openGopRatio, r.openBack1s.median / openGop);
            openNowGopRatio = std::max(openNowGopRatio, r.openBackNow.median / openGop);
            afterJumpGopRatio = std::max(afterJumpGopRatio, r.afterJumpBack.max / f.gop);
            held = combine(held, combine(r.heldKey, r.heldLong));
        }
    }
    std::printf("RESULT player mjpeg_jump_ratio=%.3f held_back_missed=%d held_back_worst_ms=%.0f "
                "held_back_stood_ms=%.0f held_back_cores=%.3f open_back_key_gop_ratio=%.3f "
                "open_back_key_now_gop_ratio=%.3f jump_p99_gop_ratio=%.3f peak_mib=%.0f "
                "peak_growth_mib=%.0f peak_over_budget_mib=%.0f fwd_ratio=%.3f back_ratio=%.3f "
                "jump_gop_ratio=%.3f "
                "idle_step_p99_ratio=%.3f idle_step_p99_ratio_1080p=%.3f "
                "back_key_100ms_gop_ratio=%.3f back_key_1s_ratio=%.3f "
                "back_key_1s_ratio_1080p=%.3f cold_back_gop_ratio=%.3f cache_hits=%llu "
                "cache_misses=%llu\n",
                mjpegJumpRatio, held.missed, held.worst, held.stood, held.cores, openGopRatio,
                openNowGopRatio, jumpP99GopRatio, peak, growth,
                growth - engine::FrameCache::kDefaultBudget / 1048576.0, fwdRatio, backRatio,
                jumpGopRatio, idleRatio, idle1080Ratio, key100GopRatio, key1sRatio, key1s1080Ratio,
                afterJumpGopRatio, static_cast<unsigned long long>(hits),
                static_cast<unsigned long long>(misses));
    return ok ? 0 : 1;
}

} // namespace

static bench::Registration playerRegistration{
    "player", "player frame steps and jumps against the time to decode one frame", runPlayerBench};
