#include "core/run/TimingRecord.h"

#include "support/core/Files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace run;

TEST(TimingRecord, WrittenAsTheRecordingGoesAndReadBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("run.avi.timing");
    {
        QFile stale(path); // left by a recording since deleted
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("rubbish\n");
    }
    const QDateTime start = QDateTime::fromString("2026-06-01T10:00:00.250Z", Qt::ISODateWithMs);
    TimingRecordWriter w;
    ASSERT_TRUE(w.open(path, Fraction{30000, 1001}, start));
    // A camera running 1 % slow: slot 30 (1.001 s at 29.97) was taken 1.011 s after slot 0.
    w.time(0, 0);
    w.note(12, SlotKind::Gap);
    w.note(13, SlotKind::Gap);
    w.note(20, SlotKind::Extra);
    w.time(30, 1011000);
    w.note(31, SlotKind::Drop);
    w.note(45, SlotKind::Jump);
    w.note(52, SlotKind::Reconnect);
    w.flush();

    // Read while the recording goes on (as after a kill): no end yet.
    auto r = TimingRecord::parse(testsupport::readFile(path));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->rate.num, 30000);
    EXPECT_EQ(r->rate.den, 1001);
    EXPECT_EQ(r->start, start);
    EXPECT_EQ(r->end, -1);
    EXPECT_EQ(r->lastAccountedSlot(), 52); // a cut-off record stops at the last slot it names
    ASSERT_EQ(r->notes.size(), 6u);
    EXPECT_EQ(r->notes.back().first, 52);
    EXPECT_EQ(r->notes.back().second, SlotKind::Reconnect);
    EXPECT_EQ(r->repeatedSlots(0, 100), 3); // gaps and drops; an extra, a jump or a reconnection
                                            // repeats nothing of its own
    EXPECT_EQ(r->repeatedSlots(13, 31), 2);
    EXPECT_EQ(r->repeatedSlots(14, 30), 0);
    EXPECT_EQ(r->realDurationUs(0, 30), 1011000);
    EXPECT_EQ(r->realDurationUs(0, 15), 505500);   // between recorded times: evenly
    EXPECT_EQ(r->realDurationUs(30, 60), 1001000); // past the last one: at the chosen rate

    w.time(60, 2022000);
    w.finish(75);
    r = TimingRecord::parse(testsupport::readFile(path));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->end, 75);
    EXPECT_EQ(r->lastAccountedSlot(), 74);
    EXPECT_EQ(r->realDurationUs(30, 60), 1011000);
    EXPECT_EQ(r->realDurationUs(0, 75), 2022000 + 500500);
}

TEST(TimingRecord, DamagedOrForeignTextNeverMisleads) {
    const QByteArray head = "skivane-timing 1\nrate 25/1\nstart 2026-06-01T10:00:00.000Z\n";
    EXPECT_FALSE(TimingRecord::parse("").has_value());
    EXPECT_FALSE(TimingRecord::parse("RIFF....AVI LIST").has_value());
    EXPECT_FALSE(TimingRecord::parse("skivane-timing 1\nrate 0/1\n").has_value());
    // A line cut off mid-write ("4 ga") and lines it does not know are left out.
    auto r = TimingRecord::parse(head + "3 gap\nx gap\n-2 gap\n9 wobble\n7 time abc\n4 ga");
    ASSERT_TRUE(r.has_value());
    ASSERT_EQ(r->notes.size(), 1u);
    EXPECT_EQ(r->notes[0].first, 3);
    EXPECT_TRUE(r->times.empty());
    EXPECT_EQ(r->realDurationUs(0, 25), 1000000); // no recorded time: the chosen rate

    // Numbers no recording makes would overflow the time arithmetic: the rate is refused, the
    // lines are left out.
    for (const char* rate :
         {"rate 1/9223372036854775807", "rate 9223372036854775807/1", "rate 1/100", "rate 5000/1"})
        EXPECT_FALSE(TimingRecord::parse(QByteArray("skivane-timing 1\n") + rate + "\n")) << rate;
    r = TimingRecord::parse(head + "0 time 0\n5 time 9223372036854775807\n" +
                            "9223372036854775807 time 0\n9223372036854775807 gap\n");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->times.size(), 1u);
    EXPECT_TRUE(r->notes.empty());
    EXPECT_EQ(r->realDurationUs(0, 25), 1000000);
    EXPECT_EQ(TimingRecord::parse("skivane-timing 1\nrate 30000/1001\n")->realDurationUs(0, 30000),
              1001000000);
}
