// The operator is never left without a window: the Capture, Timer & Review and manual windows
// refuse close requests, and a screen hidden with nothing else on view (a camera unplugged)
// brings the Setup screen back with a message.
#include "PreviewFormTestFixture.h"

#include "ui/screens/frmManual.h"

namespace {
const QString kAlert = QStringLiteral("Skivane Alert");
} // namespace

class Reachability : public CaptureScreenTest {};

TEST_F(Reachability, CloseRequestsAreRefusedOnTheWindowsWithoutACloseBox) {
    // The Capture screen while recording, then the Timer & Review screen, then the manual, each
    // the only screen on view.
    setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    form().cmdStartCapture_Click();
    const std::vector<std::function<QWidget&()>> steps{
        [&]() -> QWidget& { return form(); },
        [&]() -> QWidget& {
            form().Form_KeyDown(27, 0); // ends the recording, hands over to Timer & Review
            return env.timer();
        },
        [&]() -> QWidget& {
            env.timer().cmdGoToSetup_Click();
            setup().munManual_Click();
            return env.screens.manual();
        },
    };
    for (const auto& step : steps) {
        QWidget& window = step();
        QCoreApplication::processEvents();
        SCOPED_TRACE(window.objectName().toStdString());
        ASSERT_TRUE(window.isVisible());
        EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(window.close());
        QCoreApplication::processEvents();
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(setup().isVisible());
        if (&window == &form()) {
            EXPECT_TRUE(env.control.recording); // the recording goes on, in view
        }
    }
    EXPECT_TRUE(takeBoxes().isEmpty());
    EXPECT_EQ(env.endProgramCalls, 0);
}

TEST_F(Reachability, UnpluggedCameraWithTheCaptureScreenShownBringsBackSetup) {
    setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form().isVisible());
    env.control.removeDevice(0);
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(setup().isVisible());
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("The camera was disconnected, so the Capture screen was closed. "
                             "Connect the camera again, or choose another one, before recording."));
    EXPECT_EQ(env.dialogs.boxes[0].title, kAlert);
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
}

TEST_F(Reachability, AnyOtherWayOfHidingTheLastScreenBringsBackSetup) {
    setup().cmdGoTimer_Click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(env.timer().isVisible());
    takeBoxes();
    env.timer().hide();
    QCoreApplication::processEvents();
    EXPECT_TRUE(setup().isVisible());
    EXPECT_EQ(takeBoxes(), QStringList{QStringLiteral(
                               "No screen was left open, so the Setup screen is shown again.")});

    // Moving between screens hides one and shows the next: no message.
    setup().cmdGoCapture_Click();
    form().cmdGoToTimer_Click();
    env.timer().cmdGoToCapture_Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(setup().isVisible());
    EXPECT_TRUE(takeBoxes().isEmpty());
}
