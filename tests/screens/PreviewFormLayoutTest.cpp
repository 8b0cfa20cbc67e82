// The Capture screen as designed: captions, places (twips), fonts, initial states, tab order,
// the menu entry and the live picture.
#include "PreviewFormTestFixture.h"

#include "app/Twips.h"

#include <QAction>
#include <QMenuBar>

TEST_F(CaptureScreenTest, ControlsSitWhereDesignedWithTheirCaptions) {
    PreviewForm& f = form();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Skivane 2004 Capture Screen"));
    EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(f.mnuStart->text(), QStringLiteral("&Start Recording"));
    EXPECT_TRUE(f.menuBar->actions().contains(f.mnuStart));

    struct Expected {
        QWidget* widget;
        const char* name;
        QRect place;
    };
    const Expected table[] = {
        {f.Label1, "Label1", app::twips(120, 240, 1935, 255)},
        {f.cmdSelect, "cmdSelect", app::twips(1200, 120, 855, 255)},
        {f.txtSkierName, "txtSkierName", app::twips(120, 480, 1935, 285)},
        {f.txtPass, "txtPass", app::twips(600, 840, 375, 285)},
        {f.Label4, "Label4", app::twips(120, 1200, 1935, 855)},
        {f.cmdStartCapture, "cmdStartCapture", app::twips(120, 2040, 1815, 495)},
        {f.cmdStartTimer, "cmdStartTimer", app::twips(120, 2640, 1815, 375)},
        {f.captime, "captime", app::twips(1560, 3480, 495, 375)},
        {f.runTime, "runTime", app::twips(1320, 3960, 735, 615)},
        {f.LblFrmDrop, "LblFrmDrop", app::twips(1440, 4920, 735, 255)},
        {f.cmdGoToTimer, "cmdGoToTimer", app::twips(120, 6120, 1815, 615)},
        {f.Grabora1, "Grabora1", app::twips(2280, 120, 2415, 1815)},
        {f.lblStartFrame, "lblStartFrame", app::twips(4320, 4200, 615, 255)},
    };
    for (const Expected& e : table) {
        ASSERT_NE(e.widget, nullptr) << e.name;
        EXPECT_EQ(e.widget->geometry(), e.place) << e.name;
        if (e.widget != f.Grabora1) {
            EXPECT_EQ(e.widget->objectName(), QString::fromLatin1(e.name));
        }
        EXPECT_TRUE(f.isAncestorOf(e.widget)) << e.name;
    }
    EXPECT_EQ(f.findChild<QLabel*>(QStringLiteral("Label3"))->text(),
              QStringLiteral("Hit ESC to stop recording"));
    EXPECT_EQ(f.cmdGoSetup->text(), QStringLiteral("Go Back To Setup Screen"));
    EXPECT_EQ(f.cmdGoToTimer->text(), QStringLiteral("View Already Recorded Runs"));
    EXPECT_EQ(f.captime->font().pointSizeF(), 13.5);
    EXPECT_TRUE(f.captime->font().bold());
    EXPECT_EQ(f.runTime->font().pointSizeF(), 24.0);
    EXPECT_TRUE(f.runTime->font().bold());
}

TEST_F(CaptureScreenTest, InitialStateAndTabOrder) {
    PreviewForm& f = form();
    EXPECT_TRUE(f.cmdStartCapture->isEnabled());
    EXPECT_FALSE(f.cmdStartTimer->isEnabled());
    EXPECT_FALSE(f.cmdEndCapture->isEnabled());
    EXPECT_FALSE(f.cmdEndCapture->isVisibleTo(&f));
    EXPECT_FALSE(f.lblStartFrame->isVisibleTo(&f));
    EXPECT_FALSE(f.Label4->isVisibleTo(&f));
    EXPECT_EQ(f.lblStartFrame->text(), QStringLiteral("0"));
    EXPECT_FALSE(f.Timer40->isActive());
    EXPECT_FALSE(f.passTimer->isActive());
    EXPECT_EQ(f.captime->text(), QStringLiteral("40"));
    EXPECT_EQ(f.runTime->text(), QStringLiteral("20"));

    const QList<QWidget*> order{f.cmdStartCapture, f.cmdStartTimer, f.cmdEndCapture,
                                f.cmdGoSetup,      f.cmdGoToTimer,  f.txtPass,
                                f.cmdSelect,       f.txtSkierName};
    // The next control the Tab key can reach, whether or not it is enabled or shown now.
    auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (int i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextTabStop(order[i]), order[i + 1]) << i;
}

TEST_F(CaptureScreenTest, DestroyingTheScreenDisconnectsTheControl) {
    {
        Screens own(env.services);
        own.capture();
        env.control.clearRecord();
    }
    EXPECT_TRUE(env.control.calls.contains(QStringLiteral("Disconnect()")));
}
