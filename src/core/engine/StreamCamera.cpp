#include "core/engine/StreamCamera.h"

#include "core/engine/StreamSource.h"
#include "core/ports/ControlError.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>

namespace engine {

namespace {
// Pictures kept while nobody takes them: the newest, a fraction of a second.
constexpr size_t kMaxKept = 4;
} // namespace

class StreamCamera::Source final : public VideoSource {
public:
    explicit Source(StreamCamera& camera) : m_camera(camera), m_status(camera.status()) {}
    QSize size() const override { return m_status.size; }
    AVPixelFormat format() const override { return m_status.format; }
    FramePtr read(std::stop_token stop) override {
        FramePtr f = m_camera.take(stop, kWaitingTick);
        m_waiting = !f && !stop.stop_requested();
        return f;
    }
    QString error() const override { return {}; }
    bool waiting() const override { return m_waiting; }

private:
    StreamCamera& m_camera;
    Status m_status; // size and format stay those of the first picture
    bool m_waiting = false;
};

StreamCamera::StreamCamera(const QString& url, bool paced, std::function<void()> changed)
    : m_url(url), m_paced(paced), m_changed(std::move(changed)),
      m_thread([this](std::stop_token stop) { run(stop); }) {}

StreamCamera::~StreamCamera() {
    m_thread.request_stop();
    m_arrived.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

StreamCamera::Status StreamCamera::status() const {
    std::lock_guard lock(m_mutex);
    Status s = m_status;
    if (s.state == State::Live && std::chrono::steady_clock::now() - m_lastPicture > kSilence) {
        s.state = State::Lost;
        s.why = QStringLiteral("No picture has come for over a second");
    }
    return s;
}

std::unique_ptr<VideoSource> StreamCamera::source() {
    flush();
    return std::make_unique<Source>(*this);
}

void StreamCamera::flush() {
    std::lock_guard lock(m_mutex);
    m_pictures.clear();
}

// Camera thread.
void StreamCamera::setStatus(State state, const QString& why) {
    {
        std::lock_guard lock(m_mutex);
        if (m_status.state == state && m_status.why == why)
            return;
        m_status.state = state;
        m_status.why = why;
    }
    if (m_changed)
        m_changed();
}

// Camera thread.
void StreamCamera::publish(FramePtr picture) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_status.size.isEmpty()) {
            m_status.size = QSize(picture->width, picture->height);
            m_status.format = AVPixelFormat(picture->format);
        }
        first = m_status.state != State::Live || !m_status.why.isEmpty();
        m_status.state = State::Live;
        m_status.why.clear();
        m_lastPicture = std::chrono::steady_clock::now();
        m_pictures.push_back(std::move(picture));
        while (m_pictures.size() > kMaxKept)
            m_pictures.pop_front();
    }
    m_arrived.notify_all();
    if (first && m_changed)
        m_changed();
}

// Camera thread: a picture of another size or format than the first one is converted to it.
FramePtr StreamCamera::fit(FramePtr picture) {
    QSize size;
    AVPixelFormat format;
    {
        std::lock_guard lock(m_mutex);
        size = m_status.size;
        format = m_status.format;
    }
    if (size.isEmpty() || keepsFormat(picture.get(), format, size))
        return picture;
    m_fit.reset(sws_getCachedContext(m_fit.release(), picture->width, picture->height,
                                     AVPixelFormat(picture->format), size.width(), size.height(),
                                     format, SWS_BILINEAR, nullptr, nullptr, nullptr));
    FramePtr out = makeFrame();
    if (!m_fit || !out)
        return nullptr;
    out->width = size.width();
    out->height = size.height();
    out->format = format;
    if (av_frame_get_buffer(out.get(), 0) < 0 ||
        sws_scale_frame(m_fit.get(), out.get(), picture.get()) < 0)
        return nullptr;
    out->pts = picture->pts;
    return out;
}

// Device thread of a session.
FramePtr StreamCamera::take(std::stop_token stop, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, stop, wait, [this] { return !m_pictures.empty(); }))
        return nullptr;
    FramePtr f = std::move(m_pictures.front());
    m_pictures.pop_front();
    return f;
}

// Camera thread.
void StreamCamera::run(std::stop_token stop) {
    std::chrono::milliseconds pause = kFirstPause;
    std::mutex sleepMutex;
    std::condition_variable_any sleeper;
    const auto sleep = [&](std::chrono::milliseconds ms) {
        std::unique_lock lock(sleepMutex);
        sleeper.wait_for(lock, stop, ms, [] { return false; });
    };
    while (!stop.stop_requested()) {
        QString why;
        try {
            StreamSource stream(m_url, m_paced, stop);
            while (FramePtr f = stream.read(stop)) {
                if (FramePtr fitted = fit(std::move(f)))
                    publish(std::move(fitted));
                pause = kFirstPause;
            }
            why = stream.error();
        } catch (const ports::ControlError& e) {
            why = e.description();
            // The URL is known to the operator; the reason is what the live picture says.
            const QString prefix = m_url + QStringLiteral(": ");
            if (why.startsWith(prefix))
                why = why.mid(prefix.size());
        }
        if (stop.stop_requested())
            break;
        State next;
        {
            std::lock_guard lock(m_mutex);
            next = m_status.state == State::Connecting ? State::Connecting : State::Lost;
        }
        setStatus(next, why.isEmpty() ? QStringLiteral("The camera stopped sending") : why);
        sleep(pause);
        pause = std::min(pause * 2, kLongestPause);
    }
}

} // namespace engine
