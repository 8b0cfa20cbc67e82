#include "platform/av/PlayerPictureWidget.h"

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
    if (m_picture.isNull())
        return {};
    QSize size = m_picture.size();
    size.scale(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
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
