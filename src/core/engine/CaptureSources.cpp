#include "core/engine/CaptureSources.h"

#include "core/engine/CameraJpeg.h"
#include "core/ports/ControlError.h"

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavutil/dict.h>
}

namespace engine {

using ports::ControlError;

void registerDevices() {
    static std::once_flag once;
    std::call_once(once, [] { avdevice_register_all(); });
}

namespace {

// V4L2 fourcc names as V4l2Device lists them, to libavdevice's input_format names.
QString libavInputFormat(const QString& fourcc) {
    if (fourcc == "MJPG" || fourcc == "JPEG")
        return QStringLiteral("mjpeg");
    if (fourcc == "H264")
        return QStringLiteral("h264");
    if (fourcc == "YUYV")
        return QStringLiteral("yuyv422");
    if (fourcc == "UYVY")
        return QStringLiteral("uyvy422");
    if (fourcc == "YU12")
        return QStringLiteral("yuv420p");
    if (fourcc == "NV12")
        return QStringLiteral("nv12");
    if (fourcc == "RGB3")
        return QStringLiteral("rgb24");
    if (fourcc == "BGR3")
        return QStringLiteral("bgr24");
    if (fourcc == "GREY")
        return QStringLiteral("gray");
    return fourcc.toLower();
}

} // namespace

std::optional<std::vector<int16_t>> TestTone::samples(int64_t from, int64_t to) {
    std::vector<int16_t> audio;
    if (to <= from)
        return audio;
    const int64_t a = toneSamplesBefore(from, m_rate, m_fps);
    const int64_t b = toneSamplesBefore(to, m_rate, m_fps);
    audio.resize(size_t((b - a) * m_channels));
    fillTone(audio.data(), a, int(b - a), m_channels, m_rate, m_fps);
    return audio;
}

TestCameraSource::TestCameraSource(QSize size, AVPixelFormat format, int fps, bool paced,
                                   std::shared_ptr<LiveSettings> live)
    : m_picture(size, format), m_fps(fps), m_paced(paced), m_live(std::move(live)) {
    // The background takes a while at 1920x1080: drawn now, not on the first frame's time.
    m_picture.render(0, m_live->channel.load(), m_live->look());
}

FramePtr TestCameraSource::read(std::stop_token stop) {
    if (stop.stop_requested())
        return nullptr;
    if (m_next == 0)
        m_start = std::chrono::steady_clock::now();
    if (m_paced) {
        // A frame whose time has passed by more than a frame is skipped, as a real camera
        // skips what nobody read: the clock, not the reader, sets the frame numbers.
        const auto now = std::chrono::steady_clock::now();
        const int64_t late =
            std::chrono::duration_cast<std::chrono::microseconds>(now - m_start).count() * m_fps /
            1000000;
        if (late > m_next + 1)
            m_next = late;
        const auto due = m_start + std::chrono::microseconds(m_next * 1000000 / m_fps);
        std::mutex m;
        std::condition_variable_any cv;
        std::unique_lock lock(m);
        cv.wait_until(lock, stop, due, [] { return false; });
        if (stop.stop_requested())
            return nullptr;
    }
    FramePtr f = m_picture.render(m_next, m_live->channel.load(), m_live->look());
    f->pts = m_next * 1000000 / m_fps;
    ++m_next;
    return f;
}

int V4l2Source::interrupted(void* opaque) {
    return static_cast<V4l2Source*>(opaque)->m_stop.stop_requested() ? 1 : 0;
}

V4l2Source::V4l2Source(const QString& devnode, const QString& name, QSize size,
                       const QString& pixelFormat, int input, int fps, AVPixelFormat knownFormat,
                       std::stop_token stop)
    : m_stop(stop), m_name(name), m_size(size) {
    registerDevices();
    const AVInputFormat* v4l2 = av_find_input_format("video4linux2");
    if (!v4l2)
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("This FFmpeg has no video4linux2 input"));
    DictPtr opts;
    int rc = dictSet(opts, "video_size",
                     QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toUtf8());
    if (rc >= 0)
        rc = dictSet(opts, "framerate", QByteArray::number(fps));
    if (rc >= 0 && !pixelFormat.isEmpty())
        rc = dictSet(opts, "input_format", libavInputFormat(pixelFormat).toUtf8());
    if (rc >= 0 && input >= 0)
        rc = dictSet(opts, "channel", QByteArray::number(input));
    // Non-blocking reads: a camera that stalls can neither hang a stop nor the opening.
    OrError<InputFormatPtr> opened;
    if (rc >= 0)
        opened = openInput(devnode.toLocal8Bit(), v4l2, &opts,
                           AVIOInterruptCB{&V4l2Source::interrupted, this}, AVFMT_FLAG_NONBLOCK);
    if (!opened)
        throw ControlError(
            ports::errors::kDeviceOpenFailed,
            QStringLiteral("Cannot open %1: %2").arg(devnode, avError(rc < 0 ? rc : opened.error)));
    m_input = std::move(opened.ptr);
    AVFormatContext* ctx = m_input.get();
    if (ctx->nb_streams < 1)
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("%1 has no picture").arg(devnode));
    const AVStream* st = ctx->streams[0];
    m_timeBase = st->time_base;
    auto decoding = openDecoder(st);
    if (decoding.error == AVERROR_DECODER_NOT_FOUND)
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("No decoder for the pictures of %1").arg(devnode));
    if (!decoding)
        throw ControlError(
            ports::errors::kDeviceOpenFailed,
            QStringLiteral("Cannot decode %1: %2").arg(devnode, avError(decoding.error)));
    m_decoder = std::move(decoding.ptr);
    m_size = QSize(st->codecpar->width, st->codecpar->height);
    m_packet = makePacket();
    if (knownFormat != AV_PIX_FMT_NONE) {
        m_format = knownFormat; // read() checks that the pictures keep it
    } else {
        // The decoded format (Motion JPEG, H.264 cameras) is known for sure only from a
        // picture: read the first one now; it is the first one read() gives.
        m_pending = read(stop);
        if (!m_pending)
            throw ControlError(
                ports::errors::kDeviceOpenFailed,
                m_error.isEmpty()
                    ? QStringLiteral("The opening of %1 was given up").arg(devnode)
                    : QStringLiteral("%1 gives no pictures: %2").arg(devnode, m_error));
        m_format = AVPixelFormat(m_pending->format);
        m_size = QSize(m_pending->width, m_pending->height);
    }
    // From here on a Motion JPEG camera's pictures stay JPEGs until someone needs pixels.
    m_jpeg = st->codecpar->codec_id == AV_CODEC_ID_MJPEG;
    m_sentJpeg.reset();
}

