#pragma once
// Where a picture is drawn inside a widget: scaled to fit with its aspect ratio kept, centred.
#include <QRect>
#include <QSize>

namespace widgets {

inline QRect fittedRect(const QSize& picture, const QSize& area) {
    if (picture.isEmpty())
        return {};
    const QSize size = picture.scaled(area, Qt::KeepAspectRatio);
    return QRect(QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
                 size);
}

} // namespace widgets
