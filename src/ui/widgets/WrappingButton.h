#pragma once
// A button whose caption breaks into lines when it is wider than the button, as the design's
// tall buttons show "View Already Recorded Runs" on two lines.
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace widgets {
class WrappingButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(rect().adjusted(2, 1, -2, -1),
                         Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, text());
    }
};
} // namespace widgets