FramePtr V4l2Source::read(std::stop_token stop) {
    m_stop = stop;
    if (m_pending)
        return std::move(m_pending);
    if (m_jpeg)
        return readJpeg(stop);
    for (;;) {
        if (stop.stop_requested())
            return nullptr;
        // Stamped with the driver's capture time.
        DecodedPicture got = receivePicture(m_decoder.get(), m_timeBase, m_format, m_size);
        if (got.picture) {
            if (m_sentJpeg) // the picture read at the opening of a Motion JPEG camera
                got.picture->opaque_ref = av_buffer_ref(cameraJpeg(m_sentJpeg.get()));
            return std::move(got.picture);
        }
        if (!got.error.isEmpty()) {
            m_error = got.error;
            return nullptr;
        }
        int rc = got.rc;
        if (rc != AVERROR(EAGAIN)) {
            m_error =
                QStringLiteral("The camera's pictures cannot be decoded: %1").arg(avError(rc));
            return nullptr;
        }
        if (!readPacket(stop))
            return nullptr;
        if (m_decoder->codec_id == AV_CODEC_ID_MJPEG)
            m_sentJpeg = wholeJpeg(m_packet->data, m_packet->size)
                             ? cameraJpegFrame(m_packet->data, m_packet->size, m_size, m_format)
                             : nullptr;
        rc = avcodec_send_packet(m_decoder.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA) {
            m_error =
                QStringLiteral("The camera's pictures cannot be decoded: %1").arg(avError(rc));
            return nullptr;
        }
    }
}

