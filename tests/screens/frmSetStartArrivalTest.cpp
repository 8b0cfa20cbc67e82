// Arrivals: after a recording (with the skier-name fix and the rename), from the log viewer,
// and from Setup.
#include "frmSetStartFixture.h"

#include <QLabel>
#include <QPushButton>

using namespace reviewtest;
using ports::Icon;

class Arrival : public ReviewScreen {
protected:
    // The Capture screen has recorded `name` and hands over.
    QString recorded(const QString& name, bool nameWasChanged) {
        const QString path = env.writeFile(video(name), "recorded run");
        screen().Text6->setPlainText(path);
        screens::PreviewForm& capture = env.capture();
        capture.txtSkierName->setText(name.left(name.indexOf("pass")));
        capture.Label4->setVisible(nameWasChanged);
        ports::Session& p = env.session();
        p.StartFrameHint = 212;
        p.CapturedFrameRate = 30;
        p.CapturedFrameCount = 1200;
        p.NavigationSource = "Capture";
        return path;
    }
    QStringList prompts() const {
        QStringList out;
        for (const auto& call : env.dialogs.inputCalls)
            out << call.prompt.left(20);
        return out;
    }
};

TEST_F(Arrival, AfterARecordingTheRunIsLoadedOnItsStartHint) {
    const QString path = recorded("Annpass1.avi", false);
    screens::frmSetStart& s = screen();
    s.Label5->setText("Start Position is now Locked");
    showAndArrive();
    EXPECT_EQ(player->fileName, path);
    EXPECT_EQ(player->position, 212);
    EXPECT_EQ(s.startFrame, 212);
    EXPECT_FALSE(s.startTaken);
    EXPECT_EQ(s.Label5->text(), "Select Start Position using direction buttons and/or slider");
    EXPECT_EQ(s.passFrames, 599);
    EXPECT_EQ(s.fileFrames, 1200);
    EXPECT_TRUE(s.cmdMarkStart->isEnabled());
    EXPECT_TRUE(s.Command5->isEnabled());
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    EXPECT_TRUE(env.dialogs.inputCalls.empty());
    EXPECT_TRUE(s.Label9->isHidden());

    // A later repaint loads nothing again.
    player->calls.clear();
    s.Form_Paint();
    EXPECT_TRUE(player->calls.isEmpty());
}

TEST_F(Arrival, BarefootPassAndNoHintLeaveTheStartAsItWas) {
    setBarefoot(true);
    recorded("Annpass1.avi", false);
    env.session().StartFrameHint = 0;
    screens::frmSetStart& s = screen();
    s.startFrame = 77;
    s.startTaken = true;
    showAndArrive();
    EXPECT_EQ(s.passFrames, 450);
    EXPECT_EQ(player->position, 0);
    EXPECT_EQ(s.startFrame, 77);
    EXPECT_TRUE(s.startTaken);
    EXPECT_FALSE(s.Label9->isHidden());
}

TEST_F(Arrival, RenameToANewName) {
    const QString old = recorded("AnnXpass1.avi", true);
    env.writeFile(video("Annpass1.avi"), "earlier run");
    env.dialogs.inputs = {"Ann B"};
    showAndArrive();
    ASSERT_EQ(env.dialogs.inputCalls.size(), 1u);
    const auto& ask = env.dialogs.inputCalls[0];
    EXPECT_EQ(ask.title, "Fix the skier's name");
    EXPECT_EQ(ask.preset, "AnnX");
    EXPECT_EQ(ask.prompt,
              "The skier's name was changed to prevent overwriting an existing file. You can "
              "change the skier's name here if you want. Just modify it in the input box to what "
              "it should be. ");
    const QString renamed = video("Ann Bpass1.avi");
    EXPECT_EQ(screen().Text6->toPlainText(), renamed);
    EXPECT_EQ(env.readFile(renamed), "recorded run");
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_EQ(env.readFile(video("Annpass1.avi")), "earlier run");
    EXPECT_EQ(env.capture().txtSkierName->text(), "Ann B");
    EXPECT_EQ(env.capture().txtPass->text(), "2");
    EXPECT_EQ(player->fileName, renamed);
}

TEST_F(Arrival, KeepingTheSuggestedNameRenamesNothing) {
    const QString old = recorded("AnnXpass1.avi", true);
    env.dialogs.inputs = {"AnnX"};
    showAndArrive();
    EXPECT_EQ(env.dialogs.inputCalls.size(), 1u);
    EXPECT_EQ(screen().Text6->toPlainText(), old);
    EXPECT_EQ(env.readFile(old), "recorded run");
    EXPECT_EQ(env.capture().txtPass->text(), "2");
}

