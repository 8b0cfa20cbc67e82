// One program at a time per settings folder: the lock, the wake-up of the running program, and
// the take-over of a lock left by a program that was killed.
#include "ui/adapters/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

using adapters::SingleInstance;
using Result = adapters::SingleInstance::Result;

namespace {
const char* kHolderFolderVar = "SKIVANE_LOCK_HOLDER_FOLDER";
const char* kHolderSignalVar = "SKIVANE_LOCK_HOLDER_SIGNAL";
} // namespace

TEST(SingleInstance, ASecondStartFindsTheFirstWakesItAndTheLockGoesWithTheFirst) {
    QTemporaryDir root;
    const QString folder = root.filePath("config/SKV04"); // made by the first start
    int wakes = 0;
    {
        SingleInstance first(folder);
        ASSERT_EQ(first.acquire(), Result::Acquired);
        first.onWake([&] { ++wakes; });
        EXPECT_TRUE(QFileInfo::exists(first.lockPath()));

        SingleInstance second(folder);
        EXPECT_EQ(second.acquire(), Result::HeldElsewhere);
        EXPECT_TRUE(second.wakeRunning());
        EXPECT_TRUE(QTest::qWaitFor([&] { return wakes == 1; }, 5000));

        // Another settings folder (a test run with its own configuration) is another program.
        SingleInstance elsewhere(root.filePath("other"));
        EXPECT_EQ(elsewhere.acquire(), Result::Acquired);
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "/skivane.lock")) << "released when the program ends";
    SingleInstance next(folder);
    EXPECT_EQ(next.acquire(), Result::Acquired);
    SingleInstance later(folder);
    EXPECT_EQ(later.acquire(), Result::HeldElsewhere);
    EXPECT_EQ(wakes, 1);
}

TEST(SingleInstance, NobodyToWakeWhenNoProgramRuns) {
    QTemporaryDir root;
    SingleInstance alone(root.path());
    EXPECT_FALSE(alone.wakeRunning(500));
}

TEST(SingleInstance, ALongSettingsPathStillGetsASocket) {
    QTemporaryDir root;
    const QString folder = root.filePath(QString(120, QLatin1Char('d')));
    SingleInstance first(folder);
    ASSERT_EQ(first.acquire(), Result::Acquired);
    EXPECT_FALSE(first.socketName().contains('/')) << first.socketName().toStdString();
    int wakes = 0;
    first.onWake([&] { ++wakes; });
    SingleInstance second(folder);
    EXPECT_EQ(second.acquire(), Result::HeldElsewhere);
    EXPECT_TRUE(second.wakeRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return wakes == 1; }, 5000));
}

// The holder of ALockLeftByAKilledProgramIsTakenOver: takes the lock and waits to be killed.
TEST(SingleInstanceHelper, HoldsTheLockUntilKilled) {
    const QString folder = qEnvironmentVariable(kHolderFolderVar);
    const QString signal = qEnvironmentVariable(kHolderSignalVar);
    if (folder.isEmpty() || signal.isEmpty())
        GTEST_SKIP() << "runs only as the lock holder of ALockLeftByAKilledProgram...";
    SingleInstance holder(folder);
    ASSERT_EQ(holder.acquire(), Result::Acquired);
    QFile(signal).open(QIODevice::WriteOnly);
    (void)QTest::qWaitFor([] { return false; }, 60000);
}

TEST(SingleInstance, ALockLeftByAKilledProgramIsTakenOver) {
    QTemporaryDir root;
    const QString folder = root.filePath("SKV04");
    const QString signal = root.filePath("holding");
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kHolderFolderVar, folder);
    env.insert(kHolderSignalVar, signal);
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=SingleInstanceHelper.*"});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFileInfo::exists(signal) || holder.state() != QProcess::Running; }, 30000));
    ASSERT_EQ(holder.state(), QProcess::Running) << holder.readAll().toStdString();

    SingleInstance whileItRuns(folder);
    EXPECT_EQ(whileItRuns.acquire(), Result::HeldElsewhere);

    holder.kill(); // SIGKILL: the lock file and the socket stay behind
    holder.waitForFinished();
    ASSERT_TRUE(QFileInfo::exists(folder + "/skivane.lock"));

    SingleInstance next(folder);
    ASSERT_EQ(next.acquire(), Result::Acquired);
    int wakes = 0;
    next.onWake([&] { ++wakes; });
    SingleInstance second(folder);
    EXPECT_EQ(second.acquire(), Result::HeldElsewhere);
    EXPECT_TRUE(second.wakeRunning()) << "the socket left behind was replaced";
    EXPECT_TRUE(QTest::qWaitFor([&] { return wakes == 1; }, 5000));
}
