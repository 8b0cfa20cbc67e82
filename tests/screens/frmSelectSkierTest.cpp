// The skier list window: read afresh at each opening, owned by the Capture screen without
// blocking it, a double-click writes the name, "No Selection" leaves everything as it was.
#include "PreviewFormTestFixture.h"

#include "ui/screens/frmSelectSkier.h"

#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>

class SkierListTest : public CaptureScreenTest {
protected:
    screens::frmSelectSkier* open() {
        form().cmdSelect_Click();
        return env.screens.skierList();
    }
    QStringList listed(screens::frmSelectSkier* w) {
        QStringList out;
        for (int i = 0; i < w->lstSkiers->count(); ++i)
            out << w->lstSkiers->item(i)->text();
        return out;
    }
    // Lets a closed window go away (it deletes itself later).
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST_F(SkierListTest, ListsTheFileWithCommasAsSpacesAndBlanksKept) {
    writeSkierNames("Lee,Ann\r\n\r\nSmith, Bob\r\n  Pat  \nA,B,C\n");
    screens::frmSelectSkier* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Select A Skier"));
    EXPECT_EQ(listed(w), (QStringList{QStringLiteral("Lee Ann"), QStringLiteral("Smith  Bob"),
                                      QStringLiteral("  Pat  "), QStringLiteral("A B C")}));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("Double Click on Skier Name to select it"));
    EXPECT_EQ(w->cmdNoSelect->text(), QStringLiteral("No Selection"));
    // Owned by the Capture screen as a window of its own, not blocking it.
    EXPECT_EQ(w->parentWidget(), &form());
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->windowModality(), Qt::NonModal);
    EXPECT_TRUE(w->isVisible());
    const QPoint origin = QGuiApplication::primaryScreen()->geometry().topLeft();
    EXPECT_EQ(w->pos(), origin + QPoint(2280 / 15, 120 / 15));
    // A second press brings the same window forward.
    EXPECT_EQ(open(), w);
}

TEST_F(SkierListTest, DoubleClickWritesTheNameAndCloses) {
    writeSkierNames("Lee,Ann\r\nSmith, Bob\r\n");
    form().txtPass->setText(QStringLiteral("3"));
    QPointer<screens::frmSelectSkier> w = open();
    w->lstSkiers->setCurrentRow(1);
    w->lstSkiers_DblClick();
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("Smith  Bob"));
    EXPECT_EQ(form().txtPass->text(), QStringLiteral("1"));
    settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(env.screens.skierList(), nullptr);
}

TEST_F(SkierListTest, DoubleClickWithNothingSelectedDoesNothing) {
    writeSkierNames("Lee,Ann\r\n");
    form().txtSkierName->setText(QStringLiteral("Kim"));
    QPointer<screens::frmSelectSkier> w = open();
    w->lstSkiers->clearSelection();
    w->lstSkiers->setCurrentRow(-1);
    w->lstSkiers_DblClick();
    settle();
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("Kim"));
}

TEST_F(SkierListTest, NoSelectionClosesAndTheNextOpeningReadsAfresh) {
    writeSkierNames("Lee,Ann\r\n");
    form().txtSkierName->setText(QStringLiteral("Kim"));
    QPointer<screens::frmSelectSkier> w = open();
    w->cmdNoSelect->click();
    settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("Kim"));

    writeSkierNames("Ng\r\nOrr\r\n");
    // A double-click in the name box opens the list as "Select" does.
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form().txtSkierName, &dbl);
    ASSERT_NE(env.screens.skierList(), nullptr);
    EXPECT_EQ(listed(env.screens.skierList()),
              (QStringList{QStringLiteral("Ng"), QStringLiteral("Orr")}));
}

TEST_F(SkierListTest, ChosenNameStillFollowsTheNameRules) {
    writeSkierNames("AC/DC\r\n");
    screens::frmSelectSkier* w = open();
    w->lstSkiers->setCurrentRow(0);
    w->lstSkiers_DblClick();
    EXPECT_EQ(form().txtSkierName->text(), QStringLiteral("AC DC"));
    EXPECT_EQ(takeBoxes(),
              QStringList{QStringLiteral("Sorry, you cannot use the \"/\" character in this box")});
}

TEST_F(SkierListTest, UnreadableListGivesAMessageAndAnEmptyList) {
    // The file vanished (here: a folder took its name) between the check and the opening.
    QDir(env.appDir()).mkdir(QStringLiteral("SkierNames.txt"));
    screens::frmSelectSkier w(form(), env.services,
                              [this](const QString& name) { form().setSkierName(name); });
    EXPECT_EQ(w.lstSkiers->count(), 0);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.dialogs.boxes[0].text,
              QStringLiteral("The skier list SkierNames.txt could not be read from the application "
                             "directory, so the list is empty"));
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
}
