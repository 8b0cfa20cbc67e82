#include "core/engine/AviWriter.h"

#include "core/engine/CameraJpeg.h"
#include "core/engine/Codecs.h"
#include "core/ports/ControlError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace engine {

using ports::ControlError;

// The file under the muxer: a descriptor opened with O_EXCL, written through a custom I/O
// context so that the exclusive create and the write errors (a full disk) stay in our hands.
struct AviWriter::Output {
    int fd = -1;
    ~Output() {
        if (fd >= 0)
            ::close(fd);
    }
    static int write(void* opaque, uint8_t* buf, int size) { // FFmpeg 5 signature
        auto* self = static_cast<Output*>(opaque);
        int left = size;
        while (left > 0) {
            const ssize_t n = ::write(self->fd, buf, size_t(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return AVERROR(errno);
            }
            buf += n;
            left -= int(n);
        }
        return size;
    }
    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* self = static_cast<Output*>(opaque);
        if (whence & AVSEEK_SIZE) {
            struct stat st {};
            return ::fstat(self->fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
        }
        const off_t r = ::lseek(self->fd, offset, whence & ~AVSEEK_FORCE);
        return r < 0 ? AVERROR(errno) : int64_t(r);
    }
};

namespace {

QString describe(int code) {
    if (code == AVERROR(ENOSPC))
        return QStringLiteral("the disk is full");
    return avError(code);
}

AVPixelFormat encoderFormat(const AVCodec* codec, AVPixelFormat source) {
    if (codec->id == AV_CODEC_ID_RAWVIDEO) {
        // Uncompressed AVI: the formats common players know.
        if (source == AV_PIX_FMT_YUV420P || source == AV_PIX_FMT_YUYV422 ||
            source == AV_PIX_FMT_BGR24)
            return source;
        return AV_PIX_FMT_BGR24;
    }
    if (codec->id == AV_CODEC_ID_MJPEG) // full-range JPEG formats, as every decoder expects
        return source == AV_PIX_FMT_YUYV422 ? AV_PIX_FMT_YUVJ422P : AV_PIX_FMT_YUVJ420P;
    if (!codec->pix_fmts)
        return source;
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, nullptr);
}

} // namespace

AviWriter::AviWriter(const RecordingSettings& settings)
    : m_settings(settings), m_out(std::make_unique<Output>()) {
    if (settings.path.isEmpty())
        throw ControlError(ports::errors::kFileCreateFailed, QStringLiteral("No file name is set"));
    const QByteArray path = QFile::encodeName(settings.path);
    m_out->fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (m_out->fd < 0) {
        const int err = errno;
        if (err == EEXIST)
            throw ControlError(ports::errors::kFileExists,
                               QStringLiteral("The file %1 already exists").arg(settings.path));
        throw ControlError(ports::errors::kFileCreateFailed,
                           QStringLiteral("Cannot create %1: %2")
                               .arg(settings.path, QString::fromLocal8Bit(std::strerror(err))));
    }
    try {
        constexpr int kIoBuffer = 256 * 1024;
        m_io = makeAvio(kIoBuffer, true, m_out.get(), nullptr, &Output::write, &Output::seek);
        if (!m_io)
            throw ControlError(ports::errors::kFileCreateFailed, QStringLiteral("Out of memory"));
        auto output = openOutput("avi", m_io.get());
        if (!output)
            throw ControlError(ports::errors::kNotSupported,
                               QStringLiteral("No AVI muxer: %1").arg(avError(output.error)));
        m_format = std::move(output.ptr);
        // Every packet to the system as soon as it is placed: what the muxer has placed is
        // then what the file holds (framesWritten), also when a write fails.
        m_format->flush_packets = 1;
        m_packet = makePacket();
        openVideo();
        if (settings.audio)
            openAudio();
        const int rc = avformat_write_header(m_format.get(), nullptr);
        if (rc < 0)
            throw ControlError(
                ports::errors::kFileCreateFailed,
                QStringLiteral("Cannot write %1: %2").arg(settings.path, describe(rc)));
        avio_flush(m_format->pb);
        // The header waits in the I/O buffer until this flush: a full disk shows only here, and
        // a recording that cannot write its header would hold nothing.
        if (m_format->pb->error < 0)
            throw ControlError(ports::errors::kFileCreateFailed,
                               QStringLiteral("Cannot write %1: %2")
                                   .arg(settings.path, describe(m_format->pb->error)));
        m_sinceFlush.start();
    } catch (...) {
        m_format.reset();
        m_out.reset();
        ::unlink(path.constData()); // ours, made a moment ago: nothing of the user's is lost
        throw;
    }
}

