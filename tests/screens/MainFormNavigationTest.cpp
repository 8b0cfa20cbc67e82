// Leaving the Setup screen: the two navigation buttons, NavigationSource, the menu and ending.
#include "MainFormFixture.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/frmManual.h"
#include "ui/screens/review/frmSetStart.h"

#include "core/media/RunFacts.h"
#include "core/run/DayExport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class SetupNavigation : public setuptest::StartedSetup {
protected:
    screens::MainForm& setup() { return env.setup(); }
};

TEST_F(SetupNavigation, ProceedToRecordShowsCaptureWithLivePictureAndHidesSetup) {
    setup().cmdGoCapture->click();
    EXPECT_TRUE(env.capture().isVisible());
    EXPECT_FALSE(setup().isVisible());
    EXPECT_EQ(env.session().NavigationSource, "Setup");
    EXPECT_TRUE(env.control.preview);
    EXPECT_TRUE(env.dialogs.boxes.empty());
}

TEST_F(SetupNavigation, ViewRecordedRunsShowsTheReviewScreen) {
    EXPECT_FALSE(env.screens.timerExists());
    setup().cmdGoTimer_Click();
    ASSERT_TRUE(env.screens.timerExists());
    EXPECT_TRUE(env.timer().isVisible());
    EXPECT_FALSE(setup().isVisible());
    EXPECT_EQ(env.session().NavigationSource, "Setup");
    EXPECT_TRUE(env.control.calls.contains("setPreview(true)"));
}

TEST_F(SetupNavigation, MissingFolderGivesPathErrorAndStays) {
    ASSERT_TRUE(QDir(env.videoDir()).removeRecursively());
    for (auto handler :
         {&screens::MainForm::cmdGoCapture_Click, &screens::MainForm::cmdGoTimer_Click}) {
        env.dialogs.clear();
        env.session().NavigationSource.clear();
        (setup().*handler)();
        ASSERT_EQ(env.dialogs.boxes.size(), 1u);
        const auto& box = env.dialogs.boxes[0];
        EXPECT_EQ(box.text, "The Log File Folder you specified does not exist. Please change it "
                            "to a Folder that does exist.");
        EXPECT_EQ(box.title, "Path Error");
        EXPECT_EQ(box.icon, ports::Icon::Exclamation);
        EXPECT_EQ(box.buttons, ports::Buttons::Ok);
        EXPECT_TRUE(setup().isVisible());
        EXPECT_FALSE(env.capture().isVisible());
        EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    }
    EXPECT_FALSE(env.screens.timerExists());
    EXPECT_TRUE(env.control.calls.isEmpty());
}

TEST_F(SetupNavigation, RepaintEmptiesNavigationSource) {
    setup().cmdGoCapture_Click();
    EXPECT_EQ(env.session().NavigationSource, "Setup");
    // Back from the Capture screen: Setup shown, its first repaint empties the marker.
    env.capture().hide();
    env.session().NavigationSource = "Capture";
    setup().show();
    QApplication::processEvents();
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());

    env.session().NavigationSource = "Timer";
    setup().repaint();
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
}

TEST_F(SetupNavigation, CapturedScreenKeepsItsStateWhileHidden) {
    setup().cmdGoCapture_Click();
    screens::PreviewForm* first = &env.capture();
    first->txtSkierName->setText("Ann Lee");
    first->hide();
    setup().show();
    setup().cmdGoCapture_Click();
    EXPECT_EQ(&env.capture(), first);
    EXPECT_EQ(env.capture().txtSkierName->text(), "Ann Lee");
}

TEST_F(SetupNavigation, MenuHasFourItemsThatDoTheirJob) {
    const auto actions = setup().menuBar->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->objectName(), "mnuViewLog");
    EXPECT_EQ(actions[0]->text(), "&View Log");
    EXPECT_EQ(actions[1]->objectName(), "mnuExportDay");
    EXPECT_EQ(actions[1]->text(), "Export &Day…");
    EXPECT_EQ(actions[2]->objectName(), "munManual");
    EXPECT_EQ(actions[2]->text(), "View &Manual");
    EXPECT_EQ(actions[3]->objectName(), "mnuExit");
    EXPECT_EQ(actions[3]->text(), "E&xit");

    // The day's log, as the log viewer would export it.
    env.session().VideoDirectory = env.videoDir();
    env.session().LogFileName = "SkivaneLog011805.txt";
    const QByteArray log = "01-18-200520:31:07Skier: AnnPass: 2Start:  212End:  811File: x.avi\r\n";
    env.writeFile(env.videoDir() + "/SkivaneLog011805.txt", log);
    env.dialogs.saveFiles.push_back(env.videoDir() + "/day.csv");
    setup().mnuExportDay->trigger();
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"The day's runs were exported to " + env.videoDir() + "/day.csv"});
    EXPECT_EQ(env.readFile(env.videoDir() + "/day.csv"), run::dayCsv(log, media::readRunFacts));

    setup().munManual->trigger();
    EXPECT_TRUE(env.screens.manual().isVisible());
    EXPECT_FALSE(setup().isVisible());

    EXPECT_EQ(env.endProgramCalls, 0);
    setup().mnuExit->trigger();
    EXPECT_EQ(env.endProgramCalls, 1);
}

TEST_F(SetupNavigation, ViewLogOpensTheViewerOverSetup) {
    setup().mnuViewLog->trigger();
    ASSERT_NE(env.screens.logView(), nullptr);
    EXPECT_TRUE(setup().isVisible());
}

TEST_F(SetupNavigation, ClosingSetupEndsTheProgramEvenWithOtherScreensLoaded) {
    env.timer(); // loaded, hidden
    EXPECT_TRUE(setup().close());
    EXPECT_EQ(env.endProgramCalls, 1);
}

} // namespace
