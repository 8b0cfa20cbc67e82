#include "core/engine/StreamSource.h"

#include "core/ports/ControlError.h"

#include <condition_variable>
#include <mutex>

namespace av {

using platform::ControlError;
namespace errors = platform::errors;

int StreamSource::interrupted(void* opaque) {
    const auto* self = static_cast<StreamSource*>(opaque);
    return self->m_stop.stop_requested() || std::chrono::steady_clock::now() > self->m_deadline ? 1
                                                                                                : 0;
}

StreamSource::StreamSource(const QString& url, bool paced) {
    registerDevices();
    avformat_network_init();
    m_deadline = std::chrono::steady_clock::now() + kWait;
    auto opened = openInput(url.toUtf8(), nullptr, nullptr,
                            AVIOInterruptCB{&StreamSource::interrupted, this});
    if (!opened)
        throw ControlError(errors::kDeviceOpenFailed,
                           QStringLiteral("Cannot open %1: %2").arg(url, avError(opened.error)));
    m_input = std::move(opened.ptr);
    AVFormatContext* ctx = m_input.get();
    m_deadline = std::chrono::steady_clock::now() + kWait;
    int rc = avformat_find_stream_info(ctx, nullptr);
    if (rc < 0)
        throw ControlError(errors::kDeviceOpenFailed,
                           QStringLiteral("%1 cannot be read: %2").arg(url, avError(rc)));
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        throw ControlError(errors::kDeviceOpenFailed,
                           QStringLiteral("%1 has no picture that can be decoded").arg(url));
    const AVStream* st = ctx->streams[m_stream];
    m_timeBase = st->time_base;
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), st->codecpar) < 0)
        throw ControlError(errors::kDeviceOpenFailed, QStringLiteral("Out of memory"));
    rc = avcodec_open2(m_decoder.get(), codec, nullptr);
    if (rc < 0)
        throw ControlError(errors::kDeviceOpenFailed,
                           QStringLiteral("Cannot decode %1: %2").arg(url, avError(rc)));
    m_packet = makePacket();
    // The decoded size and format are known for sure only from a picture.
    m_pending = read(std::stop_token());
    if (!m_pending)
        throw ControlError(errors::kDeviceOpenFailed,
                           QStringLiteral("%1 gives no pictures: %2").arg(url, m_error));
    m_format = AVPixelFormat(m_pending->format);
    m_size = QSize(m_pending->width, m_pending->height);
    m_paced = paced && ctx->pb && (ctx->pb->seekable & AVIO_SEEKABLE_NORMAL);
}

// Holds a file's picture until its time has come; a stamp that jumps more than kWait ahead
// starts the pace afresh.
FramePtr StreamSource::pace(FramePtr frame, std::stop_token stop) {
    if (!m_paced || !frame)
        return frame;
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const microseconds at(frame->pts);
    if (!m_paceStarted || m_paceOrigin + at - now > kWait) {
        m_paceOrigin = now - at;
        m_paceStarted = true;
    }
    std::mutex mutex;
    std::condition_variable_any never;
    std::unique_lock lock(mutex);
    never.wait_until(lock, stop, m_paceOrigin + at, [] { return false; });
    return stop.stop_requested() ? nullptr : std::move(frame);
}

// Device thread (the constructor's first call aside).
FramePtr StreamSource::read(std::stop_token stop) {
    m_stop = stop;
    if (m_pending)
        return pace(std::move(m_pending), stop);
    for (;;) {
        if (stop.stop_requested())
            return nullptr;
        FramePtr f = makeFrame();
        int rc = avcodec_receive_frame(m_decoder.get(), f.get());
        if (rc >= 0) {
            if (!keepsFormat(f.get(), m_format, m_size)) {
                m_error = QStringLiteral("The stream changed its picture format");
                return nullptr;
            }
            f->pts = captureTimeUs(f.get(), m_timeBase);
            return pace(std::move(f), stop);
        }
        if (rc == AVERROR_EOF) {
            m_error = QStringLiteral("The stream ended");
            return nullptr;
        }
        if (rc != AVERROR(EAGAIN)) {
            m_error =
                QStringLiteral("The stream's pictures cannot be decoded: %1").arg(avError(rc));
            return nullptr;
        }
        if (m_draining) {
            m_error = QStringLiteral("The stream ended");
            return nullptr;
        }
        m_deadline = std::chrono::steady_clock::now() + kWait;
        rc = av_read_frame(m_input.get(), m_packet.get());
        if (rc == AVERROR_EOF) {
            m_draining = true; // the pictures the decoder still holds come first
            avcodec_send_packet(m_decoder.get(), nullptr);
            continue;
        }
        if (rc < 0) {
            if (!stop.stop_requested())
                m_error = QStringLiteral("The stream stopped (%1)").arg(avError(rc));
            return nullptr;
        }
        if (m_packet->stream_index == m_stream) {
            rc = avcodec_send_packet(m_decoder.get(), m_packet.get());
            if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA) {
                av_packet_unref(m_packet.get());
                m_error =
                    QStringLiteral("The stream's pictures cannot be decoded: %1").arg(avError(rc));
                return nullptr;
            }
        }
        av_packet_unref(m_packet.get());
    }
}

} // namespace av
