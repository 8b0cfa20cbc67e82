#pragma once
// A network or file camera kept open in the background while it is connected. Its own thread
// opens the stream, reads and decodes its pictures, and when the stream fails or goes silent
// opens it again after a short pause (half a second, doubling to at most 2 s), without limit:
// a camera on Wi-Fi that drops out for a few seconds comes back by itself. No other thread ever
// waits for it: the GUI thread reads its state, and each capture session takes its pictures
// through a source() that says it is waiting while none come.
//
// Every picture is given at the size and pixel format of the first one, so that a camera that
// comes back with other settings fits the recording under way.
#include "core/engine/CaptureSources.h"

#include <QSize>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace engine {

class StreamCamera {
public:
    enum class State {
        Connecting, // no picture yet since the camera was connected
        Live,       // pictures come
        Lost,       // pictures came, then the stream failed: it is being opened again
    };
    struct Status {
        State state = State::Connecting;
        QString why; // the last failure in plain words ("The camera did not answer within 5
                     // seconds"); empty when none since the last picture
        QSize size;  // of the pictures given; empty before the first one
        AVPixelFormat format = AV_PIX_FMT_NONE;
    };

    // A live camera that has sent no picture for this long is reported lost, although its
    // stream is given up only after StreamSource::kWait.
    static constexpr std::chrono::milliseconds kSilence{1000};
    static constexpr std::chrono::milliseconds kFirstPause{500};
    static constexpr std::chrono::milliseconds kLongestPause{2000};

    // Starts opening `url` at once. `changed` is called on the camera's thread after each change
    // of status(). `paced` as for StreamSource.
    StreamCamera(const QString& url, bool paced, std::function<void()> changed);
    ~StreamCamera(); // gives up any opening or read under way and waits for the thread

    // Lost with a reason as well while a live camera has sent nothing for kSilence.
    Status status() const;

    // A source for one session, reading this camera's pictures from the next one that comes.
    // The camera must outlive it. Only one source reads at a time.
    std::unique_ptr<VideoSource> source();

private:
    class Source;
    void run(std::stop_token stop);
    void setStatus(State state, const QString& why);
    void publish(FramePtr picture);
    FramePtr fit(FramePtr picture);
    // The next picture within `wait`; nullptr when none came. Device thread of a session.
    FramePtr take(std::stop_token stop, std::chrono::milliseconds wait);
    void flush();

    QString m_url;
    bool m_paced;
    std::function<void()> m_changed;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_arrived;
    std::deque<FramePtr> m_pictures; // newest last; a few at most (nobody may be taking them)
    Status m_status;
    std::chrono::steady_clock::time_point m_lastPicture;
    SwsPtr m_fit;          // camera thread only
    std::jthread m_thread; // last: stopped and joined before the rest goes
};

} // namespace engine
