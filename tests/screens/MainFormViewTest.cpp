// The Setup screen's own controls: layout, configuration label, show/hide of the configuration,
// barefoot, pause time and changing the video folder.
#include "MainFormFixture.h"
#include "core/app/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

using testsupport::TestEnv;

class SetupView : public setuptest::StartedSetup {};

TEST_F(SetupView, ControlsCarryTheirNamesCaptionsAndPlaces) {
    struct Row {
        const char* name;
        QString caption;
        QRect place;
    };
    const Row rows[] = {
        {"Frame1", "Skivane Configuration", app::twips(120, 0, 3255, 6015)},
        {"cmdGoCapture", "Proceed to Record Runs", app::twips(120, 480, 1815, 495)},
        {"cmdGoTimer", "View Already Recorded Runs", app::twips(120, 1080, 1815, 495)},
        {"Label2", "Save Video Files in this Directory", app::twips(120, 2040, 2655, 255)},
        {"btnChangeDirectory", "Change Video File Directory", app::twips(120, 3240, 2295, 255)},
        {"cmdImport", "Import Skier Names File", app::twips(120, 3600, 2295, 255)},
        {"cb15", "Enable Barefoot Timing (15 sec)", app::twips(240, 4200, 2655, 255)},
        {"cmdShowConfig", "Show Configuration", app::twips(240, 4920, 1815, 495)},
        {"Label12", "Select Video Pause Time", app::twips(720, 7320, 975, 495)},
        {"Frame3", "Commands", app::twips(120, 0, 5895, 1935)},
        {"StrmOptions", "Options", app::twips(120, 3120, 5895, 3615)},
        {"FrmOptions", "Options", app::twips(120, 3120, 5895, 3615)},
    };
    for (const Row& r : rows) {
        auto* w = s().findChild<QWidget*>(r.name);
        ASSERT_NE(w, nullptr) << r.name;
        EXPECT_EQ(w->geometry(), r.place) << r.name;
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            caption = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            caption = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            caption = g->title();
        EXPECT_EQ(caption, r.caption) << r.name;
    }
    EXPECT_EQ(s().windowTitle(), "Skivane 2004 Setup");
    EXPECT_EQ(s().client->size(), app::twips(0, 0, 9555, 8535).size());
    EXPECT_TRUE(s().lblConfig->font().bold());
    EXPECT_EQ(s().List1->count(), 6);
    EXPECT_EQ(s().List1->item(5)->text(), "3.0");
    EXPECT_FALSE(s().txtVideoDir->isVisibleTo(&s()));
    EXPECT_FALSE(s().RichTextBox1->isVisibleTo(&s()));
    EXPECT_FALSE(s().Frame4->isVisibleTo(&s()));
    EXPECT_FALSE(s().CmdConnect->isVisibleTo(&s()));
    EXPECT_FALSE(s().EdtLimit->isVisibleTo(&s()));
}

TEST_F(SetupView, ConfigurationLabelFollowsTheFrameRate) {
    const std::pair<const char*, const char*> cases[] = {
        {"10", "Currently Configured for Normal/C"},   {"15", "Currently Configured for L"},
        {"30", "Currently Configured for R"},          {"3", "Currently Configured for R"},
        {"12.5", "Currently Configured for Normal/C"}, {"3", "Currently Configured for Normal/C"},
        {"24.9fps", "Currently Configured for L"},     {"abc", "Currently Configured for L"},
    };
    for (const auto& [rate, caption] : cases) {
        s().EdtRate->setText(rate);
        EXPECT_EQ(s().lblConfig->text(), caption) << rate;
    }
}

TEST(SetupViewStart, FrameRateBelowFiveKeepsTheDesignCaption) {
    TestEnv env;
    env.storeVideoDir();
    env.control.frameRate = 3;
    env.screens.start();
    EXPECT_EQ(env.setup().lblConfig->text(), "Currently Configured for R");
}

TEST_F(SetupView, ShowAndHideConfigurationToggleTheView) {
    s().cmdShowConfig->click();
    EXPECT_EQ(s().cmdShowConfig->text(), "Hide Configuration");
    EXPECT_EQ(s().Frame1->x(), app::twipsToPixels(6120));
    for (QWidget* w : {static_cast<QWidget*>(s().Frame3), static_cast<QWidget*>(s().StrmOptions),
                       static_cast<QWidget*>(s().List1), static_cast<QWidget*>(s().Label12),
                       static_cast<QWidget*>(s().LblStatus)})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    const QSize size = s().size();

    s().cmdShowConfig->click();
    EXPECT_EQ(s().cmdShowConfig->text(), "Show Configuration");
    EXPECT_EQ(s().Frame1->x(), app::twipsToPixels(120));
    for (QWidget* w : {static_cast<QWidget*>(s().Frame3), static_cast<QWidget*>(s().StrmOptions),
                       static_cast<QWidget*>(s().List1), static_cast<QWidget*>(s().Label12),
                       static_cast<QWidget*>(s().LblStatus)})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(s().FrmOptions->isVisible());
    EXPECT_EQ(s().size(), size);
}

TEST_F(SetupView, BarefootAndPauseTimeAreStoredAsTheyChange) {
    s().cb15->click();
    EXPECT_EQ(env.storedValue("barefoot"), "1");
    s().cb15->click();
    EXPECT_EQ(env.storedValue("barefoot"), "0");
    s().List1->setCurrentRow(4);
    EXPECT_EQ(env.storedValue("pauseTime"), "2.5");
}

TEST_F(SetupView, ChangeDirectoryAcceptsOnlyAnExistingFolder) {
    const QString other = env.root() + "/other";
    ASSERT_TRUE(QDir().mkpath(other));
    env.dialogs.inputs = {env.root() + "/missing", other + "/"};
    s().btnChangeDirectory->click();
    ASSERT_EQ(env.dialogs.inputCalls.size(), 2u);
    EXPECT_EQ(env.dialogs.inputCalls[0].prompt,
              "Please put in the path of the Save Video Directory here.");
    EXPECT_EQ(env.dialogs.inputCalls[0].title, "Input Save Video Files Path");
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text, "The folder you entered does not exist");
    EXPECT_EQ(env.dialogs.boxes[0].title, "Skivane Alert");
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
    EXPECT_EQ(s().lblVideodir->text(), other + "/");
    EXPECT_EQ(env.session().VideoDirectory, other);
    EXPECT_EQ(env.storedValue("logpath"), other);
    // The session log keeps its name and gets no new session line.
    EXPECT_EQ(env.session().LogFileName, "SkivaneLog011805.txt");
    EXPECT_FALSE(QFile::exists(other + "/SkivaneLog011805.txt"));
}

TEST_F(SetupView, CancelledChangeDirectoryChangesNothing) {
    s().btnChangeDirectory_Click();
    EXPECT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes.empty());
    EXPECT_EQ(env.session().VideoDirectory, env.videoDir());
    EXPECT_EQ(s().lblVideodir->text(), env.videoDir());
}

} // namespace