AviWriter::~AviWriter() {
    finish();
}

void AviWriter::openVideo() {
    const auto& list = videoCompressors();
    const int ci = m_settings.videoCompressor;
    if (ci >= int(list.size()))
        throw ControlError(ports::errors::kInvalidIndex,
                           QStringLiteral("No video compressor %1").arg(ci));
    const AVCodec* codec = ci < 0 ? avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO)
                                  : avcodec_find_encoder_by_name(list[size_t(ci)].encoder);
    if (!codec)
        throw ControlError(ports::errors::kNotSupported,
                           QStringLiteral("The video compressor is missing"));
    m_passJpeg = m_settings.cameraJpeg && codec->id == AV_CODEC_ID_MJPEG;
    auto opened = openEncoder(codec, [&](AVCodecContext* c) {
        c->width = m_settings.width;
        c->height = m_settings.height;
        c->pix_fmt = encoderFormat(codec, m_settings.sourceFormat);
        c->time_base = AVRational{1, m_settings.fps};
        c->framerate = AVRational{m_settings.fps, 1};
        c->sample_aspect_ratio = AVRational{1, 1};
        c->thread_count = 0; // one per core
        const int q = std::clamp(m_settings.quality, 1, 100);
        switch (codec->id) {
        case AV_CODEC_ID_MJPEG:
        case AV_CODEC_ID_MPEG4:
            c->flags |= AV_CODEC_FLAG_QSCALE;
            c->global_quality = FF_QP2LAMBDA * qscaleForQuality(q);
            c->gop_size = m_settings.fps;
            c->max_b_frames = 0;
            break;
        case AV_CODEC_ID_H264:
            c->gop_size = m_settings.fps; // a key frame every second keeps stepping fast
            c->max_b_frames = 0;          // AVI has no reordering
            av_opt_set(c->priv_data, "preset", "ultrafast", 0);
            av_opt_set_double(c->priv_data, "crf", 18.0 + (100 - q) * 0.33, 0);
            break;
        case AV_CODEC_ID_FFV1:
            c->level = 3;
            av_opt_set_int(c->priv_data, "slices", 4, 0);
            break;
        default:
            break;
        }
        if (c->pix_fmt == AV_PIX_FMT_YUVJ420P || c->pix_fmt == AV_PIX_FMT_YUVJ422P)
            c->color_range = AVCOL_RANGE_JPEG;
        // The camera's JPEGs go straight to the file: a picture the encoder makes meanwhile (an
        // effect switched on) must come out at once, not frames later, to keep the order.
        if (m_passJpeg)
            c->thread_type = FF_THREAD_SLICE;
        return 0;
    });
    if (!opened)
        throw ControlError(
            ports::errors::kNotSupported,
            QStringLiteral("Cannot open the video compressor: %1").arg(avError(opened.error)));
    m_video = std::move(opened.ptr);
    AVCodecContext* c = m_video.get();
    m_videoStream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_videoStream)
        throw ControlError(ports::errors::kFileCreateFailed, QStringLiteral("Out of memory"));
    m_videoStream->time_base = c->time_base;
    m_videoStream->avg_frame_rate = c->framerate;
    m_videoStream->r_frame_rate = c->framerate;
    int rc = avcodec_parameters_from_context(m_videoStream->codecpar, c);
    if (rc < 0)
        throw ControlError(ports::errors::kFileCreateFailed, avError(rc));
    if (c->pix_fmt != m_settings.sourceFormat) {
        // Sliced over every core: at 1920x1080 the conversion costs as much as compressing.
        m_sws.reset(sws_alloc_context());
        SwsContext* sws = m_sws.get();
        if (!sws || av_opt_set_int(sws, "srcw", c->width, 0) < 0 ||
            av_opt_set_int(sws, "srch", c->height, 0) < 0 ||
            av_opt_set_int(sws, "src_format", m_settings.sourceFormat, 0) < 0 ||
            av_opt_set_int(sws, "dstw", c->width, 0) < 0 ||
            av_opt_set_int(sws, "dsth", c->height, 0) < 0 ||
            av_opt_set_int(sws, "dst_format", c->pix_fmt, 0) < 0 ||
            av_opt_set_int(sws, "sws_flags", SWS_BICUBIC, 0) < 0 ||
            av_opt_set_int(sws, "threads", 0, 0) < 0 || sws_init_context(sws, nullptr, nullptr) < 0)
            m_sws.reset();
        if (!m_sws)
            throw ControlError(ports::errors::kNotSupported,
                               QStringLiteral("Cannot convert the camera's pictures"));
    }
}

