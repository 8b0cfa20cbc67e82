// The Capture screen's naming: default skier name, the change rule with its "Input Error" box,
// the arrival check with its pass advance and warnings, and the "X" rule at Start Recording.
#include "PreviewFormTestFixture.h"

#include "core/run/RunNaming.h"

#include <QFile>

using ports::Icon;

namespace {
// The skier-name box after a program start with this SkierNames.txt (none when null).
QString startWithSkierList(const char* list, QStringList* boxes = nullptr) {
    testsupport::TestEnv env;
    if (list)
        env.writeFile(env.appDir() + QStringLiteral("/SkierNames.txt"), QByteArray(list));
    env.storeVideoDir();
    env.screens.start();
    if (boxes)
        *boxes = env.dialogs.texts();
    EXPECT_EQ(env.session().PaintBusy, 0);
    return env.capture().txtSkierName->text();
}
} // namespace

TEST(CaptureScreenLoad, DefaultNameIsTheFirstListLine) {
    EXPECT_EQ(startWithSkierList("Lee,Ann\r\nSmith, Bob\r\n"), QStringLiteral("Lee Ann"));
    EXPECT_EQ(startWithSkierList(nullptr), QStringLiteral("Skier Name"));
    // An empty first line leaves the design text.
    EXPECT_EQ(startWithSkierList("\r\nSmith\r\n"), QStringLiteral("SkierName"));
    // A first line holding a folder separator is refused like a typed one.
    QStringList boxes;
    EXPECT_EQ(startWithSkierList("a/b\n", &boxes), QStringLiteral("a b"));
    EXPECT_TRUE(
        boxes.contains(QStringLiteral("Sorry, you cannot use the \"/\" character in this box")));
}

TEST_F(CaptureScreenTest, CommaAndPathCharactersAreRefusedWithTheirOwnBox) {
    form().txtPass->setText(QStringLiteral("4"));
    form().txtSkierName->setText(QStringLiteral("Lee,Ann"));
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("Lee Ann"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1"));
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("Sorry, you cannot use the \",\" character in this box"));
    EXPECT_EQ(env.dialogs.boxes[0].title, QStringLiteral("Input Error"));
    EXPECT_EQ(env.dialogs.boxes[0].buttons, ports::Buttons::Ok);
    takeBoxes();

    // A name that would climb out of the video folder: one box naming the first problem, and
    // every problem mended (the leading dots too).
    form().txtSkierName->setText(QStringLiteral("../..\\x:y"));
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral(" .. x y"));
    EXPECT_EQ(
        takeBoxes(),
        (QStringList{QStringLiteral("Sorry, you cannot use the \"/\" character in this box")}));
    for (const char* hidden : {".", "..", ".Ann"}) {
        form().txtSkierName->setText(QString::fromLatin1(hidden));
        EXPECT_FALSE(form().txtSkierName->text().startsWith(QLatin1Char('.'))) << hidden;
        EXPECT_EQ(takeBoxes().size(), 1) << hidden;
    }

    form().txtPass->setText(QStringLiteral("2/"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("2 "));
    EXPECT_EQ(takeBoxes().size(), 1);
}

TEST_F(CaptureScreenTest, ComposedNameDropsOneTrailingSeparator) {
    env.session().VideoDirectory = env.videoDir() + QStringLiteral("/");
    form().txtSkierName->setText(QStringLiteral("Ann Lee"));
    form().txtPass->setText(QStringLiteral(" 2"));
    form().ComposeCaptureFileName();
    EXPECT_EQ(env.session().VideoDirectory, env.videoDir());
    EXPECT_EQ(form().CaptureFileName, video(QStringLiteral("Ann Leepass2.avi")));
}