bool V4l2Source::readPacket(const std::stop_token& stop) {
    for (;;) {
        if (stop.stop_requested())
            return false;
        const int rc = av_read_frame(m_input.get(), m_packet.get());
        if (rc == AVERROR(EAGAIN)) {
            const auto now = std::chrono::steady_clock::now();
            if (m_waitingSince == std::chrono::steady_clock::time_point())
                m_waitingSince = now;
            if (now - m_waitingSince > std::chrono::seconds(5)) {
                m_error = QStringLiteral("The camera has delivered no picture for 5 seconds");
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        m_waitingSince = {};
        if (rc < 0) {
            if (stop.stop_requested())
                return false;
            if (rc == AVERROR(ENODEV)) // the kernel's word for a camera unplugged
                m_error = QStringLiteral("the camera %1 was unplugged").arg(m_name);
            else
                m_error =
                    QStringLiteral("The camera stopped delivering pictures (%1)").arg(avError(rc));
            return false;
        }
        return true;
    }
}

FramePtr V4l2Source::readJpeg(std::stop_token stop) {
    for (;;) {
        if (!readPacket(stop))
            return nullptr;
        // A picture cut off on the way (a USB hiccup) is left out, as a decoder error was.
        FramePtr f;
        if (wholeJpeg(m_packet->data, m_packet->size))
            f = cameraJpegFrame(m_packet->data, m_packet->size, m_size, m_format);
        const int64_t pts = m_packet->pts;
        av_packet_unref(m_packet.get());
        if (!f)
            continue;
        f->best_effort_timestamp = pts;
        f->pts = captureTimeUs(f.get(), m_timeBase); // the driver's capture time
        return f;
    }
}

int AlsaSource::interrupted(void* opaque) {
    return static_cast<AlsaSource*>(opaque)->m_stop.stop_requested() ? 1 : 0;
}

AlsaSource::AlsaSource(const QString& alsaName, int rate, int channels)
    : m_channels(channels), m_rate(rate) {
    registerDevices();
    const AVInputFormat* alsa = av_find_input_format("alsa");
    if (!alsa)
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("This FFmpeg has no ALSA input"));
    DictPtr opts;
    int rc = dictSet(opts, "sample_rate", QByteArray::number(rate));
    if (rc >= 0)
        rc = dictSet(opts, "channels", QByteArray::number(channels));
    OrError<InputFormatPtr> opened;
    if (rc >= 0)
        opened = openInput(alsaName.toLocal8Bit(), alsa, &opts,
                           AVIOInterruptCB{&AlsaSource::interrupted, this});
    if (!opened)
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("Cannot open the sound source %1: %2")
                               .arg(alsaName, avError(rc < 0 ? rc : opened.error)));
    m_input = std::move(opened.ptr);
    AVFormatContext* ctx = m_input.get();
    if (ctx->nb_streams < 1 || ctx->streams[0]->codecpar->codec_id != AV_CODEC_ID_PCM_S16LE)
        throw ControlError(
            ports::errors::kDeviceOpenFailed,
            QStringLiteral("The sound source %1 gives no 16-bit sound").arg(alsaName));
    // The file's header says the rate asked for: a device that opened at another rate or
    // channel count would put the sound out of step with the pictures.
    const AVCodecParameters* par = ctx->streams[0]->codecpar;
    if (par->sample_rate != rate || par->ch_layout.nb_channels != channels)
        throw ControlError(ports::errors::kDeviceOpenFailed,
                           QStringLiteral("The sound source %1 opened with %2 Hz, %3 channel(s) "
                                          "instead of %4 Hz, %5 channel(s)")
                               .arg(alsaName)
                               .arg(par->sample_rate)
                               .arg(par->ch_layout.nb_channels)
                               .arg(rate)
                               .arg(channels));
    m_packet = makePacket();
}

std::vector<int16_t> AlsaSource::read(std::stop_token stop) {
    m_stop = stop;
    std::vector<int16_t> out;
    const int rc = av_read_frame(m_input.get(), m_packet.get());
    if (rc < 0) {
        if (!stop.stop_requested())
            m_error = QStringLiteral("The sound source stopped (%1)").arg(avError(rc));
        return out;
    }
    const int samples = m_packet->size / int(sizeof(int16_t));
    out.assign(reinterpret_cast<const int16_t*>(m_packet->data),
               reinterpret_cast<const int16_t*>(m_packet->data) + samples);
    av_packet_unref(m_packet.get());
    return out;
}

int64_t captureTimeUs(const AVFrame* picture, AVRational timeBase) {
    const int64_t ts = picture->best_effort_timestamp;
    if (ts != AV_NOPTS_VALUE)
        return av_rescale_q(ts, timeBase, AVRational{1, 1000000});
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool keepsFormat(const AVFrame* picture, AVPixelFormat format, QSize size) {
    return format == AV_PIX_FMT_NONE ||
           (picture->format == format && picture->width == size.width() &&
            picture->height == size.height());
}

DecodedPicture receivePicture(AVCodecContext* decoder, AVRational timeBase, AVPixelFormat format,
                              QSize size) {
    DecodedPicture out;
    FramePtr f = makeFrame();
    if (!f) {
        out.rc = AVERROR(ENOMEM);
        return out;
    }
    out.rc = avcodec_receive_frame(decoder, f.get());
    if (out.rc < 0)
        return out;
    if (!keepsFormat(f.get(), format, size)) {
        out.error = QStringLiteral("The camera changed its picture format");
        return out;
    }
    f->pts = captureTimeUs(f.get(), timeBase);
    out.picture = std::move(f);
    return out;
}

} // namespace engine
