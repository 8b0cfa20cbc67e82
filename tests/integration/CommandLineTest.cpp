// The command line of both programs, run as programs: --help and --version on standard output
// with status 0 and nothing on standard error; an unknown option, a missing value or operand
// gives one line on standard error and status 2; Qt's own options are passed over.
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

// The CMake project version of this build tree, which --version must report.
QString projectVersion() {
    QFile cache(QStringLiteral(SKIVANE_BINARY_DIR "/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&cache);
    const QString key = QStringLiteral("CMAKE_PROJECT_VERSION:STATIC=");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(key))
            return line.mid(key.size());
    }
    return {};
}

enum class Out { Usage, Version, Nothing };

struct Case {
    const char* program;
    QStringList args;
    int status;
    Out out;
    bool errorLine; // exactly one line on standard error (else nothing there)
};

TEST(CommandLineTest, HelpVersionAndBadOptionsOfBothPrograms) {
    const QString version = projectVersion();
    ASSERT_FALSE(version.isEmpty());
    const Case cases[] = {
        {"skivane", {"--help"}, 0, Out::Usage, false},
        {"skivane", {"-h"}, 0, Out::Usage, false},
        {"skivane", {"--version"}, 0, Out::Version, false},
        {"skivane",
         {"-platform", "offscreen", "--style=Fusion", "-reverse", "--version"},
         0,
         Out::Version,
         false},
        {"skivane", {"--bogus"}, 2, Out::Nothing, true},
        {"skivane", {"-platform", "offscreen", "-bogus"}, 2, Out::Nothing, true},
        {"skivane", {"--help=x"}, 2, Out::Nothing, true},
        {"skivane", {"stray"}, 2, Out::Nothing, true},
        {"skivane", {"-style"}, 2, Out::Nothing, true},
        {"skivane-info", {"--help"}, 0, Out::Usage, false},
        {"skivane-info", {"--version"}, 0, Out::Version, false},
        {"skivane-info", {"--bogus", "x.avi"}, 2, Out::Nothing, true},
        {"skivane-info", {"-platform", "offscreen", "x.avi"}, 2, Out::Nothing, true},
        {"skivane-info", {}, 2, Out::Nothing, true},
        {"skivane-info", {"--repair"}, 2, Out::Nothing, true},
        {"skivane-info", {"--repair", "a.avi", "b.avi"}, 2, Out::Nothing, true},
    };
    for (const Case& c : cases) {
        const QString program = QString::fromLatin1(c.program);
        SCOPED_TRACE((program + QLatin1Char(' ') + c.args.join(QLatin1Char(' '))).toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY")); // nothing here may need a window
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(SKIVANE_BINARY_DIR "/") + program, c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.status);
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        switch (c.out) {
        case Out::Usage:
            EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: ") + program + QLatin1Char(' ')))
                << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("--version"))) << out.toStdString();
            break;
        case Out::Version:
            EXPECT_TRUE(out.startsWith(program + QStringLiteral(" (Skivane) ") + version +
                                       QLatin1Char('\n')))
                << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("GPLv3+"))) << out.toStdString();
            break;
        case Out::Nothing:
            EXPECT_EQ(out, QString());
            break;
        }
        if (c.errorLine) {
            EXPECT_TRUE(err.startsWith(program + QStringLiteral(": "))) << err.toStdString();
            EXPECT_TRUE(err.endsWith(QLatin1Char('\n')));
            EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
        } else {
            EXPECT_EQ(err, QString());
        }
    }
}

} // namespace
