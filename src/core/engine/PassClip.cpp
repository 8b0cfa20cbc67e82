#include "core/engine/PassClip.h"

#include "core/app/PartFile.h"
#include "core/engine/AvPtr.h"
#include "core/engine/FrameCanvas.h"
#include "core/engine/FrameDecoder.h"
#include "core/engine/SegmentText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>

extern "C" {
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
}

namespace av {

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

QString openOutput(Output& out, const QString& path, bool h264, QSize size, AVRational rate) {
    AVFormatContext* raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, nullptr, h264 ? "mp4" : "avi",
                                            QFile::encodeName(path).constData());
    out.format.reset(raw);
    if (rc < 0 || !out.format)
        return avError(rc);
    const AVCodec* codec =
        h264 ? avcodec_find_encoder_by_name("libx264") : avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (!codec)
        return QStringLiteral("no video encoder");
    out.codec.reset(avcodec_alloc_context3(codec));
    out.stream = avformat_new_stream(out.format.get(), nullptr);
    out.frame = makeFrame();
    out.packet = makePacket();
    if (!out.codec || !out.stream || !out.frame || !out.packet)
        return QStringLiteral("out of memory");
    AVCodecContext* c = out.codec.get();
    c->width = size.width();
    c->height = size.height();
    c->time_base = av_inv_q(rate);
    c->framerate = rate;
    c->pix_fmt = h264 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUVJ420P;
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    DictPtr options;
    if (h264) {
        if ((rc = dictSet(options, "preset", "veryfast")) < 0)
            return avError(rc);
    } else {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 3;
    }
    AVDictionary* opts = options.release();
    rc = avcodec_open2(c, codec, &opts);
    options.reset(opts);
    if (rc < 0)
        return avError(rc);
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
    if ((rc = avio_open(&out.format->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE)) < 0)
        return avError(rc);
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
    qint64 hundredths = 0;
    if (frame >= request.endFrame)
        hundredths = qRound64(request.passSeconds * 100);
    else
        hundredths = av_rescale_rnd(qint64(frame - request.startFrame) * 100, rateDen, rateNum,
                                    AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    const QString sign = hundredths < 0 ? QStringLiteral("-") : QString();
    const qint64 v = std::abs(hundredths);
    return sign + QStringLiteral("%1.%2").arg(v / 100).arg(v % 100, 2, 10, QLatin1Char('0'));
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
    const int first = std::max(0, request.startFrame - margin);
    const int last = std::min(decoder.frameCount() - 1, request.endFrame + margin);
    if (request.startFrame < 0 || request.startFrame >= decoder.frameCount() || last < first)
        return failure(QStringLiteral("The start frame %1 is not in %2")
                           .arg(request.startFrame)
                           .arg(request.run));
    const int total = last - first + 1;

    const bool h264 = passClipUsesH264();
    const QString target = passClipPath(request.run, h264);
    const QFileInfo info(target);
    app::PartFile part(info.dir().filePath(
        QStringLiteral(".%1.part.%2").arg(info.completeBaseName(), info.suffix())));
    // Chroma is subsampled: the encoder takes even sizes.
    const QSize size(evenDown(decoder.frameSize().width()), evenDown(decoder.frameSize().height()));
    Output out;
    {
        const QString err = openOutput(out, part.path(), h264, size, rate);
        if (!err.isEmpty())
            return failure(QStringLiteral("Cannot write %1: %2").arg(target, err));
    }

    if (!decoder.seekToKeyFor(first))
        return failure(QStringLiteral("Cannot read %1").arg(request.run));
    int written = 0;
    QImage previous;
    // The encoder's own pixel format when the texts can be painted into it directly: the
    // picture goes from the decoder to the encoder in one conversion, without RGB on the way.
    const bool direct = canvasSupports(AVPixelFormat(out.codec->pix_fmt));
    FramePtr source = makeFrame(); // the picture of the last slot that had one
    SwsPtr toOutput;
    for (int n = first; n <= last; ++n) {
        // Frames come out in order; a slot the decoder has no picture for repeats the last one.
        while (decoder.lastIndex() < n) {
            if (!decoder.decodeNext())
                break;
        }
        int rc = av_frame_make_writable(out.frame.get());
        if (rc < 0)
            return failure(avError(rc));
        if (direct) {
            if (decoder.lastIndex() == n && decoder.currentFrame()) {
                av_frame_unref(source.get());
                if ((rc = av_frame_ref(source.get(), decoder.currentFrame())) < 0)
                    return failure(avError(rc));
            }
            if (!source->data[0])
                return failure(
                    QStringLiteral("Cannot decode frame %1 of %2").arg(n).arg(request.run));
            toOutput.reset(sws_getCachedContext(toOutput.release(), size.width(), size.height(),
                                                AVPixelFormat(source->format), size.width(),
                                                size.height(), AVPixelFormat(out.frame->format),
                                                SWS_BICUBIC, nullptr, nullptr, nullptr));
            if (!toOutput)
                return failure(QStringLiteral("no picture conversion"));
            sws_scale(toOutput.get(), source->data, source->linesize, 0, size.height(),
                      out.frame->data, out.frame->linesize);
            burnPassClock(out.frame.get(), n, request, rate.num, rate.den);
        } else {
            QImage picture = decoder.lastIndex() == n ? decoder.currentImage() : previous;
            if (picture.isNull())
                return failure(
                    QStringLiteral("Cannot decode frame %1 of %2").arg(n).arg(request.run));
            previous = picture;
            if (picture.size() != size || picture.format() != QImage::Format_RGB32)
                picture = picture.convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(), size));
            burnPassClock(picture, n, request, rate.num, rate.den);
            const uint8_t* src[4] = {picture.constBits(), nullptr, nullptr, nullptr};
            const int stride[4] = {int(picture.bytesPerLine()), 0, 0, 0};
            sws_scale(out.sws.get(), src, stride, 0, size.height(), out.frame->data,
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
    return r;
}

} // namespace av
