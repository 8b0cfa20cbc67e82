#include "ui/widgets/FitCaption.h"

#include "ui/widgets/WrappingButton.h"
#include "ui/widgets/WrappingCheckBox.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVariant>

namespace fit {

namespace {

const char* const kDesignSize = "fitDesignPointSize";
constexpr double kStep = 0.25;
constexpr double kSmallest = 5.0;

QString plain(QString text) {
    text.remove(QLatin1Char('&')); // mnemonics take no room
    return text;
}

// Text in `room`: on one line, or broken at blanks when `wrap`.
bool textFits(const QFont& font, const QString& text, const QRect& room, bool wrap) {
    if (text.isEmpty())
        return true;
    const QFontMetrics m(font);
    if (!wrap)
        return m.horizontalAdvance(text) <= room.width() && m.height() <= room.height();
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& word : text.split(blanks, Qt::SkipEmptyParts))
        if (m.horizontalAdvance(word) > room.width())
            return false;
    return m.boundingRect(room, Qt::TextWordWrap, text).height() <= room.height();
}

} // namespace

bool captionFits(const QWidget& w) {
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->textFormat() == Qt::RichText || label->text().isEmpty())
            return true;
        const int indent = label->margin() * 2;
        return textFits(label->font(), plain(label->text()),
                        label->contentsRect().adjusted(0, 0, -indent, -indent), label->wordWrap());
    }
    if (const auto* box = dynamic_cast<const WrappingCheckBox*>(&w))
        return textFits(box->font(), plain(box->text()), box->captionRect(), true);
    if (const auto* box = qobject_cast<const QCheckBox*>(&w)) {
        QStyleOptionButton o;
        o.initFrom(box);
        const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, box);
        return textFits(box->font(), plain(box->text()), room, false);
    }
    if (const auto* button = dynamic_cast<const WrappingButton*>(&w))
        return textFits(button->font(), plain(button->text()),
                        button->rect().adjusted(2, 1, -2, -1), true);
    if (const auto* button = qobject_cast<const QPushButton*>(&w)) {
        QStyleOptionButton o;
        o.initFrom(button);
        o.features = QStyleOptionButton::None;
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &o, button);
        return textFits(button->font(), plain(button->text()), room, false);
    }
    if (const auto* panel = qobject_cast<const QGroupBox*>(&w)) {
        const QFontMetrics m(panel->font());
        return m.horizontalAdvance(plain(panel->title())) + 2 * m.averageCharWidth() <=
               panel->width();
    }
    return true;
}

void fitCaption(QWidget& w) {
    QVariant design = w.property(kDesignSize);
    if (!design.isValid()) {
        design = w.font().pointSizeF();
        w.setProperty(kDesignSize, design);
    }
    QFont font = w.font();
    font.setPointSizeF(design.toDouble());
    w.setFont(font);
    while (!captionFits(w) && font.pointSizeF() - kStep >= kSmallest) {
        font.setPointSizeF(font.pointSizeF() - kStep);
        w.setFont(font);
    }
}

void fitCaptions(QWidget& window) {
    QList<QWidget*> captions;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QGroupBox*>(w))
            captions << w;
    // Every design size first: a panel made smaller must not make its captions smaller too.
    for (QWidget* w : captions)
        if (!w->property(kDesignSize).isValid())
            w->setProperty(kDesignSize, w->font().pointSizeF());
    for (QWidget* w : captions)
        fitCaption(*w);
}

} // namespace fit