TEST_F(Arrival, ANameWhosePassOneFileExistsIsAskedAgain) {
    recorded("AnnXpass1.avi", true);
    env.writeFile(video("Annpass1.avi"), "Ann's run");
    // Only the timing record of a deleted run is left: the name is taken all the same.
    env.writeFile(video("Bobpass1.avi.timing"), "Bob's stale record");
    env.dialogs.inputs = {"Ann", "Bob", "", "Cy"};
    showAndArrive();
    EXPECT_EQ(prompts(), QStringList({"The skier's name was", "I am sorry, there is",
                                      "I am sorry, there is", "You must input a nam"}));
    EXPECT_EQ(env.dialogs.inputCalls[1].prompt,
              "I am sorry, there is an existing file using that name and pass.  Please try again ");
    EXPECT_EQ(env.dialogs.inputCalls[1].preset, "AnnX");
    EXPECT_EQ(env.dialogs.inputCalls[3].prompt, "You must input a name. Please try again ");
    EXPECT_EQ(screen().Text6->toPlainText(), video("Cypass1.avi"));
    EXPECT_EQ(env.readFile(video("Cypass1.avi")), "recorded run");
    EXPECT_EQ(env.readFile(video("Annpass1.avi")), "Ann's run");
    EXPECT_EQ(env.readFile(video("Bobpass1.avi.timing")), "Bob's stale record");
    EXPECT_FALSE(QFile::exists(video("Bobpass1.avi")));
}

TEST_F(Arrival, CancellingTwiceUsesTheEmptyName) {
    recorded("AnnXpass1.avi", true);
    env.dialogs.inputs = {"", ""};
    showAndArrive();
    ASSERT_EQ(env.dialogs.inputCalls.size(), 2u);
    EXPECT_EQ(env.dialogs.inputCalls[1].prompt, "You must input a name. Please try again ");
    EXPECT_EQ(env.dialogs.inputCalls[1].title, "Fix the skier's name");
    EXPECT_EQ(screen().Text6->toPlainText(), video("pass1.avi"));
    EXPECT_EQ(env.readFile(video("pass1.avi")), "recorded run");
}

TEST_F(Arrival, ATypedNameKeepsToTheSkierBoxRuleAndIsAskedAgain) {
    recorded("AnnXpass1.avi", true);
    env.dialogs.inputs = {"../Ann:B", "Ann B"};
    showAndArrive();
    // The first problem is named once, then the question comes again with the mended name
    // offered; nothing is renamed until a good name is given.
    EXPECT_EQ(env.dialogs.texts(),
              QStringList({"Sorry, you cannot use the \"/\" character in this box"}));
    ASSERT_EQ(env.dialogs.inputCalls.size(), 2u);
    EXPECT_EQ(env.dialogs.inputCalls[1].preset, " Ann B");
    EXPECT_EQ(env.dialogs.inputCalls[1].title, "Fix the skier's name");
    EXPECT_EQ(screen().Text6->toPlainText(), video("Ann Bpass1.avi"));
    EXPECT_EQ(env.readFile(video("Ann Bpass1.avi")), "recorded run");
}

TEST_F(Arrival, AFailedRenameKeepsTheRunUnderItsOldPath) {
    // The recorded file is not where the Capture screen said: the rename cannot happen.
    const QString old = recorded("AnnXpass1.avi", true);
    QFile::remove(old);
    env.dialogs.inputs = {"Ann B"};
    env.capture().txtPass->setText("1");
    showAndArrive();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The run could not be renamed to " +
                                                     video("Ann Bpass1.avi")));
    EXPECT_TRUE(env.dialogs.boxes[0].text.endsWith(old));
    EXPECT_EQ(screen().Text6->toPlainText(), old);
    EXPECT_FALSE(QFile::exists(video("Ann Bpass1.avi")));
    EXPECT_EQ(env.capture().txtSkierName->text(), "AnnX");
    EXPECT_EQ(env.capture().txtPass->text(), "1");
}

TEST_F(Arrival, FromTheLogViewerTheChosenRunIsLoaded) {
    const QString path = video("Annpass1.avi");
    ASSERT_TRUE(makeAvi(path, 60, 25));
    env.writeFile(path + ".info", (path + ", 40\r\n").toLocal8Bit());
    screens::frmSetStart& s = screen();
    s.startLocked = 1;
    s.Command1->setEnabled(false);
    env.session().FileToView = path;
    env.session().NavigationSource = "View";
    showAndArrive();
    EXPECT_EQ(s.Text6->toPlainText(), path);
    EXPECT_EQ(player->fileName, path);
    EXPECT_TRUE(player->calls.contains("stop"));
    EXPECT_EQ(env.dialogs.texts(), QStringList{"File already measured - start frame is  40"});
    EXPECT_EQ(s.framesPerSecond, 25);
    EXPECT_EQ(s.fileFrames, 60);
    EXPECT_EQ(s.startLocked, 0);
    EXPECT_TRUE(s.Command1->isEnabled());
    EXPECT_TRUE(s.cmdMarkStart->isEnabled());
    EXPECT_FALSE(s.cmdMarkStart->isHidden());
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
}

TEST_F(Arrival, FromSetupThePathBoxIsEmptied) {
    screens::frmSetStart& s = screen();
    s.Text6->setPlainText(video("Annpass1.avi"));
    env.session().NavigationSource = "Setup";
    showAndArrive();
    EXPECT_TRUE(s.Text6->toPlainText().isEmpty());
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    s.hide();
    s.Text6->setPlainText(video("Annpass1.avi"));
    env.session().NavigationSource = "CaptureGoToTimer";
    showAndArrive();
    EXPECT_TRUE(s.Text6->toPlainText().isEmpty());
}
