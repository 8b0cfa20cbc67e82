// The pass window line: what it vouches for and what it names, from the video's own rate and
// length and the run's timing record.
#include "core/run/PassIntegrity.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using run::Fraction;

// A record at `rate` with a capture time every `step` slots up to `lastSlot`, `extra` lines as
// written, and the end line `end <frames>` unless `frames` is negative (a cut-off record). A
// camera `slow` parts per thousand slow takes that much longer between recorded times.
QByteArray record(Fraction rate, const QByteArray& extra, int64_t frames = 900,
                  int64_t lastSlot = 899, int step = 30, int slow = 0) {
    QByteArray text = "skivane-timing 1\nrate " + QByteArray::number(qint64(rate.num)) + '/' +
                      QByteArray::number(qint64(rate.den)) + "\nstart 2026-12-07T10:00:00.000Z\n" +
                      extra;
    for (int64_t slot = 0; slot <= lastSlot; slot += step) {
        const int64_t us = run::rescaleNearest(slot, 1000000 * rate.den, rate.num);
        text += QByteArray::number(qint64(slot)) + " time " +
                QByteArray::number(qint64(us + us * slow / 1000)) + '\n';
    }
    if (frames >= 0)
        text += "end " + QByteArray::number(qint64(frames)) + '\n';
    return text;
}

TEST(PassWindow, VouchesOnlyForWhatIsKnown) {
    const Fraction f30{30, 1}, f25{25, 1}, ntsc{30000, 1001};
    struct Case {
        const char* name;
        Fraction rate;
        std::optional<QByteArray> timing; // none: no record beside the run
        int64_t fileFrames;               // -1: the video cannot be read
        int start, end;
        bool clean;
        const char* says;
    };
    const Case cases[] = {
        {"clean at 30", f30, record(f30, ""), 900, 100, 699, true,
         "Pass window: 19.97 s; every frame a camera picture"},
        {"clean at 29.97", ntsc, record(ntsc, ""), 900, 100, 699, true,
         "Pass window: 19.99 s; every frame a camera picture"},
        {"clean at 25", f25, record(f25, "", 900, 899, 25), 900, 100, 600, true,
         "Pass window: 20.00 s; every frame a camera picture"},
        {"gaps just inside", f30, record(f30, "100 gap\n699 drop\n"), 900, 100, 699, false,
         "Pass window: 19.97 s; 2 repeated frames at 100, 699"},
        {"gaps just outside", f30, record(f30, "99 gap\n700 drop\n"), 900, 100, 699, true,
         "Pass window: 19.97 s; every frame a camera picture"},
        {"gaps at 25", f25, record(f25, "412 gap\n413 gap\n414 drop\n500 gap\n", 900, 899, 25), 900,
         100, 600, false, "Pass window: 20.00 s; 4 repeated frames at 412–414, 500"},
        {"extras harm no frame", f30, record(f30, "300 extra\n301 extra\n"), 900, 100, 699, true,
         "Pass window: 19.97 s; every frame a camera picture; 2 extra camera pictures dropped"},
        // A camera 0.5 % slow: 19.97 s of slots hold 20.07 s of real time.
        {"slow camera", f30, record(f30, "", 900, 899, 30, 5), 900, 100, 699, false,
         "Pass window: 19.97 s (measured 20.07 s)"},
        {"past the end", f30, record(f30, "", 300, 299), 300, 100, 699, false,
         "Pass window: 19.97 s; the recording ends at frame 299: 400 frames of the pass are "
         "missing"},
        {"end on the last frame", f30, record(f30, "", 700, 699), 700, 100, 699, true,
         "Pass window: 19.97 s; every frame a camera picture"},
        {"end one past the last frame", f30, record(f30, "", 699, 698), 699, 100, 699, false,
         "Pass window: 19.97 s; the recording ends at frame 698: 1 frame of the pass is missing"},
        {"whole pass beyond the recording", f30, record(f30, "", 50, 49), 50, 100, 699, false,
         "Pass window: 19.97 s; the recording ends at frame 49: 600 frames of the pass are "
         "missing"},
        {"cut-off record", f30, record(f30, "", -1, 450), 900, 100, 699, false,
         "Pass window: 19.97 s; the timing record stops at frame 450"},
        {"cut-off record past the window", f30, record(f30, "", -1, 720), 900, 100, 699, true,
         "Pass window: 19.97 s; every frame a camera picture"},
        {"cut-off run", f30, record(f30, "", -1, 420), 430, 100, 699, false,
         "Pass window: 19.97 s; the recording ends at frame 429: 270 frames of the pass are "
         "missing; the timing record stops at frame 420"},
        {"jump inside", f30, record(f30, "400 jump\n"), 900, 100, 699, false,
         "Pass window: 19.97 s; the camera's time stamps jumped before frame 400"},
        {"jump at the start", f30, record(f30, "100 jump\n700 jump\n"), 900, 100, 699, true,
         "Pass window: 19.97 s; every frame a camera picture"},
        {"reconnection inside", f30, record(f30, "300 gap\n301 gap\n302 reconnect\n"), 900, 100,
         699, false,
         "Pass window: 19.97 s; 2 repeated frames at 300–301; the camera reconnected before "
         "frame 302"},
        {"no record", f30, std::nullopt, 900, 100, 699, false,
         "Pass window: 19.97 s; no timing record"},
        {"unreadable video, whole record", Fraction{0, 1}, record(f30, "", 300, 299), -1, 100, 699,
         false,
         "Pass window: 19.97 s; the recording ends at frame 299: 400 frames of the pass are "
         "missing"},
        {"nothing known", Fraction{0, 1}, std::nullopt, -1, 100, 699, false,
         "Pass window: the length of the recording cannot be read; no timing record"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<run::TimingRecord> parsed;
        if (c.timing) {
            parsed = run::TimingRecord::parse(*c.timing);
            ASSERT_TRUE(parsed.has_value());
        }
        const run::PassWindowCheck check = run::checkPassWindow(
            parsed, run::RecordingExtent{c.rate, c.fileFrames}, c.start, c.end);
        EXPECT_EQ(check.haveRecord, c.timing.has_value());
        EXPECT_EQ(check.clean, c.clean);
        EXPECT_EQ(check.text.toStdString(), c.says);
    }
}

TEST(PassWindow, ReadsTheRecordBesideTheRun) {
    QTemporaryDir dir;
    const QString run = dir.filePath("Annpass1.avi");
    EXPECT_FALSE(run::readTimingRecord(run).has_value());
    QFile f(run + ".timing");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(record(Fraction{30, 1}, "450 gap\n"));
    f.close();
    const auto found = run::readTimingRecord(run);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->end, 900);
    ASSERT_EQ(found->notes.size(), 1u);
    EXPECT_EQ(found->notes[0].first, 450);
}

} // namespace
