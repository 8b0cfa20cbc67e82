#include "core/engine/PlayerEngine.h"

#include "core/engine/DecodeWorker.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace engine {

namespace {
// Frame positions arrive as doubles; they are whole numbers in practice. Halves go to the even
// neighbour, like every rounding of the program.
int toFrame(double frame) {
    if (!std::isfinite(frame))
        return 0;
    const double r = std::nearbyint(frame);
    return r < -1e9 ? -1000000000 : r > 1e9 ? 1000000000 : static_cast<int>(r);
}

qint64 steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

PlayerEngine::PlayerEngine(QObject* parent) : PlayerEngine(steadyMilliseconds, parent) {}

PlayerEngine::PlayerEngine(Clock clock, QObject* parent)
    : QObject(parent), m_clock(std::move(clock)) {
    m_playTimer.setTimerType(Qt::PreciseTimer);
    m_playTimer.setInterval(kTickMs);
    connect(&m_playTimer, &QTimer::timeout, this, &PlayerEngine::tick);

    m_cache = std::make_shared<FrameCache>();
    m_worker = std::make_unique<DecodeWorker>(m_cache);
    m_worker->moveToThread(&m_thread);
    m_worker->allowKeyTails(false); // until the player is seen
    connect(m_worker.get(), &DecodeWorker::opened, this, &PlayerEngine::onOpened);
    connect(m_worker.get(), &DecodeWorker::frameReady, this, &PlayerEngine::onFrameReady);
    m_thread.setObjectName(QStringLiteral("PlayerDecode"));
    m_thread.start();
}

// Nothing is announced while the engine goes: its screen side may be half gone already.
PlayerEngine::~PlayerEngine() {
    blockSignals(true);
    m_playTimer.stop();
    m_worker->stop();
    m_thread.quit();
    m_thread.wait();
    m_worker.reset();
}

void PlayerEngine::open(const QString& path) {
    stop();
    m_path = path;
    ++m_generation;
    m_frameCount = path.isEmpty() ? 0 : -1;
    m_rateNum = 0;
    m_rateDen = 1;
    m_position = 0;
    m_shownFrame = -1;
    m_picture = QImage();
    m_worker->requestOpen(m_generation, path);
    emit stateChanged();
}

double PlayerEngine::framesPerSecond() const {
    return m_rateNum > 0 && m_rateDen > 0 ? static_cast<double>(m_rateNum) / m_rateDen : 0.0;
}

double PlayerEngine::position() const {
    return m_shownFrame >= 0 ? m_shownFrame : m_position;
}

void PlayerEngine::setPosition(double frame) {
    if (m_frameCount == 0)
        return; // nothing open
    stop();
    requestFrame(toFrame(frame));
}

void PlayerEngine::whenShown(std::function<void()> then) {
    m_whenShown.push_back(std::move(then));
    if (m_frameCount == 0 || m_shownFrame == m_position)
        runWhenShown();
}

void PlayerEngine::runWhenShown() {
    std::vector<std::function<void()>> due;
    due.swap(m_whenShown);
    for (const auto& then : due)
        then();
}

int PlayerEngine::clampFrame(int frame) const {
    if (frame < 0)
        return 0;
    if (m_frameCount > 0 && frame >= m_frameCount)
        return m_frameCount - 1;
    return frame;
}

void PlayerEngine::requestFrame(int frame) {
    m_position = clampFrame(frame);
    if (m_frameCount != 0) {
        // The worker hears of every position, kept or not: it decodes ahead of it, and the
        // cache keeps its pictures around it.
        m_worker->requestFrame(m_generation, m_position);
        if (m_frameCount > 0 && m_position != m_shownFrame) {
            if (std::optional<QImage> kept = m_cache->get(m_position))
                show(m_position, *kept);
        }
    }
    emit positionRequested(m_position);
}

void PlayerEngine::play() {
    if (m_frameCount == 0)
        return;
    stop();
    m_playFrom = clampFrame(toFrame(m_selectionStart));
    m_playTo = std::max(m_playFrom, clampFrame(toFrame(m_selectionEnd)));
    requestFrame(m_playFrom);
    m_playStart = m_clock();
    m_playTimer.start();
    const double fps = framesPerSecond();
    if (fps > 0)
        emit soundStarted(m_path, m_playFrom / fps, (m_playTo + 1) / fps);
    emit stateChanged();
}

void PlayerEngine::stop() {
    emit soundStopped();
    if (!m_playTimer.isActive())
        return;
    m_playTimer.stop();
    emit stateChanged();
}

void PlayerEngine::tick() {
    if (!isPlaying())
        return;
    if (m_rateNum <= 0) {
        if (m_frameCount == 0)
            stop();
        return; // the file is still being opened; its rate is not known yet
    }
    const qint64 ms = m_clock() - m_playStart;
    const qint64 due = m_playFrom + ms * m_rateNum / (static_cast<qint64>(m_rateDen) * 1000);
    if (due >= m_playTo) {
        m_playTimer.stop();
        if (m_position != m_playTo)
            requestFrame(m_playTo);
        emit stateChanged();
        return;
    }
    if (due != m_position)
        requestFrame(static_cast<int>(due));
}

void PlayerEngine::setSeen(bool seen) {
    m_worker->allowKeyTails(seen);
}

void PlayerEngine::onOpened(quint64 generation, bool ok, int frameCount, int rateNum, int rateDen,
                            QSize) {
    if (generation != m_generation)
        return;
    m_frameCount = ok ? frameCount : 0;
    m_rateNum = ok ? rateNum : 0;
    m_rateDen = ok && rateDen > 0 ? rateDen : 1;
    if (!ok) {
        stop();
        m_position = 0;
    } else {
        m_position = clampFrame(m_position);
    }
    emit stateChanged();
    emit fileOpened(ok);
    if (!ok)
        runWhenShown();
}

// Only the position last asked for is shown, so that an answer to an older request never
// replaces a newer picture; during playback a late picture on the way there is shown too.
void PlayerEngine::onFrameReady(quint64 generation, int frame, QImage picture) {
    if (generation != m_generation || frame == m_shownFrame)
        return;
    const bool onTheWay = isPlaying() && frame > m_shownFrame && frame < m_position;
    if (frame != m_position && !onTheWay)
        return;
    show(frame, picture);
}

void PlayerEngine::show(int frame, const QImage& picture) {
    m_shownFrame = frame;
    m_picture = picture;
    emit frameShown(frame);
    if (frame == m_position)
        runWhenShown();
}

} // namespace engine
