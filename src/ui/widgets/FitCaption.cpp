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

namespace widgets {

namespace {

const char* const kDesignSize = "fitDesignPointSize";
constexpr double kStep = 0.25;
constexpr double kSmallest = 5.0;

QString plain(QString text) {
    text.remove(QLatin1Char('&')); // mnemonics take no room
    return text;
}

// Text in `room`: on one line, or broken at blanks when `wrap`. Placed in the room by `align`, as
// the control draws it, it must also lie inside `free`, the part nothing covers.
bool textFits(const QFont& font, const QString& text, const QRect& room, bool wrap,
              Qt::Alignment align, const QRect& free) {
    if (text.isEmpty())
        return true;
    const QFontMetrics m(font);
    QRect drawn;
    if (!wrap) {
        const QSize size(m.horizontalAdvance(text), m.height());
        if (size.width() > room.width() || size.height() > room.height())
            return false;
        drawn = QStyle::alignedRect(Qt::LeftToRight, align, size, room);
    } else {
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        for (const QString& word : text.split(blanks, Qt::SkipEmptyParts))
            if (m.horizontalAdvance(word) > room.width())
                return false;
        drawn = m.boundingRect(room, int(align) | Qt::TextWordWrap, text);
        if (drawn.height() > room.height())
            return false;
    }
    return free.contains(drawn);
}

// A sibling that hides what lies under it: any control but a transparent label without text.
bool hidesWhatIsUnder(const QWidget& sibling) {
    if (const auto* label = qobject_cast<const QLabel*>(&sibling))
        return !label->text().isEmpty() || label->autoFillBackground() ||
               label->frameShape() != QFrame::NoFrame || !label->pixmap().isNull();
    return true;
}

// Takes `cover` out of every free rectangle, keeping the largest rectangles that are left.
QList<QRect> without(const QList<QRect>& free, const QRect& cover) {
    QList<QRect> left;
    for (const QRect& r : free) {
        if (!r.intersects(cover)) {
            left << r;
            continue;
        }
        if (cover.left() > r.left())
            left << QRect(QPoint(r.left(), r.top()), QPoint(cover.left() - 1, r.bottom()));
        if (cover.right() < r.right())
            left << QRect(QPoint(cover.right() + 1, r.top()), QPoint(r.right(), r.bottom()));
        if (cover.top() > r.top())
            left << QRect(QPoint(r.left(), r.top()), QPoint(r.right(), cover.top() - 1));
        if (cover.bottom() < r.bottom())
            left << QRect(QPoint(r.left(), cover.bottom() + 1), QPoint(r.right(), r.bottom()));
    }
    return left;
}

// The room the caption of `w` is drawn in, before any sibling is taken into account.
QRect captionRoom(const QWidget& w) {
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        const int indent = label->margin() * 2;
        return label->contentsRect().adjusted(0, 0, -indent, -indent);
    }
    if (const auto* box = dynamic_cast<const WrappingCheckBox*>(&w))
        return box->captionRect();
    if (const auto* box = qobject_cast<const QCheckBox*>(&w)) {
        QStyleOptionButton o;
        o.initFrom(box);
        return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, box);
    }
    if (dynamic_cast<const WrappingButton*>(&w))
        return w.rect().adjusted(2, 1, -2, -1);
    if (const auto* button = qobject_cast<const QPushButton*>(&w)) {
        QStyleOptionButton o;
        o.initFrom(button);
        o.features = QStyleOptionButton::None;
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &o, button);
    }
    return w.rect();
}

} // namespace

QRect uncoveredRect(const QWidget& w) {
    const QWidget* parent = w.parentWidget();
    if (!parent || w.isWindow())
        return w.rect();
    QList<QRect> free{w.rect()};
    const QObjectList& siblings = parent->children(); // in stacking order, the top one last
    for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(&w)) + 1; i < siblings.size(); ++i) {
        const auto* s = qobject_cast<const QWidget*>(siblings[i]);
        if (!s || s->isWindow() || !s->isVisibleTo(parent) || !hidesWhatIsUnder(*s))
            continue;
        const QRect cover = s->geometry().intersected(w.geometry()).translated(-w.pos());
        if (!cover.isEmpty())
            free = without(free, cover);
    }
    QRect best;
    for (const QRect& r : free)
        if (qint64(r.width()) * r.height() > qint64(best.width()) * best.height())
            best = r;
    return best;
}

bool captionFits(const QWidget& w) {
    const QRect free = uncoveredRect(w);
    constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->textFormat() == Qt::RichText || label->text().isEmpty())
            return true;
        return textFits(label->font(), plain(label->text()), captionRoom(w), label->wordWrap(),
                        label->alignment(), free);
    }
    if (const auto* box = dynamic_cast<const WrappingCheckBox*>(&w))
        return textFits(box->font(), plain(box->text()), captionRoom(w), true, kLeft, free);
    if (const auto* box = qobject_cast<const QCheckBox*>(&w))
        return textFits(box->font(), plain(box->text()), captionRoom(w), false, kLeft, free);
    // A button draws its caption in its middle: it cannot move it off a covered part.
    if (const auto* button = dynamic_cast<const WrappingButton*>(&w))
        return free == w.rect() && textFits(button->font(), plain(button->text()), captionRoom(w),
                                            true, Qt::AlignCenter, free);
    if (const auto* button = qobject_cast<const QPushButton*>(&w))
        return free == w.rect() && textFits(button->font(), plain(button->text()), captionRoom(w),
                                            false, Qt::AlignCenter, free);
    if (const auto* panel = qobject_cast<const QGroupBox*>(&w)) {
        const QFontMetrics m(panel->font());
        return m.horizontalAdvance(plain(panel->title())) + 2 * m.averageCharWidth() <=
               free.width();
    }
    return true;
}

void fitCaption(QWidget& w) {
    if (auto* label = qobject_cast<QLabel*>(&w)) {
        // The text goes where nothing covers the label; its position stays the design's.
        const QRect free = uncoveredRect(w);
        if (!free.isEmpty())
            label->setContentsMargins(free.left(), free.top(), w.width() - 1 - free.right(),
                                      w.height() - 1 - free.bottom());
    }
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

} // namespace widgets
