#pragma once
// A picture drawn as large as fits, keeping its aspect ratio, centred on black: the Capture
// screen's live picture (Grabora1) and the player's picture (also as its full-screen window).
// A picture not yet painted is simply replaced by the next.
#include <QImage>
#include <QWidget>
#include <functional>

namespace widgets {

class PictureWidget : public QWidget {
    Q_OBJECT
public:
    explicit PictureWidget(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    // A few lines drawn over the picture, dimmed under them (the live picture's "Connecting to
    // Lake…"); empty: none.
    void setCaption(const QString& caption);
    const QString& caption() const { return m_caption; }
    // Pictures set so far (tests check that the live picture moves).
    qint64 picturesShown() const { return m_picturesShown; }
    // The rectangle the picture is drawn into, in widget coordinates.
    QRect pictureRect() const;
    // Keys pressed while this widget (a full-screen window) has the focus.
    std::function<void(QKeyEvent*)> onKey;

signals:
    // The widget's size: at every resize, and with a picture when the size changed unseen (a
    // hidden widget gets no resize events). Pictures made for this size need no scaling.
    void sizeChanged(QSize size);
    // A paint of the widget ended (benchmarks time a step up to the picture on the screen).
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reportSize(QSize size);

    QImage m_picture;
    QString m_caption;
    qint64 m_picturesShown = 0;
    QSize m_reportedSize;
};

} // namespace widgets
