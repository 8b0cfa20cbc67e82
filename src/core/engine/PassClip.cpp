#include "core/engine/PassClip.h"

#include "core/app/PartFile.h"
#include "core/engine/AvPtr.h"
#include "core/engine/FrameCanvas.h"
#include "core/engine/FrameDecoder.h"
#include "core/engine/SegmentText.h"
#include "core/run/PassTiming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

extern "C" {
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
}

namespace engine {

namespace {

int evenDown(int v) {
    return v & ~1;
}

QString runBase(const QString& run) {
    QString base = run;
    if (base.endsWith(QStringLiteral(".avi"), Qt::CaseInsensitive))
        base.chop(4);
    return base;
}

PassClipResult failure(const QString& error) {
    PassClipResult r;
    r.error = error;
    return r;
}

// The encoder and its container.
struct Output {
    OutputFormatPtr format;
    CodecContextPtr codec;
    AVStream* stream = nullptr;
    SwsPtr sws;
    FramePtr frame;
    PacketPtr packet;
};

QString openClipOutput(Output& out, const QString& path, bool h264, QSize size, AVRational rate) {
    auto output = openOutput(h264 ? "mp4" : "avi", QFile::encodeName(path));
    if (!output)
        return avError(output.error);
    out.format = std::move(output.ptr);
    int rc = 0;
    const AVCodec* codec =
        h264 ? avcodec_find_encoder_by_name("libx264") : avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (!codec)
        return QStringLiteral("no video encoder");
    DictPtr options;
    if (h264 && (rc = dictSet(options, "preset", "veryfast")) < 0)
        return avError(rc);
    const bool globalHeader = out.format->oformat->flags & AVFMT_GLOBALHEADER;
    auto opened = openEncoder(
        codec,
        [&](AVCodecContext* c) {
            c->width = size.width();
            c->height = size.height();
            c->time_base = av_inv_q(rate);
            c->framerate = rate;
            c->pix_fmt = h264 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUVJ420P;
            if (globalHeader)
                c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            if (!h264) {
                c->flags |= AV_CODEC_FLAG_QSCALE;
                c->global_quality = FF_QP2LAMBDA * 3;
            }
            return 0;
        },
        &options);
    if (!opened)
        return opened.error == AVERROR(ENOMEM) ? QStringLiteral("out of memory")
                                               : avError(opened.error);
    out.codec = std::move(opened.ptr);
    out.stream = avformat_new_stream(out.format.get(), nullptr);
    out.frame = makeFrame();
    out.packet = makePacket();
    if (!out.stream || !out.frame || !out.packet)
        return QStringLiteral("out of memory");
    AVCodecContext* c = out.codec.get();
    if ((rc = avcodec_parameters_from_context(out.stream->codecpar, c)) < 0)
        return avError(rc);
    out.stream->time_base = c->time_base;
    out.stream->avg_frame_rate = rate;
    out.frame->format = c->pix_fmt;
    out.frame->width = c->width;
    out.frame->height = c->height;
    if ((rc = av_frame_get_buffer(out.frame.get(), 0)) < 0)
        return avError(rc);
    out.sws.reset(sws_getContext(c->width, c->height, AV_PIX_FMT_RGB32, c->width, c->height,
                                 c->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!out.sws)
        return QStringLiteral("no picture conversion");
    if ((rc = avformat_write_header(out.format.get(), nullptr)) < 0)
        return avError(rc);
    return {};
}

// Sends `frame` (null: drains) and writes every packet the encoder gives back.
QString encode(Output& out, const AVFrame* frame) {
    int rc = avcodec_send_frame(out.codec.get(), frame);
    if (rc < 0)
        return avError(rc);
    while ((rc = avcodec_receive_packet(out.codec.get(), out.packet.get())) >= 0) {
        av_packet_rescale_ts(out.packet.get(), out.codec->time_base, out.stream->time_base);
        out.packet->stream_index = out.stream->index;
        if ((rc = av_interleaved_write_frame(out.format.get(), out.packet.get())) < 0)
            return avError(rc);
    }
    return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? QString() : avError(rc);
}

// Pictures handed from the decoding thread to the encoding one; at most kAhead wait.
class SlotQueue {
public:
    static constexpr std::size_t kAhead = 4;

    // Decoding thread. False when the encoder has stopped.
    bool push(FramePtr picture) {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_stop || m_pictures.size() < kAhead; });
        if (m_stop)
            return false;
        m_pictures.push_back(std::move(picture));
        m_ready.notify_one();
        return true;
    }
    // Decoding thread: no more pictures; `failedAt` is the slot that had none (-1: all given).
    void finish(int failedAt) {
        std::lock_guard lock(m_mutex);
        m_done = true;
        m_failedAt = failedAt;
        m_ready.notify_one();
    }
    // Encoding thread: the next slot's picture, null when the decoder had none.
    FramePtr pop() {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [&] { return m_done || !m_pictures.empty(); });
        if (m_pictures.empty())
            return nullptr;
        FramePtr picture = std::move(m_pictures.front());
        m_pictures.pop_front();
        m_room.notify_one();
        return picture;
    }
    // Encoding thread: the decoder is to stop.
    void stop() {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_room.notify_one();
    }
    QString failure(int slot, const QString& run) {
        std::lock_guard lock(m_mutex);
        return QStringLiteral("Cannot decode frame %1 of %2")
            .arg(m_failedAt >= 0 ? m_failedAt : slot)
            .arg(run);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_room, m_ready;
    std::deque<FramePtr> m_pictures;
    bool m_done = false;
    bool m_stop = false;
    int m_failedAt = -1;
};

// Stops the decoding thread when the encoding one leaves, whatever the way out.
class StopOnExit {
public:
    explicit StopOnExit(SlotQueue& queue) : m_queue(queue) {}
    ~StopOnExit() { m_queue.stop(); }
    StopOnExit(const StopOnExit&) = delete;
    StopOnExit& operator=(const StopOnExit&) = delete;

private:
    SlotQueue& m_queue;
};

// Decoding thread: the picture of every slot from `first` to `last` into `queue`.
void decodeSlots(FrameDecoder& decoder, int first, int last, SlotQueue& queue) {
    FramePtr latest = makeFrame(); // the picture of the last slot that had one
    for (int n = first; n <= last; ++n) {
        while (decoder.lastIndex() < n) {
            if (!decoder.decodeNext())
                break;
        }
        if (decoder.lastIndex() == n && decoder.currentFrame()) {
            av_frame_unref(latest.get());
            if (av_frame_ref(latest.get(), decoder.currentFrame()) < 0)
                return queue.finish(n);
        }
        FramePtr picture = makeFrame();
        if (!latest->data[0] || !picture || av_frame_ref(picture.get(), latest.get()) < 0)
            return queue.finish(n);
        if (!queue.push(std::move(picture)))
            return;
    }
    queue.finish(-1);
}

} // namespace