void AviWriter::openAudio() {
    const auto& list = audioCompressors();
    const int ci = m_settings.audioCompressor;
    if (ci >= int(list.size()))
        throw ControlError(ports::errors::kInvalidIndex,
                           QStringLiteral("No audio compressor %1").arg(ci));
    const AVCodec* codec =
        ci >= 0 ? avcodec_find_encoder_by_name(list[size_t(ci)].encoder)
                : avcodec_find_encoder(m_settings.bitsPerSample == 8 ? AV_CODEC_ID_PCM_U8
                                                                     : AV_CODEC_ID_PCM_S16LE);
    if (!codec)
        throw ControlError(ports::errors::kNotSupported,
                           QStringLiteral("The audio compressor is missing"));
    auto opened = openEncoder(codec, [&](AVCodecContext* c) {
        c->sample_rate = m_settings.sampleRate;
        av_channel_layout_default(&c->ch_layout, m_settings.channels);
        c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        if (codec->sample_fmts)
            for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
                if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_S16P) {
                    c->sample_fmt = *f;
                    break;
                }
        c->time_base = AVRational{1, c->sample_rate};
        if (codec->id == AV_CODEC_ID_MP3)
            c->bit_rate = m_settings.channels == 1 ? 64000 : 128000;
        return 0;
    });
    if (!opened)
        throw ControlError(ports::errors::kNotSupported,
                           QStringLiteral("Cannot open the audio compressor at %1 Hz: %2")
                               .arg(m_settings.sampleRate)
                               .arg(avError(opened.error)));
    m_audio = std::move(opened.ptr);
    AVCodecContext* c = m_audio.get();
    m_audioStream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_audioStream)
        throw ControlError(ports::errors::kFileCreateFailed, QStringLiteral("Out of memory"));
    m_audioStream->time_base = c->time_base;
    int rc = avcodec_parameters_from_context(m_audioStream->codecpar, c);
    if (rc < 0)
        throw ControlError(ports::errors::kFileCreateFailed, avError(rc));
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, m_settings.channels);
    auto resampler = makeResampler({&c->ch_layout, c->sample_fmt, c->sample_rate},
                                   {&layout, AV_SAMPLE_FMT_S16, c->sample_rate});
    if (!resampler)
        throw ControlError(ports::errors::kNotSupported,
                           QStringLiteral("Cannot convert the sound"));
    m_swr = std::move(resampler.ptr);
    m_fifo.reset(av_audio_fifo_alloc(c->sample_fmt, m_settings.channels, c->sample_rate));
    const bool variable = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
    m_audioFrameSize = (c->frame_size > 0 && !variable) ? c->frame_size : 0;
    m_audioFrame = makeFrame();
}

bool AviWriter::fail(const QString& what, int code) {
    if (m_error.isEmpty())
        m_error = what + QStringLiteral(": ") + describe(code);
    return false;
}

