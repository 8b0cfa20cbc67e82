#include "core/engine/CameraJpeg.h"

#include <cstring>

namespace engine {

FramePtr cameraJpegFrame(const uint8_t* data, int size, QSize pictureSize, AVPixelFormat format) {
    FramePtr f = makeFrame();
    AVBufferRef* jpeg = av_buffer_alloc(size_t(size) + AV_INPUT_BUFFER_PADDING_SIZE);
    if (!f || !jpeg) {
        av_buffer_unref(&jpeg);
        return nullptr;
    }
    memcpy(jpeg->data, data, size_t(size));
    memset(jpeg->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE); // the decoder reads past the end
    jpeg->size = size_t(size);
    f->opaque_ref = jpeg;
    f->width = pictureSize.width();
    f->height = pictureSize.height();
    f->format = format;
    return f;
}

const AVBufferRef* cameraJpeg(const AVFrame* frame) {
    return frame->opaque_ref;
}

void dropCameraJpeg(AVFrame* frame) {
    av_buffer_unref(&frame->opaque_ref);
}

bool wholeJpeg(const uint8_t* data, int size) {
    return size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[size - 2] == 0xFF &&
           data[size - 1] == 0xD9;
}

FramePtr JpegDecoder::run(const AVBufferRef* jpeg, int lowres) {
    if (!jpeg)
        return nullptr;
    if (!m_codec || m_lowres != lowres) {
        // One thread: one picture at a time, none held back.
        auto opened =
            openDecoder(avcodec_find_decoder(AV_CODEC_ID_MJPEG), 1, [lowres](AVCodecContext* c) {
                c->lowres = lowres;
                return 0;
            });
        m_codec = std::move(opened.ptr);
        if (!m_codec)
            return nullptr;
        m_lowres = lowres;
    }
    PacketPtr pkt = makePacket();
    pkt->buf = av_buffer_ref(jpeg);
    if (!pkt->buf)
        return nullptr;
    pkt->data = jpeg->data;
    pkt->size = int(jpeg->size);
    pkt->flags = AV_PKT_FLAG_KEY;
    FramePtr out = makeFrame();
    if (avcodec_send_packet(m_codec.get(), pkt.get()) < 0 ||
        avcodec_receive_frame(m_codec.get(), out.get()) < 0)
        return nullptr;
    return out;
}

bool JpegDecoder::decodeInPlace(AVFrame* frame) {
    if (hasPixels(frame))
        return true;
    FramePtr pixels = run(cameraJpeg(frame), 0);
    if (!pixels || pixels->width != frame->width || pixels->height != frame->height ||
        pixels->format != frame->format)
        return false;
    for (int i = 0; i < AV_NUM_DATA_POINTERS; ++i) {
        frame->buf[i] = pixels->buf[i];
        pixels->buf[i] = nullptr;
        frame->data[i] = pixels->data[i];
        frame->linesize[i] = pixels->linesize[i];
    }
    frame->extended_data = frame->data;
    frame->color_range = pixels->color_range;
    frame->colorspace = pixels->colorspace;
    frame->chroma_location = pixels->chroma_location;
    return true;
}

FramePtr JpegDecoder::decode(const AVFrame* frame, int lowres) {
    return run(cameraJpeg(frame), lowres);
}

} // namespace engine