bool passClipUsesH264() {
    return avcodec_find_encoder_by_name("libx264") != nullptr;
}

QString passClipPath(const QString& run, bool mp4) {
    const QString base = runBase(run) + QStringLiteral("-pass");
    const QString ext = mp4 ? QStringLiteral(".mp4") : QStringLiteral(".avi");
    QString path = base + ext;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral("-%1").arg(n) + ext;
    return path;
}

QString passClockText(int frame, const PassClipRequest& request, int rateNum, int rateDen) {
    return run::framesAsSeconds(int64_t(std::min(frame, request.endFrame)) - request.startFrame,
                                run::Fraction{rateNum, rateDen});
}

PassClockLayout passClockLayout(QSize size) {
    PassClockLayout l;
    l.height = std::max(8, evenDown(size.height() / 10));
    const int t = std::max(2, evenDown(l.height / 8));
    const int y = size.height() - l.height - 3 * t;
    l.clock = QPoint(evenDown(size.width() / 40) + t, y);
    l.frame = QPoint(size.width() - segmentTextWidth(QStringLiteral("00000"), l.height) -
                         evenDown(size.width() / 40),
                     y);
    l.end = QPoint(l.clock.x() + segmentTextWidth(QStringLiteral("-00.00 "), l.height), y);
    return l;
}

