// `cmake --install` of this build tree into a temporary prefix: the program, its tools, the
// sounds, the manual and the desktop entry land where an installed program looks for them, and
// the installed program uses a per-user application folder filled from <prefix>/share/skivane
// (the install folder itself is not the user's to write to).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

const QString kBuild = QStringLiteral(SKIVANE_BINARY_DIR);

// The cmake that configured this build tree.
QString cmakeOfBuild() {
    QFile cache(kBuild + QStringLiteral("/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&cache);
    const QString key = QStringLiteral("CMAKE_COMMAND:INTERNAL=");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(key))
            return line.mid(key.size());
    }
    return {};
}

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result run(const QString& program, const QStringList& args,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        const QString cmake = cmakeOfBuild();
        ASSERT_FALSE(cmake.isEmpty()) << "no CMAKE_COMMAND in " << kBuild.toStdString();
        const Result r =
            run(cmake, {QStringLiteral("--install"), kBuild, QStringLiteral("--prefix"), prefix()});
        ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    }

    QString prefix() const { return tmp.filePath(QStringLiteral("prefix")); }
    QString home() const { return tmp.filePath(QStringLiteral("home")); }

    // The installed program asked for its application folder, as a user with a fresh home.
    Result appFolder(const QString& appDirOverride = QString()) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home());
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/nonexistent"));
        if (appDirOverride.isEmpty())
            env.remove(QStringLiteral("SKIVANE_APP_DIR"));
        else
            env.insert(QStringLiteral("SKIVANE_APP_DIR"), appDirOverride);
        return run(prefix() + QStringLiteral("/bin/skivane"), {QStringLiteral("--app-folder")},
                   env);
    }

    QTemporaryDir tmp;
};

TEST_F(InstallTest, InstallsProgramToolsResourcesAndDesktopEntry) {
    for (const QString& exe : {QStringLiteral("bin/skivane"), QStringLiteral("bin/skivane-info")})
        EXPECT_TRUE(QFileInfo(QDir(prefix()).filePath(exe)).isExecutable()) << exe.toStdString();
    // The benchmarks are a build-folder tool, not the operator's.
    EXPECT_FALSE(QFileInfo::exists(prefix() + QStringLiteral("/bin/skivane-bench")));
    const QDir share(prefix() + QStringLiteral("/share/skivane"));
    for (const QString& name : {QStringLiteral("StartSound.wav"), QStringLiteral("StopSound.wav"),
                                QStringLiteral("SKV04Manual.rtf")}) {
        const QFileInfo installed(share.filePath(name));
        ASSERT_TRUE(installed.isFile()) << name.toStdString();
        EXPECT_EQ(installed.size(),
                  QFileInfo(QStringLiteral(SKIVANE_SOURCE_DIR "/resources/") + name).size());
    }
    QFile desktop(prefix() + QStringLiteral("/share/applications/skivane.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString entry = QString::fromUtf8(desktop.readAll());
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=skivane")));
    // Nothing of the build tree's own resources next to the installed executable: otherwise
    // the installed program would take bin/ for a portable copy and write its skier list there.
    EXPECT_FALSE(QFileInfo::exists(prefix() + QStringLiteral("/bin/SKV04Manual.rtf")));
}

TEST_F(InstallTest, InstalledProgramUsesPerUserFolderFilledFromShare) {
    const Result r = appFolder();
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString expected = home() + QStringLiteral("/.local/share/skivane");
    EXPECT_EQ(r.out.trimmed(), expected);
    const QDir folder(expected);
    for (const QString& name : {QStringLiteral("StartSound.wav"), QStringLiteral("StopSound.wav"),
                                QStringLiteral("SKV04Manual.rtf")})
        EXPECT_TRUE(QFileInfo(folder.filePath(name)).isFile()) << name.toStdString();

    // The skier list is the user's to write, and a later start keeps what the user changed.
    QFile names(folder.filePath(QStringLiteral("SkierNames.txt")));
    ASSERT_TRUE(names.open(QIODevice::WriteOnly));
    names.write("Ann\r\n");
    names.close();
    QFile manual(folder.filePath(QStringLiteral("SKV04Manual.rtf")));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manual.write("{\\rtf1 own copy}");
    manual.close();
    ASSERT_EQ(appFolder().exitCode, 0);
    EXPECT_EQ(QFileInfo(folder.filePath(QStringLiteral("SkierNames.txt"))).size(), 5);
    EXPECT_EQ(QFileInfo(folder.filePath(QStringLiteral("SKV04Manual.rtf"))).size(), 16);
}

TEST_F(InstallTest, AppDirVariableOverridesThePerUserFolder) {
    const QString own = tmp.filePath(QStringLiteral("event-laptop/app"));
    const Result r = appFolder(own);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), own);
    EXPECT_TRUE(QFileInfo(own + QStringLiteral("/SKV04Manual.rtf")).isFile());
    EXPECT_FALSE(QFileInfo::exists(home() + QStringLiteral("/.local/share/skivane")));
}

} // namespace
