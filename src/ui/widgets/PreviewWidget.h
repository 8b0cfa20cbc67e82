#pragma once
// The live picture: shows the latest frame fitted inside the widget (aspect kept, black bars).
// Frames arrive as QImages through queued calls; a frame not yet painted is simply replaced.
#include <QImage>
#include <QWidget>

namespace av {

class PreviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWidget(QWidget* parent = nullptr);
    void setFrame(const QImage& frame);
    const QImage& frame() const { return m_frame; }
    // Frames shown so far (tests check that the picture moves).
    qint64 framesShown() const { return m_framesShown; }

signals:
    void sizeChanged(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_frame;
    qint64 m_framesShown = 0;
};

} // namespace av
