#pragma once
// The frame-exact player of the review screen: picture, read-out of frame number and time, own
// slider and step buttons. Decoding runs on a worker thread (DecodeWorker); this widget only
// shows the pictures it gets back, so the user interface never waits for a decoder.
#include "core/engine/FrameCache.h"
#include "core/ports/MediaPlayer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QSlider;
class QToolButton;

namespace av {

class DecodeWorker;
class PictureWidget;
class PlayerAudio;

class AvPlayer : public QWidget, public platform::MediaPlayer {
    Q_OBJECT
public:
    explicit AvPlayer(QWidget* parent = nullptr);
    ~AvPlayer() override;

    void setPlayerFileName(const QString& path) override;
    QString PlayerFileName() const override { return m_path; }
    // The frame on the screen (the frame asked for while nothing is shown yet). A frame asked
    // for whose picture is still on its way is requestedFrame().
    double PlayerPosition() const override;
    void setPlayerPosition(double frame) override;
    void setPlayerSelectionStart(double frame) override;
    void setPlayerSelectionEnd(double frame) override;
    int PlayerDisplaySize() const override { return m_displaySize; }
    void setPlayerDisplaySize(int size) override;
    void setPlayerSeekEnabled(bool on) override;
    void PlayerPlay() override;
    void PlayerStop() override;
    void giveFocus() override;
    void whenShown(std::function<void()> then) override;
    QWidget* view() override { return this; }
    void onPlayerKey(KeyHandler handler) override;

    // Frames of the open file; 0 when nothing is open, -1 while the file is being opened.
    int frameCount() const { return m_frameCount; }
    double framesPerSecond() const;
    int shownFrame() const { return m_shownFrame; }
    // The frame last asked for (by the program, the operator's slider or buttons, or the
    // playback clock), clamped to the file once its length is known.
    int requestedFrame() const { return m_position; }
    const QImage& shownPicture() const { return m_picture; }
    bool isPlaying() const { return m_playTimer.isActive(); }
    QString readoutText() const;
    bool seekEnabled() const { return m_seekEnabled; }
    // The full-screen window while PlayerDisplaySize is 3, else null.
    QWidget* fullScreenWindow() const;
    // The window of decoded pictures this player shares with its decode worker.
    const FrameCache& frameCache() const { return *m_cache; }

    // The Windows virtual-key number of a key event (keypad 4 = 100, keypad 6 = 102); 0 for a
    // key that has none.
    static int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

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
    void onOpened(quint64 generation, bool ok, int frameCount, int rateNum, int rateDen,
                  QSize size);
    void onFrameReady(quint64 generation, int frame, QImage picture);
    void showPicture(int frame, const QImage& picture);
    void requestFrame(int frame);
    void playTick();
    void stopPlayback();
    void emitKey(QKeyEvent* event);
    void updateControls();
    int clampFrame(int frame) const;
    void runWhenShown();

    QThread m_thread;
    // The decode worker fills the cache; a step to a kept frame is shown from it at once.
    std::shared_ptr<FrameCache> m_cache;
    std::unique_ptr<DecodeWorker> m_worker;
    PictureWidget* m_view = nullptr;
    std::unique_ptr<PictureWidget> m_fullScreen;
    QSlider* m_slider = nullptr;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    QLabel* m_readout = nullptr;
    std::unique_ptr<PlayerAudio> m_audio;

    QString m_path;
    quint64 m_generation = 0;
    int m_frameCount = 0;
    int m_rateNum = 0;
    int m_rateDen = 1;
    int m_position = 0;
    int m_shownFrame = -1;
    QImage m_picture;
    std::vector<std::function<void()>> m_whenShown;
    double m_selectionStart = 0;
    double m_selectionEnd = 0;
    int m_displaySize = 4;
    bool m_seekEnabled = true;
    bool m_movingSlider = false;

    QTimer m_playTimer;
    QElapsedTimer m_playClock;
    int m_playFrom = 0;
    int m_playTo = 0;
};

} // namespace av
