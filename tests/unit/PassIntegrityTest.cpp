// The pass window check against the timing record: what the operator is told for clean runs,
// runs with repeated frames or dropped extras inside or outside the window, and runs whose real
// length differs from the nominal one.
#include "core/run/PassIntegrity.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A 30 fps record with a capture time each second; `extra` lines are added as written.
QByteArray record(const QByteArray& extra, int usPerSecond = 1000000) {
    QByteArray text = "skivane-timing 1\nrate 30/1\nstart 2026-12-07T10:00:00.000Z\n";
    text += extra;
    for (int s = 0; s <= 40; ++s)
        text += QByteArray::number(s * 30) + " time " +
                QByteArray::number(qint64(s) * usPerSecond) + "\n";
    return text;
}

TEST(PassIntegrity, TellsWhatIsOffInsideTheWindow) {
    struct Case {
        const char* name;
        QByteArray text;
        bool clean;
        const char* says;
    };
    const Case cases[] = {
        {"clean", record(""), true,
         "Pass window: every frame a camera picture; real length 19.97 s"},
        {"gaps inside", record("412 gap\n413 gap\n414 drop\n500 gap\n"), false,
         "Pass window: 4 repeated frames at 412–414, 500; real length 19.97 s"},
        {"gaps outside", record("20 gap\n99 drop\n700 gap\n"), true,
         "Pass window: every frame a camera picture; real length 19.97 s"},
        {"extras", record("300 extra\n301 extra\n"), true,
         "Pass window: 2 extra camera pictures dropped; real length 19.97 s"},
        // A camera 0.5 % slow: 19.97 s of slots hold 20.07 s of real time.
        {"slow camera", record("", 1005000), false,
         "Pass window: real length 20.07 s (nominal 19.97 s)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = capture::TimingRecord::parse(c.text);
        ASSERT_TRUE(parsed.has_value());
        const review::PassWindowCheck check = review::checkPassWindow(*parsed, 100, 699);
        EXPECT_TRUE(check.haveRecord);
        EXPECT_EQ(check.clean, c.clean);
        EXPECT_EQ(check.text.toStdString(), c.says);
    }
}

TEST(PassIntegrity, ReadsTheRecordBesideTheRun) {
    QTemporaryDir dir;
    const QString run = dir.filePath("Annpass1.avi");
    const review::PassWindowCheck none = review::checkPassWindow(run, 100, 699);
    EXPECT_FALSE(none.haveRecord);
    EXPECT_EQ(none.text, review::kNoTimingRecord);
    QFile f(run + ".timing");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(record("450 gap\n"));
    f.close();
    const review::PassWindowCheck found = review::checkPassWindow(run, 100, 699);
    EXPECT_TRUE(found.haveRecord);
    EXPECT_FALSE(found.clean);
    EXPECT_TRUE(found.text.startsWith("Pass window: 1 repeated frame at 450;"));
}

} // namespace