void AviWriter::flushSometimes() {
    if (m_sinceFlush.elapsed() >= 400) {
        avio_flush(m_format->pb);
        // Start writing back what the system holds, without waiting: a power cut loses little,
        // and closing the file does not stall on seconds of pictures.
        ::sync_file_range(m_out->fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        m_sinceFlush.restart();
    }
}

bool AviWriter::drain(AVCodecContext* enc, AVStream* stream) {
    for (;;) {
        int rc = avcodec_receive_packet(enc, m_packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return fail(QStringLiteral("Compressing failed"), rc);
        // No compressor here reorders pictures (no B-frames), and the AVI index places each
        // chunk by its decoding time: some encoders' frame threads report a shifted one.
        if (enc->codec_type == AVMEDIA_TYPE_VIDEO && m_packet->pts != AV_NOPTS_VALUE)
            m_packet->dts = m_packet->pts;
        // An encoder's priming samples (MP3) come out before time 0; AVI has no place for them
        // but the start, and shifting every stream to make room would push the video a frame.
        if (enc->codec_type == AVMEDIA_TYPE_AUDIO && enc->initial_padding > 0) {
            if (m_packet->pts != AV_NOPTS_VALUE)
                m_packet->pts += enc->initial_padding;
            if (m_packet->dts != AV_NOPTS_VALUE)
                m_packet->dts += enc->initial_padding;
        }
        av_packet_rescale_ts(m_packet.get(), enc->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        if (stream == m_videoStream)
            m_videoQueued.push_back(m_packet->dts);
        rc = av_interleaved_write_frame(m_format.get(), m_packet.get());
        countWrittenFrames();
        if (rc < 0)
            return fail(QStringLiteral("Writing the recording failed"), rc);
        if (m_format->pb->error < 0)
            return fail(QStringLiteral("Writing the recording failed"), m_format->pb->error);
    }
}

bool AviWriter::sendVideo(AVFrame* frame) {
    // A fixed-quantiser encoder (Motion JPEG, MPEG-4) takes its quantiser from each picture,
    // not from the context: without this every picture is coded at the finest one, whatever
    // quality was chosen.
    if (m_video->flags & AV_CODEC_FLAG_QSCALE)
        frame->quality = m_video->global_quality;
    int rc = avcodec_send_frame(m_video.get(), frame);
    if (rc < 0 && rc != AVERROR_EOF)
        return fail(QStringLiteral("Compressing failed"), rc);
    return drain(m_video.get(), m_videoStream);
}

bool AviWriter::writeJpeg(const AVBufferRef* jpeg, int64_t pts) {
    av_packet_unref(m_packet.get());
    m_packet->buf = av_buffer_ref(jpeg);
    if (!m_packet->buf)
        return fail(QStringLiteral("Out of memory"), AVERROR(ENOMEM));
    m_packet->data = jpeg->data;
    m_packet->size = int(jpeg->size);
    m_packet->flags |= AV_PKT_FLAG_KEY;
    m_packet->pts = m_packet->dts = pts;
    m_packet->duration = 1;
    av_packet_rescale_ts(m_packet.get(), m_video->time_base, m_videoStream->time_base);
    m_packet->stream_index = m_videoStream->index;
    m_videoQueued.push_back(m_packet->dts);
    const int rc = av_interleaved_write_frame(m_format.get(), m_packet.get());
    countWrittenFrames();
    if (rc < 0)
        return fail(QStringLiteral("Writing the recording failed"), rc);
    if (m_format->pb->error < 0)
        return fail(QStringLiteral("Writing the recording failed"), m_format->pb->error);
    return true;
}

bool AviWriter::writeVideo(AVFrame* frame) {
    if (failed() || m_finished)
        return false;
    if (const AVBufferRef* jpeg = cameraJpeg(frame);
        m_passJpeg && jpeg && frame->width == m_video->width && frame->height == m_video->height) {
        if (!writeJpeg(jpeg, frame->pts))
            return false;
        flushSometimes();
        return !failed();
    }
    if (!hasPixels(frame))
        return fail(QStringLiteral("A camera picture was not decoded"), AVERROR(EINVAL));
    if (!m_sws) {
        if (!sendVideo(frame))
            return false;
    } else {
        if (!m_converted) {
            m_converted = makeFrame();
            m_converted->format = m_video->pix_fmt;
            m_converted->width = m_video->width;
            m_converted->height = m_video->height;
        }
        // The encoder may still hold the last picture (frame threads): take a fresh buffer,
        // from a pool so that big pictures are not mapped and faulted in anew every time.
        av_frame_unref(m_converted.get());
        m_converted->format = m_video->pix_fmt;
        m_converted->width = m_video->width;
        m_converted->height = m_video->height;
        m_converted->color_range = m_video->color_range;
        const int bytes =
            av_image_get_buffer_size(m_video->pix_fmt, m_video->width, m_video->height, 64);
        if (!m_convertPool)
            m_convertPool.reset(av_buffer_pool_init(bytes, nullptr));
        m_converted->buf[0] = av_buffer_pool_get(m_convertPool.get());
        if (!m_converted->buf[0])
            return fail(QStringLiteral("Out of memory"), AVERROR(ENOMEM));
        int rc = av_image_fill_arrays(m_converted->data, m_converted->linesize,
                                      m_converted->buf[0]->data, m_video->pix_fmt, m_video->width,
                                      m_video->height, 64);
        if (rc < 0)
            return fail(QStringLiteral("Out of memory"), rc);
        rc = sws_scale_frame(m_sws.get(), m_converted.get(), frame);
        if (rc < 0)
            return fail(QStringLiteral("Converting the picture failed"), rc);
        m_converted->pts = frame->pts;
        if (!sendVideo(m_converted.get()))
            return false;
    }
    flushSometimes();
    return !failed();
}

bool AviWriter::sendAudio(bool flush) {
    AVCodecContext* c = m_audio.get();
    for (;;) {
        const int available = av_audio_fifo_size(m_fifo.get());
        int take = m_audioFrameSize ? m_audioFrameSize : available;
        if (available == 0 || (available < take && !flush))
            break;
        av_frame_unref(m_audioFrame.get());
        m_audioFrame->nb_samples = take;
        m_audioFrame->format = c->sample_fmt;
        m_audioFrame->sample_rate = c->sample_rate;
        av_channel_layout_copy(&m_audioFrame->ch_layout, &c->ch_layout);
        int rc = av_frame_get_buffer(m_audioFrame.get(), 0);
        if (rc < 0)
            return fail(QStringLiteral("Out of memory"), rc);
        // A short last block is padded with silence for encoders of fixed block size.
        av_samples_set_silence(m_audioFrame->extended_data, 0, take, c->ch_layout.nb_channels,
                               c->sample_fmt);
        const int got =
            av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(m_audioFrame->extended_data),
                               std::min(take, available));
        if (got < 0)
            return fail(QStringLiteral("Sound buffer"), got);
        m_audioFrame->pts = m_audioPts;
        m_audioPts += take;
        rc = avcodec_send_frame(c, m_audioFrame.get());
        if (rc < 0)
            return fail(QStringLiteral("Compressing the sound failed"), rc);
        if (!drain(c, m_audioStream))
            return false;
    }
    return true;
}

bool AviWriter::writeAudio(const int16_t* samples, int count) {
    if (failed() || m_finished || !m_audio || count <= 0)
        return !failed();
    const OrError<SamplesPtr> out = allocSamples(m_settings.channels, count, m_audio->sample_fmt);
    if (!out)
        return fail(QStringLiteral("Out of memory"), out.error);
    const auto* in = reinterpret_cast<const uint8_t*>(samples);
    const int converted = swr_convert(m_swr.get(), out.ptr.get(), count, &in, count);
    if (converted < 0)
        return fail(QStringLiteral("Converting the sound failed"), converted);
    if (converted > 0) {
        const int written =
            av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(out.ptr.get()), converted);
        if (written < converted)
            return fail(QStringLiteral("Out of memory"), written < 0 ? written : AVERROR(ENOMEM));
    }
    return sendAudio(false);
}

bool AviWriter::finish() {
    if (m_finished)
        return !failed();
    m_finished = true;
    if (!failed()) {
        if (m_audio) {
            sendAudio(true);
            if (!failed() && avcodec_send_frame(m_audio.get(), nullptr) >= 0)
                drain(m_audio.get(), m_audioStream);
        }
        if (!failed() && avcodec_send_frame(m_video.get(), nullptr) >= 0)
            drain(m_video.get(), m_videoStream);
    }
    // Written even after a failure: on a full disk it may still fit, and it never harms.
    const int rc = av_write_trailer(m_format.get());
    countWrittenFrames();
    if (rc < 0 && !failed())
        fail(QStringLiteral("Closing the recording failed"), rc);
    avio_flush(m_format->pb);
    if (m_format->pb->error < 0 && !failed())
        fail(QStringLiteral("Closing the recording failed"), m_format->pb->error);
    // Most of the file is on its way to the disk already (see flushSometimes): this is short.
    if (::fdatasync(m_out->fd) != 0 && errno == ENOSPC && !failed())
        fail(QStringLiteral("Closing the recording failed"), AVERROR(ENOSPC));
    m_format.reset();
    m_io.reset();
    m_out.reset();
    return !failed();
}

// The muxer places packets in the order of their times, holding some back to interleave the
// streams; it counts those it has placed (and written out) per stream. The video chunks in the
// file run up to the frame number of the last video packet placed: the muxer fills numbers
// left out with empty chunks.
void AviWriter::countWrittenFrames() {
    if (!m_videoStream)
        return;
    const int64_t placed = m_videoStream->nb_frames;
    while (m_videoPlaced < placed && !m_videoQueued.empty()) {
        *m_framesWritten = m_videoQueued.front() + 1;
        m_videoQueued.pop_front();
        ++m_videoPlaced;
    }
}

} // namespace engine