namespace {

// Calls fill(rect, colour) for every rectangle of the texts of `frame` on a picture of `size`.
template <typename Fill>
void passClockRects(QSize size, int frame, const PassClipRequest& request, int rateNum, int rateDen,
                    Fill fill) {
    const PassClockLayout l = passClockLayout(size);
    auto draw = [&](const QString& text, QPoint at, QRgb backing) {
        for (const SegmentRect& r : segmentTextRects(text, at.x(), at.y(), l.height))
            fill(r.rect, r.lit ? qRgb(255, 255, 255) : backing);
    };
    draw(passClockText(frame, request, rateNum, rateDen), l.clock, qRgb(0, 0, 0));
    draw(QString::number(frame), l.frame, qRgb(0, 0, 0));
    if (frame >= request.endFrame)
        draw(QStringLiteral("End"), l.end, qRgb(200, 0, 0));
}

} // namespace

void burnPassClock(QImage& picture, int frame, const PassClipRequest& request, int rateNum,
                   int rateDen) {
    QPainter p(&picture);
    passClockRects(picture.size(), frame, request, rateNum, rateDen,
                   [&](const QRect& r, QRgb c) { p.fillRect(r, QColor(c)); });
}

void burnPassClock(AVFrame* picture, int frame, const PassClipRequest& request, int rateNum,
                   int rateDen) {
    passClockRects(QSize(picture->width, picture->height), frame, request, rateNum, rateDen,
                   [&](const QRect& r, QRgb c) { fillRect(picture, r, c); });
}

