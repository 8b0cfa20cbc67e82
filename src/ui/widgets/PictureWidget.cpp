#include "ui/widgets/PictureWidget.h"

#include "ui/widgets/FitRect.h"

#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>

namespace widgets {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(32, 24);
}

void PictureWidget::setPicture(const QImage& picture) {
    m_picture = picture;
    ++m_picturesShown;
    reportSize(size());
    update();
}

void PictureWidget::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

QRect PictureWidget::pictureRect() const {
    return fittedRect(m_picture.size(), size());
}

void PictureWidget::reportSize(QSize size) {
    if (size == m_reportedSize)
        return;
    m_reportedSize = size;
    emit sizeChanged(size);
}

void PictureWidget::paintEvent(QPaintEvent*) {
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (!m_picture.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(pictureRect(), m_picture);
        }
        if (!m_caption.isEmpty()) {
            p.fillRect(rect(), QColor(0, 0, 0, 160));
            p.setPen(Qt::white);
            p.drawText(rect().adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap,
                       m_caption);
        }
    }
    emit painted();
}

void PictureWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    reportSize(event->size());
}

void PictureWidget::keyPressEvent(QKeyEvent* event) {
    if (onKey)
        onKey(event);
    else
        QWidget::keyPressEvent(event);
}

} // namespace widgets
