// The Qt adapters that need no person at the screen: file-dialog filters and disk space.
#include "ui/adapters/QtDialogs.h"
#include "ui/adapters/SystemDiskSpace.h"

#include <QDir>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::QtDialogs;

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

TEST(SystemDiskSpace, FreeBytesOfTheVolumeIncludeTheReservedShare) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::SystemDiskSpace disk;
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
