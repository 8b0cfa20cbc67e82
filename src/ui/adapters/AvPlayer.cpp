#include "ui/adapters/AvPlayer.h"

#include "core/engine/AudioClip.h"
#include "core/engine/DecodeWorker.h"
#include "ui/adapters/AudioOutput.h"
#include "ui/widgets/PictureWidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace av {

namespace {
// Frame positions arrive as doubles; they are whole numbers in practice. Halves go to the even
// neighbour, like every rounding of the program.
int toFrame(double frame) {
    if (!std::isfinite(frame))
        return 0;
    const double r = std::nearbyint(frame);
    return r < -1e9 ? -1000000000 : r > 1e9 ? 1000000000 : static_cast<int>(r);
}
} // namespace

// The sound of the selection while it plays, through the default audio output. The clip is
// decoded on its own thread; when it arrives, the part the picture has already passed is
// skipped so that sound and picture stay together. No audio output, or a file without sound,
// simply plays silent.
class PlayerAudio {
public:
    explicit PlayerAudio(QObject* context) {
        m_worker = std::make_unique<AudioClipWorker>();
        m_worker->moveToThread(&m_thread);
        QObject::connect(m_worker.get(), &AudioClipWorker::clipReady, context,
                         [this](quint64 request, int rate, int channels, QByteArray data) {
                             onClip(request, rate, channels, data);
                         });
        m_thread.setObjectName(QStringLiteral("PlayerAudio"));
        m_thread.start();
    }
    ~PlayerAudio() {
        stop();
        m_thread.quit();
        m_thread.wait();
    }

    void start(const QString& path, double fromSeconds, double toSeconds) {
        stop();
        m_output = std::make_unique<AudioOutput>();
        if (!m_output->available())
            return;
        const int rate = m_output->preferredRate();
        const int channels = m_output->preferredChannels();
        const quint64 request = ++m_request;
        m_playing = true;
        m_clock.start();
        AudioClipWorker* worker = m_worker.get();
        QMetaObject::invokeMethod(
            worker, [=] { worker->decode(request, path, fromSeconds, toSeconds, rate, channels); },
            Qt::QueuedConnection);
    }

    void stop() {
        m_playing = false;
        ++m_request;
        if (m_output)
            m_output->stop();
    }

private:
    void onClip(quint64 request, int rate, int channels, const QByteArray& data) {
        if (request != m_request || !m_playing || rate <= 0 || data.isEmpty())
            return;
        const qint64 frameBytes = 2LL * channels;
        const qint64 passed = m_clock.elapsed() * rate / 1000 * frameBytes;
        if (passed >= data.size() || !m_output)
            return;
        m_output->play(data.mid(passed), rate, channels);
    }

    QThread m_thread;
    std::unique_ptr<AudioClipWorker> m_worker;
    std::unique_ptr<AudioOutput> m_output;
    QElapsedTimer m_clock;
    quint64 m_request = 0;
    bool m_playing = false;
};

AvPlayer::AvPlayer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MediaPlayer1"));
    setFocusPolicy(Qt::StrongFocus);

    m_view = new PictureWidget(this);
    m_view->setFocusPolicy(Qt::NoFocus);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setRange(0, 0);
    m_back = new QToolButton(this);
    m_back->setText(QStringLiteral("<"));
    m_back->setFocusPolicy(Qt::NoFocus);
    m_back->setAutoRepeat(true);
    m_forward = new QToolButton(this);
    m_forward->setText(QStringLiteral(">"));
    m_forward->setFocusPolicy(Qt::NoFocus);
    m_forward->setAutoRepeat(true);
    m_readout = new QLabel(this);
    m_readout->setMinimumWidth(150);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(m_back);
    bar->addWidget(m_slider, 1);
    bar->addWidget(m_forward);
    bar->addWidget(m_readout);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_view, 1);
    layout->addLayout(bar);

    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (!m_movingSlider && m_seekEnabled)
            setPlayerPosition(value);
    });
    connect(m_back, &QToolButton::clicked, this, [this] {
        if (m_seekEnabled)
            setPlayerPosition(m_position - 1);
    });
    connect(m_forward, &QToolButton::clicked, this, [this] {
        if (m_seekEnabled)
            setPlayerPosition(m_position + 1);
    });

    m_playTimer.setTimerType(Qt::PreciseTimer);
    m_playTimer.setInterval(5);
    connect(&m_playTimer, &QTimer::timeout, this, &AvPlayer::playTick);

    m_cache = std::make_shared<FrameCache>();
    m_worker = std::make_unique<DecodeWorker>(m_cache);
    m_worker->moveToThread(&m_thread);
    m_worker->allowKeyTails(false); // until the player is seen
    connect(m_worker.get(), &DecodeWorker::opened, this, &AvPlayer::onOpened);
    connect(m_worker.get(), &DecodeWorker::frameReady, this, &AvPlayer::onFrameReady);
    m_thread.setObjectName(QStringLiteral("PlayerDecode"));
    m_thread.start();
    m_audio = std::make_unique<PlayerAudio>(this);
    updateControls();
}

