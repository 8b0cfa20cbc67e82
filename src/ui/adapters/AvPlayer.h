#pragma once
// The frame-exact player of the review screen: picture, read-out of frame number and time, own
// slider and step buttons, over the player engine (PlayerEngine: file, position, selection, play
// clock, decoding on a worker thread). This widget only shows the pictures the engine announces
// and plays the sound it asks for, so the user interface never waits for a decoder.
#include "core/engine/PlayerEngine.h"
#include "core/ports/MediaPlayer.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QSlider;
class QToolButton;

namespace widgets {
class PictureWidget;
} // namespace widgets

namespace adapters {

class PlayerAudio;

class AvPlayer : public QWidget, public ports::MediaPlayer {
    Q_OBJECT
public:
    explicit AvPlayer(QWidget* parent = nullptr);
    ~AvPlayer() override;

    void setPlayerFileName(const QString& path) override;
    QString PlayerFileName() const override { return m_engine.path(); }
    // The frame on the screen (the frame asked for while nothing is shown yet). A frame asked
    // for whose picture is still on its way is requestedFrame().
    double PlayerPosition() const override { return m_engine.position(); }
    void setPlayerPosition(double frame) override { m_engine.setPosition(frame); }
    void setPlayerSelectionStart(double frame) override { m_engine.setSelectionStart(frame); }
    void setPlayerSelectionEnd(double frame) override { m_engine.setSelectionEnd(frame); }
    int PlayerDisplaySize() const override { return m_displaySize; }
    void setPlayerDisplaySize(int size) override;
    void setPlayerSeekEnabled(bool on) override;
    void PlayerPlay() override { m_engine.play(); }
    void PlayerStop() override { m_engine.stop(); }
    void giveFocus() override;
    void whenShown(std::function<void()> then) override { m_engine.whenShown(std::move(then)); }
    QWidget* view() override { return this; }
    void onPlayerKey(KeyHandler handler) override;

    // Frames of the open file; 0 when nothing is open, -1 while the file is being opened.
    int frameCount() const { return m_engine.frameCount(); }
    double framesPerSecond() const { return m_engine.framesPerSecond(); }
    int shownFrame() const { return m_engine.shownFrame(); }
    // The frame last asked for (by the program, the operator's slider or buttons, or the
    // playback clock), clamped to the file once its length is known.
    int requestedFrame() const { return m_engine.requestedFrame(); }
    const QImage& shownPicture() const { return m_engine.shownPicture(); }
    bool isPlaying() const { return m_engine.isPlaying(); }
    QString readoutText() const;
    bool seekEnabled() const { return m_seekEnabled; }
    // The full-screen window while PlayerDisplaySize is 3, else null.
    QWidget* fullScreenWindow() const;
    // The window of decoded pictures the engine shares with its decode worker.
    const engine::FrameCache& frameCache() const { return m_engine.frameCache(); }

signals:
    // The PlayerKey event as a signal (see onPlayerKey).
    void PlayerKey(int keyCode, int shift);
    // A picture arrived on the screen; `frame` is the frame it shows.
    void frameShown(int frame);
    // The file was opened (ok) or could not be opened.
    void fileOpened(bool ok);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showPicture(int frame);
    void setSliderValue(int frame);
    void updateControls();
    // Reports the key, or acts on it; `fullScreen`: pressed in the full-screen window.
    void handleKey(QKeyEvent* event, bool fullScreen);

    engine::PlayerEngine m_engine;
    widgets::PictureWidget* m_view = nullptr;
    std::unique_ptr<widgets::PictureWidget> m_fullScreen;
    QSlider* m_slider = nullptr;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    QLabel* m_readout = nullptr;
    std::unique_ptr<PlayerAudio> m_audio;

    int m_displaySize = 4;
    bool m_seekEnabled = true;
    bool m_movingSlider = false;
};

} // namespace adapters
