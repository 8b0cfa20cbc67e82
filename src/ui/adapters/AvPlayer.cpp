#include "ui/adapters/AvPlayer.h"

#include "core/app/PlayerKeys.h"
#include "ui/adapters/PlayerAudio.h"
#include "ui/widgets/PictureWidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace adapters {

AvPlayer::AvPlayer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MediaPlayer1"));
    setFocusPolicy(Qt::StrongFocus);

    m_view = new widgets::PictureWidget(this);
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
            setPlayerPosition(m_engine.requestedFrame() - 1);
    });
    connect(m_forward, &QToolButton::clicked, this, [this] {
        if (m_seekEnabled)
            setPlayerPosition(m_engine.requestedFrame() + 1);
    });

    m_audio = std::make_unique<PlayerAudio>(this);
    connect(&m_engine, &engine::PlayerEngine::frameShown, this, &AvPlayer::showPicture);
    connect(&m_engine, &engine::PlayerEngine::positionRequested, this, &AvPlayer::setSliderValue);
    connect(&m_engine, &engine::PlayerEngine::stateChanged, this, &AvPlayer::updateControls);
    connect(&m_engine, &engine::PlayerEngine::fileOpened, this, &AvPlayer::fileOpened);
    connect(
        &m_engine, &engine::PlayerEngine::soundStarted, this,
        [this](const QString& path, double from, double to) { m_audio->start(path, from, to); });
    connect(&m_engine, &engine::PlayerEngine::soundStopped, this, [this] { m_audio->stop(); });
    updateControls();
}

// The sound goes first; the engine, which announces nothing while it goes, stops its worker.
AvPlayer::~AvPlayer() {
    m_engine.blockSignals(true);
    m_audio.reset();
}

void AvPlayer::setPlayerFileName(const QString& path) {
    m_engine.open(path);
    m_view->setPicture(QImage());
    if (m_fullScreen)
        m_fullScreen->setPicture(QImage());
}

void AvPlayer::setPlayerDisplaySize(int size) {
    m_displaySize = size;
    if (size == 3) {
        if (!m_fullScreen) {
            m_fullScreen = std::make_unique<widgets::PictureWidget>();
            m_fullScreen->setWindowTitle(windowTitle());
            m_fullScreen->setFocusPolicy(Qt::StrongFocus);
            m_fullScreen->onKey = [this](QKeyEvent* event) { handleKey(event, true); };
        }
        m_fullScreen->setPicture(m_engine.shownPicture());
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

void AvPlayer::onPlayerKey(KeyHandler handler) {
    connect(this, &AvPlayer::PlayerKey, this, std::move(handler));
}

void AvPlayer::giveFocus() {
    if (m_fullScreen && m_fullScreen->isVisible())
        m_fullScreen->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void AvPlayer::showPicture(int frame) {
    const QImage& picture = m_engine.shownPicture();
    m_view->setPicture(picture);
    if (m_fullScreen)
        m_fullScreen->setPicture(picture);
    m_readout->setText(readoutText());
    if (!m_slider->isSliderDown())
        setSliderValue(frame);
    emit frameShown(frame);
}

// Moves the slider without taking it for the operator's move.
void AvPlayer::setSliderValue(int frame) {
    m_movingSlider = true;
    m_slider->setValue(frame);
    m_movingSlider = false;
}

QString AvPlayer::readoutText() const {
    const int shown = m_engine.shownFrame();
    if (shown < 0)
        return {};
    const double fps = m_engine.framesPerSecond();
    const double seconds = fps > 0 ? shown / fps : 0.0;
    return QStringLiteral("Frame %1   %2 s").arg(shown).arg(seconds, 0, 'f', 2);
}

void AvPlayer::updateControls() {
    const int frames = m_engine.frameCount();
    const bool open = frames > 0;
    m_movingSlider = true;
    m_slider->setRange(0, open ? frames - 1 : 0);
    m_slider->setValue(m_engine.requestedFrame());
    m_movingSlider = false;
    m_slider->setEnabled(open && m_seekEnabled);
    m_back->setEnabled(open && m_seekEnabled);
    m_forward->setEnabled(open && m_seekEnabled);
    if (!open)
        m_readout->clear();
}

void AvPlayer::handleKey(QKeyEvent* event, bool fullScreen) {
    const app::PlayerKeyAction action =
        app::playerKeyAction(event->key(), event->modifiers(), fullScreen);
    if (action.kind == app::PlayerKeyAction::LeaveFullScreen)
        setPlayerDisplaySize(4);
    else if (action.kind == app::PlayerKeyAction::Report)
        emit PlayerKey(action.keyCode, action.shift);
}

// Only a player the operator sees decodes ahead of steps far from its position; hidden (the
// operator went to record the next run) it leaves the machine to the recording.
void AvPlayer::showEvent(QShowEvent* event) {
    m_engine.setSeen(true);
    QWidget::showEvent(event);
}

void AvPlayer::hideEvent(QHideEvent* event) {
    m_engine.setSeen(false);
    QWidget::hideEvent(event);
}

// The player acts on no key itself: it reports each one and lets it travel on to the screen.
void AvPlayer::keyPressEvent(QKeyEvent* event) {
    handleKey(event, false);
    event->ignore();
}

} // namespace adapters
