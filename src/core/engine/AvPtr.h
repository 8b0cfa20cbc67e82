#pragma once
// Owning pointers for FFmpeg objects; no av_*_free call appears anywhere else.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/buffer.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QString>
#include <memory>

namespace av {

struct InputFormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// An output context: closes its file (when the muxer opened one) and frees the context.
struct OutputFormatCloser {
    void operator()(AVFormatContext* c) const {
        // A custom I/O context (AVFMT_FLAG_CUSTOM_IO) belongs to whoever made it.
        if (c && c->oformat && !(c->oformat->flags & AVFMT_NOFILE) &&
            !(c->flags & AVFMT_FLAG_CUSTOM_IO) && c->pb)
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FilterGraphFree {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};
struct FilterInOutFree {
    void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};

// A custom I/O context made with avio_alloc_context: frees its buffer and the context.
struct AvioContextFree {
    void operator()(AVIOContext* c) const {
        if (c)
            av_freep(&c->buffer);
        avio_context_free(&c);
    }
};
// A buffer pool lives on until the last buffer taken from it is returned.
struct BufferPoolFree {
    void operator()(AVBufferPool* p) const { av_buffer_pool_uninit(&p); }
};
struct AudioFifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatCloser>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphFree>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutFree>;
using AvioContextPtr = std::unique_ptr<AVIOContext, AvioContextFree>;
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolFree>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoFree>;

inline FramePtr makeFrame() {
    return FramePtr(av_frame_alloc());
}
inline PacketPtr makePacket() {
    return PacketPtr(av_packet_alloc());
}

// The text of an FFmpeg return code (av_err2str does not compile as C++).
inline QString avError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

} // namespace av
