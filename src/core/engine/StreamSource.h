#pragma once
// A network or file camera read through libavformat: an RTSP, UDP or HTTP stream, or a video
// file. Its pictures go through the session's frame clock like any camera's, stamped with the
// stream's own times.
#include "core/engine/CaptureSources.h"

#include <chrono>

namespace engine {

class StreamSource final : public VideoSource {
public:
    // Throws ports::ControlError(kDeviceOpenFailed) when the stream cannot be opened or gives
    // no decodable picture within the wait below; its description names the URL and says why in
    // plain words. Blocks for as long as that takes: never on the GUI thread (StreamCamera opens
    // it in the background). `paced`: a file (any input that can be sought in) gives its
    // pictures at their own pace in real time, as a camera does; otherwise as fast as they are
    // read. A live stream comes at its own pace anyway. `stop` gives up the opening.
    explicit StreamSource(const QString& url, bool paced = false, std::stop_token stop = {});
    QSize size() const override { return m_size; }
    AVPixelFormat format() const override { return m_format; }
    FramePtr read(std::stop_token stop) override;
    // Why the last read() gave no picture, in plain words ("The camera did not answer within 5
    // seconds").
    QString error() const override { return m_error; }

    // A stream that gives nothing for this long has failed.
    static constexpr std::chrono::seconds kWait{5};

private:
    static int interrupted(void* opaque);
    // What a failed libav call means for the operator: the wait ran out, or `rc` as it is.
    QString failure(const QString& what, int rc) const;
    FramePtr pace(FramePtr frame, std::stop_token stop);
    std::stop_token m_stop;
    std::chrono::steady_clock::time_point m_deadline; // a blocking call is given up after it
    mutable bool m_timedOut = false;                  // the last call was given up at m_deadline
    InputFormatPtr m_input;
    CodecContextPtr m_decoder;
    PacketPtr m_packet;
    FramePtr m_pending; // the first picture, read while opening
    int m_stream = -1;
    AVRational m_timeBase{1, 1000000};
    QSize m_size;
    AVPixelFormat m_format = AV_PIX_FMT_NONE;
    bool m_draining = false;
    bool m_paced = false;
    bool m_paceStarted = false;
    std::chrono::steady_clock::time_point m_paceOrigin; // when a picture stamped 0 is due
    QString m_error;
};

} // namespace engine
