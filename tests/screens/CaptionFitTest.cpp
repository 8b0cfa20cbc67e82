// Every caption and read-out of the screens shows whole in the control the design gives it, in
// the font the program picks on this machine (the design face or one of its width).
#include "PreviewFormTestFixture.h"

#include "core/app/DesignFont.h"
#include "ui/screens/LogView.h"
#include "ui/screens/frmSelectSkier.h"
#include "ui/widgets/FitCaption.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QGroupBox>

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
        if (!fit::captionFits(*w))
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

    env.timer().show();
    QCoreApplication::processEvents();
    env.timer().Label9->show(); // "Barefoot Mode"
    EXPECT_EQ(cutCaptions(env.timer()), QStringList()) << "Timer & Review";

    LogView& log = env.screens.showLogView(&setup());
    EXPECT_EQ(cutCaptions(log), QStringList()) << "log viewer";

    writeSkierNames("Ann\r\nBob\r\n");
    form().cmdSelect_Click();
    ASSERT_NE(env.screens.skierList(), nullptr);
    EXPECT_EQ(cutCaptions(*env.screens.skierList()), QStringList()) << "skier list";
}
