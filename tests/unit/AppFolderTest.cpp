#include "core/app/AppFolder.h"
#include "support/core/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using app::AppFolderSources;
using app::resolveAppFolder;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class AppFolderTest : public ::testing::Test {
protected:
    QString path(const QString& rel) const { return QDir(m_tmp.path()).filePath(rel); }
    QTemporaryDir m_tmp;
};

} // namespace

TEST_F(AppFolderTest, ExecutableFolderHoldingTheManualIsUsed) {
    writeFile(path("build/SKV04Manual.rtf"), "{\\rtf1 build}");
    AppFolderSources s;
    s.exeDir = path("build");
    s.userDataDir = path("home/skivane");
    s.shareDirs = {path("share/skivane")};
    EXPECT_EQ(resolveAppFolder(s), QDir::toNativeSeparators(path("build")));
    EXPECT_FALSE(QFileInfo::exists(path("home/skivane"))); // nothing created elsewhere
}

TEST_F(AppFolderTest, InstalledProgramUsesThePerUserFolderFilledFromShare) {
    writeFile(path("share/skivane/SKV04Manual.rtf"), "{\\rtf1 shipped}");
    writeFile(path("share/skivane/StartSound.wav"), "RIFFstart");
    // StopSound.wav is not installed: the rest is still copied.
    AppFolderSources s;
    s.exeDir = path("usr/bin"); // no manual next to the executable
    s.userDataDir = path("home/.local/share/skivane");
    s.shareDirs = {path("nowhere"), path("share/skivane")};
    QString error;
    const QString folder = resolveAppFolder(s, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(folder, QDir::toNativeSeparators(path("home/.local/share/skivane")));
    EXPECT_EQ(readFile(path("home/.local/share/skivane/SKV04Manual.rtf")), "{\\rtf1 shipped}");
    EXPECT_EQ(readFile(path("home/.local/share/skivane/StartSound.wav")), "RIFFstart");
    EXPECT_FALSE(QFileInfo::exists(path("home/.local/share/skivane/StopSound.wav")));

    // The next start keeps what the user's folder holds, the skier list included.
    writeFile(path("home/.local/share/skivane/SKV04Manual.rtf"), "{\\rtf1 edited}");
    writeFile(path("home/.local/share/skivane/SkierNames.txt"), "Smith\r\n");
    writeFile(path("share/skivane/SKV04Manual.rtf"), "{\\rtf1 newer}");
    EXPECT_EQ(resolveAppFolder(s), folder);
    EXPECT_EQ(readFile(path("home/.local/share/skivane/SKV04Manual.rtf")), "{\\rtf1 edited}");
    EXPECT_EQ(readFile(path("home/.local/share/skivane/SkierNames.txt")), "Smith\r\n");
    EXPECT_FALSE(QFileInfo::exists(path("home/.local/share/skivane/SKV04Manual.rtf.part")));
}

TEST_F(AppFolderTest, EnvironmentOverrideWinsAndIsFilledFromTheBuild) {
    writeFile(path("build/SKV04Manual.rtf"), "{\\rtf1 build}");
    writeFile(path("build/StopSound.wav"), "RIFFstop");
    AppFolderSources s;
    s.envOverride = path("event/app") + "/"; // a trailing separator is dropped
    s.exeDir = path("build");
    s.userDataDir = path("home/skivane");
    const QString folder = resolveAppFolder(s);
    EXPECT_EQ(folder, QDir::toNativeSeparators(path("event/app")));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(readFile(path("event/app/SKV04Manual.rtf")), "{\\rtf1 build}");
    EXPECT_EQ(readFile(path("event/app/StopSound.wav")), "RIFFstop");
    EXPECT_FALSE(QFileInfo::exists(path("home/skivane")));
}

TEST_F(AppFolderTest, AFolderThatCannotBeCreatedIsReported) {
    writeFile(path("blocker"), "a file where a folder should be");
    AppFolderSources s;
    s.envOverride = path("blocker/app");
    s.exeDir = path("usr/bin");
    QString error;
    EXPECT_EQ(resolveAppFolder(s, &error), QDir::toNativeSeparators(path("blocker/app")));
    EXPECT_TRUE(error.contains(QStringLiteral("could not be created"))) << error.toStdString();
}
