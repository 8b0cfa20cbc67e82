#pragma once
// The picture of the player: the current frame drawn as large as fits, keeping its aspect
// ratio, on black. The same class serves as the full-screen window.
#include <QImage>
#include <QWidget>
#include <functional>

namespace av {

class PlayerPictureWidget : public QWidget {
public:
    explicit PlayerPictureWidget(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    // The rectangle the picture is drawn into, in widget coordinates.
    QRect pictureRect() const;
    // Keys pressed while this widget (the full-screen window) has the focus.
    std::function<void(QKeyEvent*)> onKey;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage m_picture;
};

} // namespace av