AvPlayer::~AvPlayer() {
    m_playTimer.stop();
    m_audio.reset();
    m_worker->stop();
    m_thread.quit();
    m_thread.wait();
    m_worker.reset();
}

void AvPlayer::setPlayerFileName(const QString& path) {
    stopPlayback();
    m_path = path;
    ++m_generation;
    m_frameCount = path.isEmpty() ? 0 : -1;
    m_rateNum = 0;
    m_rateDen = 1;
    m_position = 0;
    m_shownFrame = -1;
    m_picture = QImage();
    m_view->setPicture(m_picture);
    if (m_fullScreen)
        m_fullScreen->setPicture(m_picture);
    m_worker->requestOpen(m_generation, path);
    updateControls();
}

double AvPlayer::PlayerPosition() const {
    return m_shownFrame >= 0 ? m_shownFrame : m_position;
}

void AvPlayer::whenShown(std::function<void()> then) {
    m_whenShown.push_back(std::move(then));
    if (m_frameCount == 0 || m_shownFrame == m_position)
        runWhenShown();
}

void AvPlayer::runWhenShown() {
    std::vector<std::function<void()>> due;
    due.swap(m_whenShown);
    for (const auto& then : due)
        then();
}

int AvPlayer::clampFrame(int frame) const {
    if (frame < 0)
        return 0;
    if (m_frameCount > 0 && frame >= m_frameCount)
        return m_frameCount - 1;
    return frame;
}

void AvPlayer::requestFrame(int frame) {
    m_position = clampFrame(frame);
    if (m_frameCount != 0) {
        // The worker hears of every position, kept or not: it decodes ahead of it, and the
        // cache keeps its pictures around it.
        m_worker->requestFrame(m_generation, m_position);
        if (m_frameCount > 0 && m_position != m_shownFrame) {
            if (std::optional<QImage> kept = m_cache->get(m_position))
                showPicture(m_position, *kept);
        }
    }
    m_movingSlider = true;
    m_slider->setValue(m_position);
    m_movingSlider = false;
}

void AvPlayer::setPlayerPosition(double frame) {
    if (m_frameCount == 0)
        return; // nothing open
    stopPlayback();
    requestFrame(toFrame(frame));
}

void AvPlayer::setPlayerSelectionStart(double frame) {
    m_selectionStart = frame;
}

void AvPlayer::setPlayerSelectionEnd(double frame) {
    m_selectionEnd = frame;
}

double AvPlayer::framesPerSecond() const {
    return m_rateNum > 0 && m_rateDen > 0 ? static_cast<double>(m_rateNum) / m_rateDen : 0.0;
}

void AvPlayer::setPlayerDisplaySize(int size) {
    m_displaySize = size;
    if (size == 3) {
        if (!m_fullScreen) {
            m_fullScreen = std::make_unique<PictureWidget>();
            m_fullScreen->setWindowTitle(windowTitle());
            m_fullScreen->setFocusPolicy(Qt::StrongFocus);
            m_fullScreen->onKey = [this](QKeyEvent* event) {
                if (event->key() == Qt::Key_Escape)
                    setPlayerDisplaySize(4);
                else
                    emitKey(event);
            };
        }
        m_fullScreen->setPicture(m_picture);
        m_fullScreen->showFullScreen();
        m_fullScreen->activateWindow();
        m_fullScreen->setFocus(Qt::OtherFocusReason);
    } else if (m_fullScreen) {
        m_fullScreen->hide();
        m_fullScreen.reset();
    }
}

QWidget* AvPlayer::fullScreenWindow() const {
    return m_fullScreen.get();
}

void AvPlayer::setPlayerSeekEnabled(bool on) {
    m_seekEnabled = on;
    updateControls();
}

void AvPlayer::PlayerPlay() {
    if (m_frameCount == 0)
        return;
    stopPlayback();
    m_playFrom = clampFrame(toFrame(m_selectionStart));
    m_playTo = std::max(m_playFrom, clampFrame(toFrame(m_selectionEnd)));
    requestFrame(m_playFrom);
    m_playClock.start();
    m_playTimer.start();
    const double fps = framesPerSecond();
    if (fps >
        0) // the sound of the frames played, from the start of the first to the end of the last
        m_audio->start(m_path, m_playFrom / fps, (m_playTo + 1) / fps);
    updateControls();
}

void AvPlayer::PlayerStop() {
    stopPlayback();
}

void AvPlayer::stopPlayback() {
    if (m_audio)
        m_audio->stop();
    if (!m_playTimer.isActive())
        return;
    m_playTimer.stop();
    updateControls();
}

// Real time: the frame due is the selection start plus the elapsed time in frames, counted in
// integers from the file's rate so that no drift builds up.
void AvPlayer::playTick() {
    if (m_rateNum <= 0) {
        if (m_frameCount == 0)
            stopPlayback();
        return; // the file is still being opened; its rate is not known yet
    }
    const qint64 ms = m_playClock.elapsed();
    const qint64 due = m_playFrom + ms * m_rateNum / (static_cast<qint64>(m_rateDen) * 1000);
    if (due >= m_playTo) {
        m_playTimer.stop();
        if (m_position != m_playTo)
            requestFrame(m_playTo);
        updateControls();
        return;
    }
    if (due != m_position)
        requestFrame(static_cast<int>(due));
}

