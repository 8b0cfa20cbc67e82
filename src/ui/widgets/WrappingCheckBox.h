#pragma once
// A check box whose caption breaks into lines when it is wider than the box, as the design's
// two-line check boxes show their text.
#include <QCheckBox>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace widgets {
class WrappingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

    // Where the caption is drawn.
    QRect captionRect() const {
        QStyleOptionButton option;
        initStyleOption(&option);
        return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, option);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(captionRect(),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                         text());
    }
};
} // namespace widgets
