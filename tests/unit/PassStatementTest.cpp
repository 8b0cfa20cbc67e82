// One statement of the pass: the export's columns, the pass window line and the clip's clock
// all say the pass lasts (end - start) / the file's own rate, and the clock never jumps.
#include "core/engine/PassClip.h"
#include "core/run/DayExport.h"
#include "core/run/PassIntegrity.h"
#include "core/run/PassTiming.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The clock as hundredths of a second ("-2.00" gives -200).
int hundredths(const QString& clock) {
    return qRound(clock.toDouble() * 100);
}

TEST(PassStatement, ExportLineAndClipStateOneLength) {
    struct Case {
        int num, den;
        bool barefoot;
        int passFrames;
        const char* seconds;
    };
    for (const Case& c : {Case{30, 1, false, 599, "19.97"}, Case{30000, 1001, false, 599, "19.99"},
                          Case{25, 1, false, 500, "20.00"}, Case{30, 1, true, 450, "15.00"},
                          Case{25, 1, true, 375, "15.00"}}) {
        SCOPED_TRACE(QStringLiteral("%1/%2 barefoot %3")
                         .arg(c.num)
                         .arg(c.den)
                         .arg(c.barefoot)
                         .toStdString());
        // The marking's pass length, at the whole-number rate the screen works with.
        const double shownRate = std::round(double(c.num) / c.den);
        EXPECT_EQ(run::passLength(shownRate, c.barefoot), c.passFrames);
        const int start = 100;
        const int end = start + c.passFrames;

        // The export.
        const QByteArray log = "01-18-200520:31:07Skier: AnnPass: 1Start:  100End: " +
                               QByteArray::number(end).rightJustified(4, ' ') +
                               "File: /runs/Annpass1.avi\r\n";
        const QList<QByteArray> rows =
            run::dayCsv(log, [&](const run::LoggedRun&) {
                return run::RunFacts{quint32(c.num), quint32(c.den), QString()};
            }).split('\n');
        ASSERT_GE(rows.size(), 2);
        const QList<QByteArray> fields = rows[1].split(',');
        ASSERT_GE(fields.size(), 10);
        EXPECT_EQ(fields[7].toInt(), c.passFrames);      // Pass Frames
        EXPECT_EQ(fields[8].toStdString(), c.seconds);   // Pass Seconds
        EXPECT_EQ(fields[9], c.barefoot ? "yes" : "no"); // Barefoot

        // The pass window line.
        const run::PassWindowCheck line = run::checkPassWindow(
            std::nullopt, run::RecordingExtent{run::Fraction{c.num, c.den}, 2000}, start, end);
        EXPECT_TRUE(line.text.startsWith(QStringLiteral("Pass window: %1 s;").arg(c.seconds)))
            << line.text.toStdString();

        // The clip's clock: (n - start) / rate, held from the end frame on, never a jump.
        engine::PassClipRequest request;
        request.startFrame = start;
        request.endFrame = end;
        auto clock = [&](int n) { return engine::passClockText(n, request, c.num, c.den); };
        EXPECT_EQ(clock(start), "0.00");
        EXPECT_EQ(clock(end).toStdString(), c.seconds);
        EXPECT_EQ(clock(end + 60).toStdString(), c.seconds);
        const int frameHundredths = int(std::ceil(100.0 * c.den / c.num));
        for (int n = start - 60; n < end + 60; ++n) {
            const int step = hundredths(clock(n + 1)) - hundredths(clock(n));
            if (n >= end)
                ASSERT_EQ(step, 0) << n;
            else
                ASSERT_TRUE(step >= frameHundredths - 1 && step <= frameHundredths) << n;
        }
    }
}

TEST(PassStatement, ClockTextAroundTheStart) {
    engine::PassClipRequest r;
    r.startFrame = 100;
    r.endFrame = 699;
    struct Case {
        int frame, num, den;
        const char* text;
    };
    for (const Case& c :
         {Case{100, 30, 1, "0.00"}, Case{99, 30, 1, "-0.03"}, Case{40, 30, 1, "-2.00"},
          Case{698, 30, 1, "19.93"}, Case{699, 30, 1, "19.97"}, Case{130, 30000, 1001, "1.00"},
          Case{125, 25, 1, "1.00"}, Case{99, 25, 1, "-0.04"}}) {
        EXPECT_EQ(engine::passClockText(c.frame, r, c.num, c.den), c.text) << c.frame;
    }
    EXPECT_EQ(run::framesAsSeconds(599, run::Fraction{0, 1}), QString());
}

} // namespace
