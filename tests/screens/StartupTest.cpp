// The program's start as main.cpp wires it, and the way from the Setup menu to the manual.
#include "FakePlayerForReview.h"
#include "support/NoDeviceCaptureControl.h"
#include "support/TestEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/frmManual.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"
#include "unit/AviTestBuilder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextEdit>
#include <QThread>
#include <QtCore/qtestsupport_core.h>
#include <csignal>
#include <gtest/gtest.h>

using testsupport::TestEnv;

TEST(Startup, WithoutADisplayTheProgramSaysHowToRunItAndStops) {
    const QString exe = QStringLiteral(SKIVANE_BINARY_DIR "/skivane");
    if (!QFileInfo(exe).isExecutable())
        GTEST_SKIP() << "the program is not built";
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(exe, {});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_NE(p.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("no display"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("xvfb-run"))) << err.toStdString();
}

// A second start while the program runs (a second click on the icon) says so before anything
// else and ends: no reset question, no session line, no settings written. Once the first is
// gone (here killed, as by a crash) the next start runs as ever.
TEST(Startup, ASecondStartSaysSoAndTouchesNothing) {
    const QString exe = QStringLiteral(SKIVANE_BINARY_DIR "/skivane");
    if (!QFileInfo(exe).isExecutable())
        GTEST_SKIP() << "the program is not built";
    TestEnv files; // folders only: the screens of this env are never started
    QTemporaryDir root;
    const QString config = root.filePath("config");
    const QString ini = config + "/SKV04/SKV04.ini";
    {
        adapters::IniSettingsStore store(ini);
        store.WriteSetting("logpath", files.videoDir());
        store.WriteSetting("framerate", "30");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root.path());
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("SKIVANE_APP_DIR", files.appDir());
    env.insert("QT_QPA_PLATFORM", "offscreen");

    // The first program waits in its first reset question: it holds the lock from its start.
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(exe, {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return QFileInfo::exists(config + "/SKV04/skivane.lock") ||
                   first.state() != QProcess::Running;
        },
        30000));
    ASSERT_EQ(first.state(), QProcess::Running);
    // Held still, so that what changes in its folders from here on is the second start's doing.
    ASSERT_EQ(::kill(pid_t(first.processId()), SIGSTOP), 0);
    QThread::msleep(200);
    const QByteArray iniBefore = files.readFile(ini);
    const QStringList videosBefore = QDir(files.videoDir()).entryList(QDir::Files);

    auto probe = [&] {
        QProcess p;
        QProcessEnvironment penv = env;
        penv.insert("SKIVANE_STARTUP_PROBE", "1");
        p.setProcessEnvironment(penv);
        p.start(exe, {});
        p.waitForFinished(60000);
        return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()));
    };
    const auto [code, out] = probe();
    EXPECT_EQ(code, 0);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << out.toStdString(); // one box, and nothing after it
    EXPECT_TRUE(lines[0].startsWith("SKIVANE_PROBE_MESSAGE Skivane Alert: Skivane is already "
                                    "running on this computer"))
        << out.toStdString();
    EXPECT_EQ(files.readFile(ini), iniBefore);
    EXPECT_EQ(QDir(files.videoDir()).entryList(QDir::Files), videosBefore) << "no session log";

    ::kill(pid_t(first.processId()), SIGCONT);
    first.kill();
    first.waitForFinished();
    const auto [nextCode, nextOut] = probe();
    EXPECT_EQ(nextCode, 0);
    EXPECT_TRUE(nextOut.contains("SKIVANE_SETUP_SHOWN")) << nextOut.toStdString();
    EXPECT_FALSE(nextOut.contains("already running")) << nextOut.toStdString();
    EXPECT_FALSE(QDir(files.videoDir()).entryList({"SkivaneLog*.txt"}).isEmpty());
}

