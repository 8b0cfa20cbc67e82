#include "ui/widgets/PreviewWidget.h"

#include "ui/widgets/FitRect.h"

#include <QPainter>
#include <QResizeEvent>

namespace av {

PreviewWidget::PreviewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 16);
}

void PreviewWidget::setFrame(const QImage& frame) {
    m_frame = frame;
    ++m_framesShown;
    update();
}

void PreviewWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_frame.isNull())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(fittedRect(m_frame.size(), size()), m_frame);
}

void PreviewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit sizeChanged(event->size());
}

} // namespace av
