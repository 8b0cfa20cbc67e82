// The program's start as main.cpp wires it, and the way from the Setup menu to the manual.
#include "support/NoDeviceCaptureControl.h"
#include "support/TestEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/frmManual.h"
#include "ui/screens/setup/MainForm.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
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

TEST(Startup, ManualOpensFromTheSetupMenuAndDoneReturns) {
    TestEnv env;
    env.storeVideoDir();
    QFile manual(QStringLiteral(SKIVANE_SOURCE_DIR "/resources/SKV04Manual.rtf"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    env.writeFile(env.appDir() + QStringLiteral("/SKV04Manual.rtf"), manual.readAll());

    env.screens.start();
    MainForm& setup = env.setup();
    ASSERT_TRUE(setup.isVisible());
    EXPECT_TRUE(env.screens.captureExists());
    EXPECT_FALSE(env.capture().isVisible());

    setup.munManual->trigger();
    frmManual& m = env.screens.manual();
    EXPECT_TRUE(m.isVisible());
    EXPECT_FALSE(setup.isVisible());
    EXPECT_TRUE(m.RichTextBox1->toPlainText().contains(QStringLiteral("Recording a run")));

    m.cmdDone->click();
    EXPECT_TRUE(setup.isVisible());
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(env.endProgramCalls, 0);
}

TEST(Startup, ABuildWithoutACaptureEngineStillReachesSetup) {
    platform::NoDeviceCaptureControl none; // outlives the screens, as in main.cpp
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
    } catch (const platform::ControlError& e) {
        EXPECT_EQ(e.number(), platform::errors::kNotConnected);
    }
    // The operator hears that there is no device, and sees no error box of the control.
    EXPECT_TRUE(env.dialogs.texts().contains(
        QStringLiteral("No MCI capture devices are installed on this system")));
    for (const auto& box : env.dialogs.boxes)
        EXPECT_FALSE(box.text.contains(QStringLiteral("code:"))) << box.text.toStdString();
}
