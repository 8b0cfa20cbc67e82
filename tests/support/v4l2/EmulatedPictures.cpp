// The pictures of the emulated cameras: the test camera's frame n, as a JPEG or packed YUYV.
#include "v4l2/V4l2Emulator.h"

#include "core/engine/AvPtr.h"
#include "core/engine/TestCamera.h"

#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>

namespace v4l2emu {

namespace {

QByteArray jpeg(const AVFrame* yuv420, int q) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    engine::CodecContextPtr enc(avcodec_alloc_context3(codec));
    enc->width = yuv420->width;
    enc->height = yuv420->height;
    enc->pix_fmt = AV_PIX_FMT_YUVJ420P;
    enc->time_base = AVRational{1, 30};
    enc->flags |= AV_CODEC_FLAG_QSCALE;
    enc->global_quality = FF_QP2LAMBDA * q;
    enc->thread_count = 1;
    if (avcodec_open2(enc.get(), codec, nullptr) < 0)
        throw std::runtime_error("no MJPEG encoder");
    engine::FramePtr f = engine::makeFrame();
    av_frame_ref(f.get(), yuv420);
    f->format = AV_PIX_FMT_YUVJ420P;
    f->quality = enc->global_quality;
    f->pts = 0;
    engine::PacketPtr pkt = engine::makePacket();
    if (avcodec_send_frame(enc.get(), f.get()) < 0 ||
        avcodec_receive_packet(enc.get(), pkt.get()) < 0)
        throw std::runtime_error("JPEG encoding failed");
    return QByteArray(reinterpret_cast<const char*>(pkt->data), pkt->size);
}

QByteArray packed(const AVFrame* yuyv) {
    QByteArray out;
    const int row = yuyv->width * 2;
    out.reserve(row * yuyv->height);
    for (int y = 0; y < yuyv->height; ++y)
        out.append(reinterpret_cast<const char*>(yuyv->data[0] + y * yuyv->linesize[0]), row);
    return out;
}

} // namespace

QByteArray picture(QSize size, uint32_t fourcc, int64_t n, int jpegQ) {
    // Rendering keeps a background per size: one renderer per size and format.
    static std::mutex mutex;
    static std::map<std::tuple<int, int, uint32_t>, std::unique_ptr<engine::TestCameraPicture>>
        makers;
    std::lock_guard lock(mutex);
    const bool isJpeg = fourcc == V4L2_PIX_FMT_MJPEG;
    auto& maker = makers[{size.width(), size.height(), fourcc}];
    if (!maker)
        maker = std::make_unique<engine::TestCameraPicture>(size, isJpeg ? AV_PIX_FMT_YUV420P
                                                                         : AV_PIX_FMT_YUYV422);
    engine::FramePtr f = maker->render(n, engine::kTestChannelMin, engine::TestCameraLook{});
    return isJpeg ? jpeg(f.get(), jpegQ) : packed(f.get());
}

} // namespace v4l2emu
