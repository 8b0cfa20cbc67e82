// The Qt adapters that need no person at the screen: file-dialog filters, the progress box
// (its Cancel pressed by the test) and disk space.
#include "ui/adapters/QtDialogs.h"
#include "ui/adapters/SystemDiskSpace.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using adapters::QtDialogs;

TEST(QtDialogsFilter, DescriptionPatternPairsBecomeQtFilters) {
    EXPECT_EQ(QtDialogs::toQtFilter("*.avi|*.avi"), QStringLiteral("*.avi (*.avi)"));
    EXPECT_EQ(QtDialogs::toQtFilter("*.txt|SkivaneLog*.txt"),
              QStringLiteral("*.txt (SkivaneLog*.txt)"));
    EXPECT_EQ(QtDialogs::toQtFilter("Videos|*.avi;*.AVI|All files|*.*"),
              QStringLiteral("Videos (*.avi *.AVI);;All files (*.*)"));
    EXPECT_EQ(QtDialogs::toQtFilter(""), QStringLiteral("All files (*)"));
    // A description without its pattern matches everything rather than nothing.
    EXPECT_EQ(QtDialogs::toQtFilter("Text files"), QStringLiteral("Text files (*)"));
}

TEST(QtDialogsProgress, WorkRunsOffTheScreenThreadUntilDoneOrCancelled) {
    QtDialogs dialogs;
    std::thread::id worker;
    dialogs.runWithProgress({"Working", ports::kAppTitle, [&](const auto& report, const auto&) {
                                 worker = std::this_thread::get_id();
                                 for (int i = 1; i <= 5; ++i)
                                     EXPECT_TRUE(report(i, 5));
                             }});
    EXPECT_NE(worker, std::thread::id());
    EXPECT_NE(worker, std::this_thread::get_id());

    // Cancel pressed while the work runs: report() says so and the flag is set.
    QTimer::singleShot(100, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QProgressDialog*>(w); box && box->isVisible())
                box->findChild<QPushButton*>()->click();
    });
    bool flagSeen = false;
    int reports = 0;
    dialogs.runWithProgress(
        {"Working", ports::kAppTitle, [&](const auto& report, const auto& cancel) {
             while (report(0, 0) && reports < 100000) {
                 ++reports;
                 std::this_thread::sleep_for(std::chrono::milliseconds(1));
             }
             flagSeen = cancel.load();
         }});
    EXPECT_TRUE(flagSeen);
    EXPECT_LT(reports, 100000);
}

TEST(SystemDiskSpace, FreeBytesOfTheVolumeIncludeTheReservedShare) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    adapters::SystemDiskSpace disk;
    const auto free = disk.FreeDiskSpace(dir.path(), 0);
    const auto total = disk.FreeDiskSpace(dir.path(), 1);
    ASSERT_TRUE(free.has_value());
    ASSERT_TRUE(total.has_value());
    EXPECT_LE(*free, *total);
    // All free bytes, not only what an unprivileged user may fill (the volume's reserve is
    // usually far more than the slack that allows for other programs writing meanwhile).
    const QStorageInfo info(dir.path());
    const quint64 slack = 64ull * 1024 * 1024;
    EXPECT_GE(*free + slack, static_cast<quint64>(info.bytesFree()));
    EXPECT_GE(*free + slack, static_cast<quint64>(info.bytesAvailable()));
    EXPECT_EQ(*total, static_cast<quint64>(info.bytesTotal()));

    // A folder that does not exist yet is measured on the volume that would hold it.
    const QString missing = QDir(dir.path()).filePath("not/yet/made");
    EXPECT_EQ(disk.FreeDiskSpace(missing, 1), total);
    EXPECT_EQ(disk.volumeName(missing), disk.volumeName(dir.path()));
    EXPECT_TRUE(QDir::fromNativeSeparators(dir.path())
                    .startsWith(QDir::fromNativeSeparators(disk.volumeName(dir.path()))));

    EXPECT_FALSE(disk.FreeDiskSpace(dir.path(), 2).has_value());
    EXPECT_FALSE(disk.FreeDiskSpace(QString(), 0).has_value());
}