PassClipResult writePassClip(const PassClipRequest& request, const ClipProgress& progress) {
    FrameDecoder decoder;
    if (!decoder.open(request.run))
        return failure(QStringLiteral("Cannot read %1: %2").arg(request.run, decoder.error()));
    const AVRational rate = decoder.frameRate();
    if (rate.num <= 0 || rate.den <= 0 || decoder.frameCount() <= 0)
        return failure(QStringLiteral("%1 has no frame rate").arg(request.run));
    const int margin = request.marginFrames >= 0
                           ? request.marginFrames
                           : int(av_rescale_rnd(2, rate.num, rate.den, AV_ROUND_NEAR_INF));
    const int lastRecorded = decoder.frameCount() - 1;
    // A pass that lies entirely outside the recording has nothing to show.
    if (request.startFrame > lastRecorded || request.endFrame < 0 ||
        request.endFrame < request.startFrame)
        return failure(QStringLiteral("The pass (frames %1 to %2) lies outside the recording %3, "
                                      "which holds frames 0 to %4")
                           .arg(request.startFrame)
                           .arg(request.endFrame)
                           .arg(request.run)
                           .arg(lastRecorded));
    const int first = std::max(0, request.startFrame - margin);
    const int last = std::min(lastRecorded, request.endFrame + margin);
    const int total = last - first + 1;

    const bool h264 = passClipUsesH264();
    const QString target = passClipPath(request.run, h264);
    app::PartFile part(app::partPathFor(target));
    // Chroma is subsampled: the encoder takes even sizes.
    const QSize size(evenDown(decoder.frameSize().width()), evenDown(decoder.frameSize().height()));
    Output out;
    {
        const QString err = openClipOutput(out, part.path(), h264, size, rate);
        if (!err.isEmpty())
            return failure(QStringLiteral("Cannot write %1: %2").arg(target, err));
    }

    if (!decoder.seekToKeyFor(first, first))
        return failure(QStringLiteral("Cannot read %1").arg(request.run));

    // The decoder runs on a thread of its own, a few pictures ahead of the encoder: the picture
    // of every slot in order, a slot without a picture of its own repeating the last one.
    SlotQueue queue;
    std::jthread decoding([&] { decodeSlots(decoder, first, last, queue); });
    const StopOnExit stopDecoding(queue);

    // The encoder's own pixel format when the texts can be painted into it directly: the
    // picture goes from the decoder to the encoder in one conversion, without RGB on the way.
    const bool direct = canvasSupports(AVPixelFormat(out.codec->pix_fmt));
    SwsPtr convert;
    int written = 0;
    for (int n = first; n <= last; ++n) {
        FramePtr source = queue.pop();
        if (!source)
            return failure(queue.failure(n, request.run));
        int rc = av_frame_make_writable(out.frame.get());
        if (rc < 0)
            return failure(avError(rc));
        const AVPixelFormat to = direct ? AVPixelFormat(out.frame->format) : AV_PIX_FMT_RGB32;
        convert.reset(sws_getCachedContext(
            convert.release(), size.width(), size.height(), AVPixelFormat(source->format),
            size.width(), size.height(), to, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!convert)
            return failure(QStringLiteral("no picture conversion"));
        if (direct) {
            sws_scale(convert.get(), source->data, source->linesize, 0, size.height(),
                      out.frame->data, out.frame->linesize);
            burnPassClock(out.frame.get(), n, request, rate.num, rate.den);
        } else {
            QImage picture(size, QImage::Format_RGB32);
            uint8_t* rgb[4] = {picture.bits(), nullptr, nullptr, nullptr};
            const int rgbStride[4] = {int(picture.bytesPerLine()), 0, 0, 0};
            sws_scale(convert.get(), source->data, source->linesize, 0, size.height(), rgb,
                      rgbStride);
            burnPassClock(picture, n, request, rate.num, rate.den);
            const uint8_t* src[4] = {picture.constBits(), nullptr, nullptr, nullptr};
            sws_scale(out.sws.get(), src, rgbStride, 0, size.height(), out.frame->data,
                      out.frame->linesize);
        }
        out.frame->pts = written;
        const QString err = encode(out, out.frame.get());
        if (!err.isEmpty())
            return failure(QStringLiteral("Cannot write %1: %2").arg(target, err));
        ++written;
        if (progress && !progress(written, total)) {
            PassClipResult r;
            r.cancelled = true;
            r.error = QStringLiteral("Cancelled");
            return r;
        }
    }
    QString err = encode(out, nullptr);
    int rc = 0;
    if (err.isEmpty() && (rc = av_write_trailer(out.format.get())) < 0)
        err = avError(rc);
    if (err.isEmpty() && (rc = avio_closep(&out.format->pb)) < 0)
        err = avError(rc);
    if (!err.isEmpty())
        return failure(QStringLiteral("Cannot write %1: %2").arg(target, err));
    out = Output{};
    if (!QFile::rename(part.path(), target))
        return failure(QStringLiteral("Cannot save the clip as %1").arg(target));
    part.release();
    PassClipResult r;
    r.ok = true;
    r.path = target;
    r.frames = written;
    r.firstFrame = first;
    if (last < request.endFrame)
        r.shortfall = QStringLiteral("The recording ends at frame %1, before the end of the pass "
                                     "(frame %2): the clip stops there and never shows \"End\".")
                          .arg(last)
                          .arg(request.endFrame);
    else if (last < request.endFrame + margin)
        r.shortfall = QStringLiteral("The recording ends at frame %1, %2 s after the end of the "
                                     "pass: the clip stops there, short of the %3 s after it.")
                          .arg(last)
                          .arg(run::framesAsSeconds(last - request.endFrame,
                                                    run::Fraction{rate.num, rate.den}))
                          .arg(run::framesAsSeconds(margin, run::Fraction{rate.num, rate.den}));
    return r;
}

} // namespace engine
