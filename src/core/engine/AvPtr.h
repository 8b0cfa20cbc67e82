#pragma once
// Owning pointers for FFmpeg objects, and the factories that hide FFmpeg's out-parameters;
// no av_*free call appears anywhere else.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/buffer.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QByteArray>
#include <QString>
#include <memory>
#include <utility>

namespace engine {

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
struct MemoryFree {
    void operator()(uint8_t* p) const { av_free(p); }
};
struct AudioFifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct DictFree {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};
// Sample buffers made by av_samples_alloc_array_and_samples: the data (all planes in one block,
// starting at the first plane) and the array of plane pointers.
struct SamplesFree {
    void operator()(uint8_t** planes) const {
        if (planes)
            av_freep(&planes[0]);
        av_freep(&planes);
    }
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
using MemoryPtr = std::unique_ptr<uint8_t, MemoryFree>; // av_malloc's memory (aligned for FFmpeg)
using DictPtr = std::unique_ptr<AVDictionary, DictFree>;
using SamplesPtr = std::unique_ptr<uint8_t*, SamplesFree>;

// An owner, or the FFmpeg error code (negative) that kept it from being made.
template <typename Ptr> struct OrError {
    Ptr ptr;
    int error = 0;
    explicit operator bool() const { return static_cast<bool>(ptr); }
};

inline FramePtr makeFrame() {
    return FramePtr(av_frame_alloc());
}
inline PacketPtr makePacket() {
    return PacketPtr(av_packet_alloc());
}

// Sets one entry of a dictionary (made when there is none yet). Returns av_dict_set's code:
// negative only when out of memory.
inline int dictSet(DictPtr& dict, const char* key, const QByteArray& value) {
    AVDictionary* d = dict.release();
    const int rc = av_dict_set(&d, key, value.constData(), 0);
    dict.reset(d);
    return rc;
}

// Opens an input (a file, or a device with its `format`) as avformat_open_input does, without
// its out-parameter. `interrupt` and `flags` (AVFMT_FLAG_*) are set on the context before the
// opening, so that a stop is heard and a device read need not block even while opening.
// `options` may be null; it is left holding the entries the demuxer did not use.
inline OrError<InputFormatPtr> openInput(const QByteArray& url, const AVInputFormat* format,
                                         DictPtr* options, AVIOInterruptCB interrupt = {},
                                         int flags = 0) {
    AVFormatContext* ctx = avformat_alloc_context();
    if (!ctx)
        return {nullptr, AVERROR(ENOMEM)};
    ctx->interrupt_callback = interrupt;
    ctx->flags |= flags;
    AVDictionary* opts = options ? options->release() : nullptr;
    const int rc = avformat_open_input(&ctx, url.constData(), format, options ? &opts : nullptr);
    if (options)
        options->reset(opts);
    if (rc < 0) // avformat_open_input has freed the context
        return {nullptr, rc};
    return {InputFormatPtr(ctx), 0};
}

// A context for `codec` (not null), opened once `setUp(AVCodecContext*)` has set it; a negative
// FFmpeg code from `setUp` stops the opening with that error. `options` may be null; it is left
// holding the entries the codec did not use. An owner, or the error.
template <typename SetUp>
OrError<CodecContextPtr> openCodec(const AVCodec* codec, SetUp&& setUp, DictPtr* options) {
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        return {nullptr, AVERROR(ENOMEM)};
    int rc = setUp(context.get());
    if (rc < 0)
        return {nullptr, rc};
    AVDictionary* opts = options ? options->release() : nullptr;
    rc = avcodec_open2(context.get(), codec, options ? &opts : nullptr);
    if (options)
        options->reset(opts);
    if (rc < 0)
        return {nullptr, rc};
    return {std::move(context), 0};
}

// A decoder of `codec`, opened, decoding on `threads` threads (0: FFmpeg's own choice).
// `setUp(AVCodecContext*)` sets the context before it opens; a negative FFmpeg code from it
// stops the opening with that error. An owner, or the error (AVERROR_DECODER_NOT_FOUND when
// `codec` is null).
template <typename SetUp>
OrError<CodecContextPtr> openDecoder(const AVCodec* codec, int threads, SetUp&& setUp) {
    if (!codec)
        return {nullptr, AVERROR_DECODER_NOT_FOUND};
    return openCodec(
        codec,
        [&](AVCodecContext* c) {
            c->thread_count = threads;
            return setUp(c);
        },
        nullptr);
}

// An encoder of `codec`, opened once `setUp(AVCodecContext*)` has set its size, rate, format
// and quality (a negative FFmpeg code from it stops the opening). `options` may be null; it is
// left holding the entries the encoder did not use. An owner, or the error
// (AVERROR_ENCODER_NOT_FOUND when `codec` is null).
template <typename SetUp>
OrError<CodecContextPtr> openEncoder(const AVCodec* codec, SetUp&& setUp,
                                     DictPtr* options = nullptr) {
    if (!codec)
        return {nullptr, AVERROR_ENCODER_NOT_FOUND};
    return openCodec(codec, std::forward<SetUp>(setUp), options);
}

// A decoder for `stream`, opened: `codec` (null: the one FFmpeg has for the stream's codec)
// with the stream's parameters and time base, decoding on `threads` threads (0: FFmpeg's own
// choice). An owner, or the error (AVERROR_DECODER_NOT_FOUND when there is no decoder).
// `more(AVCodecContext*)` sets what else the caller needs before the opening.
template <typename More>
OrError<CodecContextPtr> openDecoder(const AVStream* stream, const AVCodec* codec, int threads,
                                     More&& more) {
    if (!codec)
        codec = avcodec_find_decoder(stream->codecpar->codec_id);
    return openDecoder(codec, threads, [&](AVCodecContext* c) {
        const int rc = avcodec_parameters_to_context(c, stream->codecpar);
        c->pkt_timebase = stream->time_base;
        if (rc >= 0)
            more(c);
        return rc;
    });
}

inline OrError<CodecContextPtr> openDecoder(const AVStream* stream, const AVCodec* codec = nullptr,
                                            int threads = 1) {
    return openDecoder(stream, codec, threads, [](AVCodecContext*) {});
}

// An output context for the muxer `format` ("avi", "mp4") writing the file `path`, which is
// made (or emptied) now; the caller adds the streams and writes the header. An owner, or the
// error.
inline OrError<OutputFormatPtr> openOutput(const char* format, const QByteArray& path) {
    AVFormatContext* raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, nullptr, format, path.constData());
    OutputFormatPtr out(raw);
    if (rc < 0 || !out)
        return {nullptr, rc < 0 ? rc : AVERROR(ENOMEM)};
    if (!(out->oformat->flags & AVFMT_NOFILE) &&
        (rc = avio_open(&out->pb, path.constData(), AVIO_FLAG_WRITE)) < 0)
        return {nullptr, rc};
    return {std::move(out), 0};
}

// An output context for the muxer `format` writing through `io`, a custom I/O context that
// stays the caller's and must outlive the context. An owner, or the error.
inline OrError<OutputFormatPtr> openOutput(const char* format, AVIOContext* io) {
    AVFormatContext* raw = nullptr;
    const int rc = avformat_alloc_output_context2(&raw, nullptr, format, nullptr);
    OutputFormatPtr out(raw);
    if (rc < 0 || !out)
        return {nullptr, rc < 0 ? rc : AVERROR(ENOMEM)};
    out->pb = io;
    out->flags |= AVFMT_FLAG_CUSTOM_IO;
    return {std::move(out), 0};
}

// One side of a sound conversion.
struct SoundFormat {
    const AVChannelLayout* layout;
    AVSampleFormat sampleFormat;
    int sampleRate;
};

// A resampler from `in` to `out`, ready to convert. An owner, or the error.
inline OrError<SwrPtr> makeResampler(const SoundFormat& out, const SoundFormat& in) {
    SwrContext* raw = nullptr;
    // The layouts are only read (this FFmpeg's declaration lacks the const).
    int rc = swr_alloc_set_opts2(&raw, const_cast<AVChannelLayout*>(out.layout), out.sampleFormat,
                                 out.sampleRate, const_cast<AVChannelLayout*>(in.layout),
                                 in.sampleFormat, in.sampleRate, 0, nullptr);
    SwrPtr swr(raw);
    if (rc < 0)
        return {nullptr, rc};
    if ((rc = swr_init(swr.get())) < 0)
        return {nullptr, rc};
    return {std::move(swr), 0};
}

// A custom I/O context with a buffer of its own, of `bufferSize` bytes, freed with it. Null
// when out of memory.
inline AvioContextPtr makeAvio(int bufferSize, bool writable, void* opaque,
                               decltype(AVIOContext::read_packet) read,
                               decltype(AVIOContext::write_packet) write,
                               decltype(AVIOContext::seek) seek) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(static_cast<size_t>(bufferSize)));
    if (!buffer)
        return nullptr;
    AvioContextPtr io(
        avio_alloc_context(buffer, bufferSize, writable ? 1 : 0, opaque, read, write, seek));
    if (!io)
        av_free(buffer);
    return io;
}

// Buffers for `count` samples of `channels` channels in `format`: one plane a channel when the
// format is planar, else one interleaved plane.
inline OrError<SamplesPtr> allocSamples(int channels, int count, AVSampleFormat format) {
    uint8_t** planes = nullptr;
    const int rc = av_samples_alloc_array_and_samples(&planes, nullptr, channels, count, format, 0);
    if (rc < 0) // the call has freed what it made
        return {nullptr, rc};
    return {SamplesPtr(planes), 0};
}

// The text of an FFmpeg return code (av_err2str does not compile as C++).
inline QString avError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

} // namespace engine