void AvPlayer::onPlayerKey(KeyHandler handler) {
    connect(this, &AvPlayer::PlayerKey, this, std::move(handler));
}

void AvPlayer::giveFocus() {
    if (m_fullScreen && m_fullScreen->isVisible())
        m_fullScreen->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void AvPlayer::onOpened(quint64 generation, bool ok, int frameCount, int rateNum, int rateDen,
                        QSize) {
    if (generation != m_generation)
        return;
    m_frameCount = ok ? frameCount : 0;
    m_rateNum = ok ? rateNum : 0;
    m_rateDen = ok && rateDen > 0 ? rateDen : 1;
    if (!ok) {
        stopPlayback();
        m_position = 0;
    } else {
        m_position = clampFrame(m_position);
    }
    updateControls();
    emit fileOpened(ok);
    if (!ok)
        runWhenShown();
}

// Only the position last asked for is shown, so that an answer to an older request never
// replaces a newer picture; during playback a late picture on the way there is shown too.
void AvPlayer::onFrameReady(quint64 generation, int frame, QImage picture) {
    if (generation != m_generation || frame == m_shownFrame)
        return;
    const bool onTheWay = isPlaying() && frame > m_shownFrame && frame < m_position;
    if (frame != m_position && !onTheWay)
        return;
    showPicture(frame, picture);
}

void AvPlayer::showPicture(int frame, const QImage& picture) {
    m_shownFrame = frame;
    m_picture = picture;
    m_view->setPicture(picture);
    if (m_fullScreen)
        m_fullScreen->setPicture(picture);
    m_readout->setText(readoutText());
    if (!m_slider->isSliderDown()) {
        m_movingSlider = true;
        m_slider->setValue(frame);
        m_movingSlider = false;
    }
    emit frameShown(frame);
    if (frame == m_position)
        runWhenShown();
}

QString AvPlayer::readoutText() const {
    if (m_shownFrame < 0)
        return {};
    const double fps = framesPerSecond();
    const double seconds = fps > 0 ? m_shownFrame / fps : 0.0;
    return QStringLiteral("Frame %1   %2 s").arg(m_shownFrame).arg(seconds, 0, 'f', 2);
}

void AvPlayer::updateControls() {
    const bool open = m_frameCount > 0;
    m_movingSlider = true;
    m_slider->setRange(0, open ? m_frameCount - 1 : 0);
    m_slider->setValue(m_position);
    m_movingSlider = false;
    m_slider->setEnabled(open && m_seekEnabled);
    m_back->setEnabled(open && m_seekEnabled);
    m_forward->setEnabled(open && m_seekEnabled);
    if (!open)
        m_readout->clear();
}

int AvPlayer::virtualKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        // The numeric keypad, with or without Num Lock: its digits are VK_NUMPAD0..9.
        switch (key) {
        case Qt::Key_0:
        case Qt::Key_Insert:
            return 96;
        case Qt::Key_1:
        case Qt::Key_End:
            return 97;
        case Qt::Key_2:
        case Qt::Key_Down:
            return 98;
        case Qt::Key_3:
        case Qt::Key_PageDown:
            return 99;
        case Qt::Key_4:
        case Qt::Key_Left:
            return 100;
        case Qt::Key_5:
        case Qt::Key_Clear:
            return 101;
        case Qt::Key_6:
        case Qt::Key_Right:
            return 102;
        case Qt::Key_7:
        case Qt::Key_Home:
            return 103;
        case Qt::Key_8:
        case Qt::Key_Up:
            return 104;
        case Qt::Key_9:
        case Qt::Key_PageUp:
            return 105;
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
        case Qt::Key_Delete:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Slash:
            return 111;
        case Qt::Key_Enter:
            return 13;
        default:
            break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

void AvPlayer::emitKey(QKeyEvent* event) {
    const int vk = virtualKey(event->key(), event->modifiers());
    if (vk == 0)
        return;
    // The shift state as the player reports it: 1 Shift, 2 Ctrl, 4 Alt.
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (event->modifiers() & Qt::AltModifier)
        shift |= 4;
    emit PlayerKey(vk, shift);
}

// Only a player the operator sees decodes ahead of steps far from its position; hidden (the
// operator went to record the next run) it leaves the machine to the recording.
void AvPlayer::showEvent(QShowEvent* event) {
    m_worker->allowKeyTails(true);
    QWidget::showEvent(event);
}

void AvPlayer::hideEvent(QHideEvent* event) {
    m_worker->allowKeyTails(false);
    QWidget::hideEvent(event);
}

// The player acts on no key itself: it reports each one and lets it travel on to the screen.
void AvPlayer::keyPressEvent(QKeyEvent* event) {
    emitKey(event);
    event->ignore();
}

} // namespace av
