#include "core/engine/StreamSource.h"

#include "core/ports/ControlError.h"

#include <condition_variable>
#include <mutex>

namespace engine {

using ports::ControlError;

int StreamSource::interrupted(void* opaque) {
    const auto* self = static_cast<StreamSource*>(opaque);
    if (self->m_stop.stop_requested())
        return 1;
    if (std::chrono::steady_clock::now() > self->m_deadline) {
        self->m_timedOut = true;
        return 1;
    }
    return 0;
}

QString StreamSource::failure(const QString& what, int rc) const {
    if (m_timedOut && !m_stop.stop_requested())
        return QStringLiteral("The camera did not answer within %1 seconds").arg(kWait.count());
    return QStringLiteral("%1 (%2)").arg(what, avError(rc));
}

StreamSource::StreamSource(const QString& url, bool paced, std::stop_token stop) : m_stop(stop) {
    registerDevices();
    avformat_network_init();
    const auto fail = [&url](const QString& why) {
        return ControlError(ports::errors::kDeviceOpenFailed,
                            QStringLiteral("%1: %2").arg(url, why));
    };
    m_deadline = std::chrono::steady_clock::now() + kWait;
    auto opened = openInput(url.toUtf8(), nullptr, nullptr,
                            AVIOInterruptCB{&StreamSource::interrupted, this});
    if (!opened)
        throw fail(failure(QStringLiteral("The camera cannot be reached"), opened.error));
    m_input = std::move(opened.ptr);
    AVFormatContext* ctx = m_input.get();
    m_deadline = std::chrono::steady_clock::now() + kWait;
    int rc = avformat_find_stream_info(ctx, nullptr);
    if (rc < 0)
        throw fail(failure(QStringLiteral("The camera's stream cannot be read"), rc));
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        throw fail(QStringLiteral("The camera sends no picture that can be decoded"));
    const AVStream* st = ctx->streams[m_stream];
    m_timeBase = st->time_base;
    auto decoding = openDecoder(st, codec);
    if (!decoding)
        throw fail(decoding.error == AVERROR(ENOMEM)
                       ? QStringLiteral("Out of memory")
                       : failure(QStringLiteral("The camera's pictures cannot be decoded"),
                                 decoding.error));
    m_decoder = std::move(decoding.ptr);
    m_packet = makePacket();
    // The decoded size and format are known for sure only from a picture.
    m_pending = read(stop);
    if (!m_pending)
        throw fail(m_error);
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
        DecodedPicture got = receivePicture(m_decoder.get(), m_timeBase, m_format, m_size);
        if (got.picture)
            return pace(std::move(got.picture), stop);
        if (!got.error.isEmpty()) {
            m_error = got.error;
            return nullptr;
        }
        int rc = got.rc;
        if (rc == AVERROR_EOF) {
            m_error = QStringLiteral("The stream ended");
            return nullptr;
        }
        if (rc != AVERROR(EAGAIN)) {
            m_error = failure(QStringLiteral("The camera's pictures cannot be decoded"), rc);
            return nullptr;
        }
        if (m_draining) {
            m_error = QStringLiteral("The stream ended");
            return nullptr;
        }
        m_deadline = std::chrono::steady_clock::now() + kWait;
        m_timedOut = false;
        rc = av_read_frame(m_input.get(), m_packet.get());
        if (m_timedOut && !stop.stop_requested()) {
            // The demuxer hands out what it held when the wait ran out (the last picture before
            // the stream went silent): it is no news from the camera.
            av_packet_unref(m_packet.get());
            m_error = failure(QString(), rc);
            return nullptr;
        }
        if (rc == AVERROR_EOF) {
            m_draining = true; // the pictures the decoder still holds come first
            avcodec_send_packet(m_decoder.get(), nullptr);
            continue;
        }
        if (rc < 0) {
            if (!stop.stop_requested())
                m_error = failure(QStringLiteral("The camera stopped sending"), rc);
            return nullptr;
        }
        if (m_packet->stream_index == m_stream) {
            rc = avcodec_send_packet(m_decoder.get(), m_packet.get());
            if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA) {
                av_packet_unref(m_packet.get());
                m_error = failure(QStringLiteral("The camera's pictures cannot be decoded"), rc);
                return nullptr;
            }
        }
        av_packet_unref(m_packet.get());
    }
}

} // namespace engine