TEST_F(CaptureScreenTest, ArrivalAdvancesPastExistingPassesWithBothWarnings) {
    touchVideo(QStringLiteral("Annpass1.avi"));
    touchVideo(QStringLiteral("Annpass2.avi"));
    form().txtSkierName->setText(QStringLiteral("Ann"));
    form().Label4->show();
    // "Proceed to Record Runs" on the Setup screen; the check runs once its handler is over.
    setup().cmdGoCapture_Click();
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1"));
    QCoreApplication::processEvents();

    EXPECT_EQ(form().txtPass->text(), QStringLiteral(" 3"));
    EXPECT_EQ(form().CaptureFileName, video(QStringLiteral("Annpass3.avi")));
    EXPECT_EQ(form().NameChanged, 1);
    EXPECT_FALSE(form().Label4->isVisibleTo(&form()));
    ASSERT_EQ(env.dialogs.boxes.size(), 2u);
    EXPECT_EQ(env.dialogs.boxes[0].text, run::kDuplicatePassText);
    EXPECT_EQ(env.dialogs.boxes[0].title, QStringLiteral("Duplicate File Warning"));
    EXPECT_EQ(env.dialogs.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(env.dialogs.boxes[1].text, run::kHighPassText);
    EXPECT_EQ(env.dialogs.boxes[1].title, QStringLiteral("Possible Name Change Warning"));
    EXPECT_EQ(env.dialogs.boxes[1].icon, Icon::Exclamation);
    EXPECT_TRUE(env.session().NavigationSource.isEmpty());
    EXPECT_EQ(env.session().PaintBusy, 0);
    takeBoxes();

    // A later repaint without a hand-over changes nothing and shows nothing.
    touchVideo(QStringLiteral("Annpass3.avi"));
    form().update();
    QCoreApplication::processEvents();
    form().Form_Paint();
    EXPECT_EQ(form().txtPass->text(), QStringLiteral(" 3"));
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(CaptureScreenTest, ArrivalWithHighPassAndNoFileWarnsOnlyOnce) {
    form().txtSkierName->setText(QStringLiteral("Ann"));
    form().txtPass->setText(QStringLiteral("3"));
    arriveFrom(QStringLiteral("Timer"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("3"));
    EXPECT_EQ(takeBoxes(), QStringList{run::kHighPassText});
}

TEST_F(CaptureScreenTest, ArrivalResetsTheCountdownsOnlyWhenHandedOver) {
    form().captime->setText(QStringLiteral(" 7"));
    form().runTime->setText(QStringLiteral(" 0"));
    arriveFrom(QStringLiteral("CaptureGoToTimer"));
    EXPECT_EQ(form().captime->text(), QStringLiteral(" 7"));
    EXPECT_EQ(env.session().NavigationSource, QStringLiteral("CaptureGoToTimer"));

    setup().cb15->setChecked(true);
    env.session().NavigationSource = QStringLiteral("Timer");
    form().Form_Paint();
    EXPECT_EQ(form().captime->text(), QStringLiteral("40"));
    EXPECT_EQ(form().runTime->text(), QStringLiteral("15"));
}

TEST_F(CaptureScreenTest, PaintGuardSkipsAnArrivalCheckAlreadyRunning) {
    touchVideo(QStringLiteral("Annpass1.avi"));
    form().txtSkierName->setText(QStringLiteral("Ann"));
    env.session().PaintBusy = 1;
    env.session().NavigationSource = QStringLiteral("Setup");
    form().Form_Paint();
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1"));
    EXPECT_EQ(env.session().NavigationSource, QStringLiteral("Setup"));
}

TEST_F(CaptureScreenTest, StartRecordingOverAnExistingFileAppendsX) {
    touchVideo(QStringLiteral("Annpass3.avi"));
    touchVideo(QStringLiteral("AnnXpass1.avi"));
    form().txtSkierName->setText(QStringLiteral("Ann"));
    form().txtPass->setText(QStringLiteral("3"));
    form().cmdStartCapture_Click();

    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("AnnXX"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1"));
    EXPECT_EQ(form().CaptureFileName, video(QStringLiteral("AnnXXpass1.avi")));
    EXPECT_EQ(env.control.streamFileName, video(QStringLiteral("AnnXXpass1.avi")));
    EXPECT_EQ(form().NameChanged, 1);
    EXPECT_TRUE(form().Label4->isVisibleTo(&form()));
    EXPECT_EQ(form().Label4->text(),
              QStringLiteral("WARNING! Skier Name has been changed to AnnXX to prevent duplicate "
                             "files"));
    EXPECT_TRUE(takeBoxes().isEmpty()); // the recording starts at once
    // The earlier runs are untouched.
    EXPECT_EQ(env.readFile(video(QStringLiteral("Annpass3.avi"))), QByteArray("earlier run"));
    EXPECT_EQ(env.control.startCount, 1);
}

TEST_F(CaptureScreenTest, SelectWithoutListFileOnlyTellsSo) {
    form().cmdSelect_Click();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("No file of skier names called SkierNames.txt exists in the "
                             "application directory"));
    EXPECT_EQ(env.dialogs.boxes[0].title, ports::kAppTitle);
    EXPECT_EQ(env.screens.skierList(), nullptr);
}