TEST(Startup, ManualOpensFromTheSetupMenuAndDoneReturns) {
    TestEnv env;
    env.storeVideoDir();
    QFile manual(QStringLiteral(SKIVANE_SOURCE_DIR "/resources/SKV04Manual.rtf"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    env.writeFile(env.appDir() + QStringLiteral("/SKV04Manual.rtf"), manual.readAll());

    env.screens.start();
    screens::MainForm& setup = env.setup();
    ASSERT_TRUE(setup.isVisible());
    EXPECT_TRUE(env.screens.captureExists());
    EXPECT_FALSE(env.capture().isVisible());

    setup.munManual->trigger();
    screens::frmManual& m = env.screens.manual();
    EXPECT_TRUE(m.isVisible());
    EXPECT_FALSE(setup.isVisible());
    EXPECT_TRUE(m.RichTextBox1->toPlainText().contains(QStringLiteral("Recording a run")));

    m.cmdDone->click();
    EXPECT_TRUE(setup.isVisible());
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(env.endProgramCalls, 0);
}

TEST(Startup, ABuildWithoutACaptureEngineStillReachesSetup) {
    ports::NoDeviceCaptureControl none; // outlives the screens, as in main.cpp
    TestEnv env;
    env.storeVideoDir();
    env.services.capture = &none;

    env.screens.start();
    EXPECT_TRUE(env.setup().isVisible());
    EXPECT_FALSE(none.Connected());
    // Recording is refused with the not-connected error the screens report.
    try {
        none.StartStreamCapture();
        ADD_FAILURE() << "recording without a device did not fail";
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kNotConnected);
    }
    // The operator hears that there is no device, and sees no error box of the control.
    EXPECT_TRUE(env.dialogs.texts().contains(
        QStringLiteral("No MCI capture devices are installed on this system")));
    for (const auto& box : env.dialogs.boxes)
        EXPECT_FALSE(box.text.contains(QStringLiteral("code:"))) << box.text.toStdString();
}

// Once the Setup screen is shown (never before), the start names what went wrong last time: the
// camera list's skipped lines, and today's runs that were cut off (the newest offered for review,
// as the log viewer opens a run). Part files of cut-off clip and repair writes are gone.
TEST(Startup, AfterACrashTheCutOffRunsOfTodayAreNamedAndTheNewestOpens) {
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "Yes" : "No");
        TestEnv env;
        env.services.makePlayer = [](QWidget* parent) {
            return new reviewtest::FakePlayer(parent);
        };
        env.clock = QDateTime::currentDateTime();
        env.storeVideoDir();
        const QString leftover = env.videoDir() + "/.Bobpass1-pass.part.mp4";
        env.writeFile(leftover, QByteArray(4096, 'x'));
        avitest::Avi cut;
        cut.frames = 40;
        const QString older = env.videoDir() + "/Annpass1.avi";
        const QString newer = env.videoDir() + "/Bobpass1.avi";
        ASSERT_TRUE(avitest::writeFile(older, cut.unfinishedBytes()));
        ASSERT_TRUE(avitest::writeFile(newer, cut.unfinishedBytes()));
        QFile touch(older);
        ASSERT_TRUE(touch.open(QIODevice::ReadWrite));
        touch.setFileTime(env.clock.addSecs(-120), QFileDevice::FileModificationTime);
        touch.close();
        if (env.clock.addSecs(-120).date() != env.clock.date())
            GTEST_SKIP() << "too close to midnight";
        env.control.startWarning = "Cameras.txt: line 2 is no camera (name = URL) and was skipped.";

        env.screens.start();
        ASSERT_TRUE(env.setup().isVisible());
        env.dialogs.answers = {ports::Answer::Ok, open ? ports::Answer::Yes : ports::Answer::No};
        const size_t atShow = env.dialogs.boxes.size(); // nothing of the checks yet
        (void)QTest::qWaitFor([&] { return env.dialogs.boxes.size() >= atShow + 2; }, 5000);
        ASSERT_EQ(env.dialogs.boxes.size(), atShow + 2)
            << env.dialogs.texts().join('|').toStdString();
        const ports::MessageBoxRequest& cameras = env.dialogs.boxes[atShow];
        EXPECT_EQ(cameras.text, "Cameras.txt: line 2 is no camera (name = URL) and was skipped.");
        EXPECT_EQ(cameras.icon, ports::Icon::Exclamation);
        const ports::MessageBoxRequest& box = env.dialogs.boxes[atShow + 1];
        EXPECT_EQ(box.text, "2 recordings of today were cut off (by a crash, a power loss or a "
                            "full disk):\n\nAnnpass1.avi\nBobpass1.avi\n\nA cut-off recording "
                            "plays up to its last whole frame and can be marked; \"Repair copy…\" "
                            "makes a copy other players open.\n\nOpen the newest, Bobpass1.avi, "
                            "in the Timer & Review screen now?");
        EXPECT_EQ(box.title, "Skivane Alert");
        EXPECT_EQ(box.buttons, ports::Buttons::YesNo);
        EXPECT_EQ(box.icon, ports::Icon::Question);
        EXPECT_EQ(box.defaultButton, ports::Answer::Yes);
        EXPECT_FALSE(QFileInfo::exists(leftover));

        QCoreApplication::processEvents(); // the arrival of the run
        if (open) {
            screens::frmSetStart& review = env.timer();
            EXPECT_TRUE(review.isVisible());
            EXPECT_FALSE(env.setup().isVisible());
            EXPECT_EQ(review.Text6->toPlainText(), newer);
            EXPECT_EQ(review.fileFrames, 40);
            EXPECT_TRUE(review.lblFileNotice->isVisible());
            EXPECT_TRUE(review.cmdRepairCopy->isVisible());
        } else {
            EXPECT_TRUE(env.setup().isVisible());
            EXPECT_FALSE(env.screens.timerExists() && env.timer().isVisible());
        }
        EXPECT_EQ(env.dialogs.boxes.size(), atShow + 2) << "once per start";
    }
}
