#include "ui/widgets/PlayerPictureWidget.h"

#include "ui/widgets/FitRect.h"

#include <QKeyEvent>
#include <QPainter>

namespace av {

PlayerPictureWidget::PlayerPictureWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(32, 24);
}

void PlayerPictureWidget::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

QRect PlayerPictureWidget::pictureRect() const {
    return fittedRect(m_picture.size(), size());
}

void PlayerPictureWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!m_picture.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(pictureRect(), m_picture);
    }
}

void PlayerPictureWidget::keyPressEvent(QKeyEvent* event) {
    if (onKey)
        onKey(event);
    else
        QWidget::keyPressEvent(event);
}

} // namespace av
