// What the program finds in the video folder after a crash: runs cut off before their end, and
// part files of a repaired copy or a pass clip that were cut off.
#include "AviTestBuilder.h"

#include "core/app/PartFile.h"
#include "core/media/RunFileChecks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString& path, const QDateTime& when) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

TEST(RunFileChecks, CutOffRunsOfTheDayOldestFirst) {
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = now.date();
    auto path = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    avitest::Avi whole;
    whole.frames = 5;
    whole.totalFrames = 5;
    const std::string cut = whole.unfinishedBytes();
    const QByteArray timingOpen = "skivane-timing 1\nrate 30/1\nstart 2026-12-08T07:00:00Z\n"
                                  "3 gap\n";
    const QByteArray timingEnded = timingOpen + "end 5\n";
    const struct {
        const char* name;
        std::string avi;
        QByteArray timing; // empty: none
        int minutesAgo;    // modification time
        bool found;
    } files[] = {
        {"Annpass1.avi", cut, {}, 30, true},                   // no index
        {"Bobpass1.avi", whole.bytes(), timingOpen, 20, true}, // record without its end line
        {"Carlpass1.avi", whole.bytes(), timingEnded, 10, false},
        {"Danpass1.avi", whole.bytes(), {}, 5, false},
        {"Evapass1.avi", cut, timingOpen, 60 * 24 + 1, false}, // yesterday
        {"Finnpass1.avi", cut, {}, 1, false},                  // marked since: has its .info
        {"Gilpass1.avi", cut, {}, 2, false},                   // has a repaired copy
        {"Gilpass1-repaired.avi", whole.bytes(), {}, 2, false},
        {"Hopass1-pass.avi", cut, {}, 2, false}, // a clip, no run
        {"notes.avi", "just text", {}, 3, false},
        {"Empty.avi", "", {}, 3, false},
        {"Ivopass1.AVI", cut, {}, 0, true},
    };
    for (const auto& f : files) {
        ASSERT_TRUE(avitest::writeFile(path(f.name), f.avi));
        if (!f.timing.isEmpty()) {
            QFile t(path(f.name) + ".timing");
            ASSERT_TRUE(t.open(QIODevice::WriteOnly));
            t.write(f.timing);
        }
        touch(path(f.name), now.addSecs(-60 * f.minutesAgo));
    }
    avitest::writeFile(path("Finnpass1.avi.info"), "x, 1\r\n");
    if (now.addSecs(-60 * 30).date() != today)
        GTEST_SKIP() << "too close to midnight";

    const std::vector<media::CutOffRun> runs = media::findCutOffRuns(dir.path(), today);
    QStringList found;
    for (const auto& r : runs)
        found << QFileInfo(r.path).fileName();
    EXPECT_EQ(found, QStringList({"Annpass1.avi", "Bobpass1.avi", "Ivopass1.AVI"}));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_TRUE(runs[0].noIndex);
    EXPECT_FALSE(runs[0].recordOpen);
    EXPECT_FALSE(runs[1].noIndex);
    EXPECT_TRUE(runs[1].recordOpen);
    EXPECT_TRUE(media::findCutOffRuns(dir.path(), today.addDays(-2)).empty());
    EXPECT_TRUE(media::findCutOffRuns(QString(), today).empty());

    EXPECT_EQ(media::recordedFrames(path("Carlpass1.avi")), 5u);
    EXPECT_EQ(media::recordedFrames(path("Annpass1.avi")), 5u);
    EXPECT_EQ(media::recordedFrames(path("notes.avi")), std::nullopt);
    EXPECT_EQ(media::recordedFrames(path("Empty.avi")), std::nullopt);
    avitest::Avi none;
    none.frames = 0;
    ASSERT_TRUE(avitest::writeFile(path("None.avi"), none.bytes()));
    EXPECT_EQ(media::recordedFrames(path("None.avi")), 0u);
}

TEST(RunFileChecks, LeftoverPartFilesGoAndNothingElse) {
    QTemporaryDir dir;
    const QStringList leftovers = {".Annpass1-repaired.part.avi", ".Annpass1-pass.part.mp4",
                                   ".Annpass1-pass-3.part.avi", ".Bob pass2-pass.part.MP4"};
    const QStringList kept = {
        "Annpass1.avi",           ".Annpass1.avi.swp",        ".Annpass1-pass.mp4",
        "Annpass1-pass.part.mp4", ".Annpass1-other.part.mp4", ".Annpass1-pass.part.mov",
        ".-pass.part.mp4x",       "SkivaneLog011805.txt",
    };
    for (const QString& name : leftovers + kept)
        ASSERT_TRUE(avitest::writeFile(dir.filePath(name), "x"));
    QDir().mkdir(dir.filePath(".Cpass1-pass.part.mp4")); // a folder of that name stays

    // Opening one run removes only its own leftovers.
    EXPECT_EQ(app::removeLeftoverParts(dir.path(), "Bob pass2"),
              QStringList({dir.filePath(".Bob pass2-pass.part.MP4")}));
    QStringList removed = app::removeLeftoverParts(dir.path());
    removed.sort();
    QStringList expected;
    for (const QString& name : leftovers.mid(0, 3))
        expected << dir.filePath(name);
    expected.sort();
    EXPECT_EQ(removed, expected);
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(name))) << name.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(".Cpass1-pass.part.mp4")).isDir());
    EXPECT_TRUE(app::removeLeftoverParts(QString()).isEmpty());

    EXPECT_EQ(app::partPathFor("/v/Annpass1-pass-2.mp4"), "/v/.Annpass1-pass-2.part.mp4");
    EXPECT_EQ(app::partPathFor("/v/Ann.x pass1-repaired.avi"), "/v/.Ann.x pass1-repaired.part.avi");
}
