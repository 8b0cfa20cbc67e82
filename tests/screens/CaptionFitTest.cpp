// Every caption and read-out of the screens shows whole in the control the design gives it, in
// the font the program picks on this machine (the design face or one of its width), and no
// sibling control covers part of it. CTest runs this group a second time at a scale factor of
// 1.5 (QT_SCALE_FACTOR).
#include "PreviewFormTestFixture.h"

#include "core/app/DesignFont.h"
#include "core/app/Twips.h"
#include "ui/screens/LogView.h"
#include "ui/screens/frmManual.h"
#include "ui/screens/frmSelectSkier.h"
#include "ui/widgets/FitCaption.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QGroupBox>
#include <QTextEdit>

namespace {

QString textOf(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return {};
}

// The visible captions of `window` that do not show whole, with their text and size.
QStringList cutCaptions(QWidget& window) {
    QStringList cut;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || textOf(w).isEmpty())
            continue;
        if (!widgets::captionFits(*w))
            cut << QStringLiteral("%1 \"%2\" %3x%4 at %5 pt")
                       .arg(w->objectName(), textOf(w))
                       .arg(w->width())
                       .arg(w->height())
                       .arg(w->font().pointSizeF());
    }
    return cut;
}

} // namespace

class CaptionFit : public CaptureScreenTest {};

TEST_F(CaptionFit, EveryVisibleCaptionOfEveryScreenShowsWhole) {
    // The design face is missing here; a face of its width is picked, not the matcher's choice.
    const QFontInfo picked(app::designFont());
    EXPECT_NE(picked.family(), QStringLiteral("DejaVu Sans"));

    setup().show();
    QCoreApplication::processEvents();
    EXPECT_EQ(cutCaptions(setup()), QStringList()) << "Setup, configuration hidden";
    setup().cmdShowConfig_Click();
    EXPECT_EQ(cutCaptions(setup()), QStringList()) << "Setup, configuration shown";
    for (const char* rate : {"10", "15", "30"}) {
        setup().EdtRate->setText(QString::fromLatin1(rate));
        EXPECT_EQ(cutCaptions(setup()), QStringList()) << "frame rate " << rate;
    }

    form().show();
    QCoreApplication::processEvents();
    EXPECT_EQ(cutCaptions(form()), QStringList()) << "Capture";

    screens::frmSetStart& timer = env.timer();
    timer.show();
    QCoreApplication::processEvents();
    timer.Label9->show();  // "Barefoot Mode"
    timer.Label11->show(); // "Warning! Disk Space Low"
    EXPECT_EQ(cutCaptions(timer), QStringList()) << "Timer & Review";
    // A marked cut-off run: the end controls in place of the marking button, the pass window
    // line, the clip button and the cut-off notice with its button.
    timer.cmdMarkStart->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{
             timer.Command7, timer.cmdPlayAndPause, timer.Text7, timer.Label2, timer.lblPassWindow,
             timer.cmdSavePassClip, timer.lblFileNotice, timer.cmdRepairCopy})
        w->show();
    timer.lblPassWindow->setText("Pass window: 3 repeated frames at 412–414; real length 20.03 s");
    timer.hide();
    timer.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(cutCaptions(timer), QStringList()) << "Timer & Review, marked";
    // The path box stands over the foot of "Browse for File to View ->", as designed.
    EXPECT_EQ(timer.Label3->geometry(), app::twips(6360, 240, 2775, 375));
    EXPECT_TRUE(timer.Label3->geometry().intersects(timer.Text6->geometry()));
    // Its caption is drawn in the part above the box, still legible.
    EXPECT_EQ(timer.Label3->contentsRect(), widgets::uncoveredRect(*timer.Label3));
    EXPECT_LT(timer.Label3->contentsRect().height(), timer.Label3->height());
    EXPECT_GE(timer.Label3->font().pointSizeF(), 8.0);

    screens::LogView& log = env.screens.showLogView(&setup());
    EXPECT_EQ(cutCaptions(log), QStringList()) << "log viewer";

    screens::frmManual& manual = env.screens.manual();
    manual.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(cutCaptions(manual), QStringList()) << "manual viewer";

    writeSkierNames("Ann\r\nBob\r\n");
    form().cmdSelect_Click();
    ASSERT_NE(env.screens.skierList(), nullptr);
    EXPECT_EQ(cutCaptions(*env.screens.skierList()), QStringList()) << "skier list";
}

// A sibling stacked over part of a caption cuts it; the caption is then fitted into the part
// nothing covers, and the controls stay where they are. A sibling stacked below covers nothing.
TEST(CaptionCover, ACaptionIsFittedIntoThePartOfItsLabelNothingCovers) {
    QWidget window;
    window.setFixedSize(400, 200);
    auto* below = new QTextEdit(&window); // created first: under the label
    below->setGeometry(0, 0, 60, 200);
    auto* label = new QLabel(QStringLiteral("Browse for File to View ->"), &window);
    QFont bold = app::designFont(9.75, true);
    label->setFont(bold);
    label->setGeometry(20, 20, 250, 25);
    auto* box = new QTextEdit(&window); // over the foot of the label
    box->setGeometry(20, 33, 300, 60);
    auto* button = new QPushButton(QStringLiteral("..."), &window); // over its right end
    button->setGeometry(230, 10, 25, 21);
    auto* empty = new QLabel(&window); // a transparent label without text covers nothing
    empty->setGeometry(20, 20, 250, 25);

    EXPECT_EQ(widgets::uncoveredRect(*label), QRect(0, 0, 210, 13));
    EXPECT_FALSE(widgets::captionFits(*label)) << "the foot of the caption is under the box";
    EXPECT_EQ(widgets::uncoveredRect(*box), box->rect())
        << "the label and the empty label lie under it";
    widgets::fitCaption(*label);
    EXPECT_TRUE(widgets::captionFits(*label));
    EXPECT_EQ(label->geometry(), QRect(20, 20, 250, 25));
    EXPECT_EQ(label->contentsRect(), QRect(0, 0, 210, 13));
    EXPECT_LT(label->font().pointSizeF(), 9.75);
    EXPECT_GE(label->font().pointSizeF(), 5.0);

    // The box moves away: the caption gets its whole label and its design size back.
    box->hide();
    button->hide();
    widgets::fitCaption(*label);
    EXPECT_EQ(label->contentsRect(), label->rect());
    EXPECT_EQ(label->font().pointSizeF(), 9.75);

    // A button partly covered cannot move its caption: it does not fit.
    button->show();
    auto* over = new QLabel(QStringLiteral("x"), &window);
    over->setGeometry(240, 25, 10, 10);
    EXPECT_FALSE(widgets::captionFits(*button));
}
