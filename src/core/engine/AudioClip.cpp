#include "core/engine/AudioClip.h"

#include "core/engine/AvPtr.h"

#include <QFile>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>

namespace engine {

PcmClip decodeAudioClip(const QString& path, double fromSeconds, double toSeconds, int sampleRate,
                        int channels) {
    PcmClip clip;
    if (sampleRate <= 0 || channels < 1 || channels > 2 || !(toSeconds > fromSeconds))
        return clip;
    fromSeconds = std::max(0.0, fromSeconds);
    auto opened = openInput(QFile::encodeName(path), nullptr, nullptr);
    if (!opened)
        return clip;
    InputFormatPtr fmt = std::move(opened.ptr);
    if (avformat_find_stream_info(fmt.get(), nullptr) < 0)
        return clip;
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder)
        return clip;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (static_cast<int>(i) != stream)
            fmt->streams[i]->discard = AVDISCARD_ALL;
    AVStream* st = fmt->streams[stream];
    auto decoding = openDecoder(st, decoder);
    if (!decoding)
        return clip;
    CodecContextPtr codec = std::move(decoding.ptr);
    if (codec->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&codec->ch_layout,
                                  std::max(1, st->codecpar->ch_layout.nb_channels));

    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, channels);
    auto resampler = makeResampler({&outLayout, AV_SAMPLE_FMT_S16, sampleRate},
                                   {&codec->ch_layout, codec->sample_fmt, codec->sample_rate});
    if (!resampler)
        return clip;
    SwrPtr swr = std::move(resampler.ptr);

    const int64_t target = static_cast<int64_t>(std::llround(fromSeconds * AV_TIME_BASE));
    if (fromSeconds > 0)
        av_seek_frame(fmt.get(), -1, target, AVSEEK_FLAG_BACKWARD);
    const int bytesPerFrame = 2 * channels;
    const int64_t wanted =
        static_cast<int64_t>(std::llround((toSeconds - fromSeconds) * sampleRate)) * bytesPerFrame;
    // Where the decoded sound starts, in output bytes relative to fromSeconds (negative: it
    // starts before and that part is dropped).
    bool haveStart = false;
    int64_t skip = 0;
    PacketPtr pkt = makePacket();
    FramePtr frame = makeFrame();
    if (!pkt || !frame)
        return clip;
    std::vector<uint8_t> buffer;
    bool draining = false;
    while (clip.data.size() < wanted) {
        int rc = avcodec_receive_frame(codec.get(), frame.get());
        if (rc == AVERROR(EAGAIN) && !draining) {
            rc = av_read_frame(fmt.get(), pkt.get());
            if (rc < 0) {
                draining = true;
                avcodec_send_packet(codec.get(), nullptr);
                continue;
            }
            if (pkt->stream_index == stream)
                avcodec_send_packet(codec.get(), pkt.get());
            av_packet_unref(pkt.get());
            continue;
        }
        if (rc < 0)
            break;
        if (!haveStart) {
            haveStart = true;
            const int64_t ts = frame->best_effort_timestamp;
            if (ts != AV_NOPTS_VALUE) {
                const double at =
                    ts * av_q2d(st->time_base) - (st->start_time != AV_NOPTS_VALUE
                                                      ? st->start_time * av_q2d(st->time_base)
                                                      : 0.0);
                skip = static_cast<int64_t>(std::llround((fromSeconds - at) * sampleRate)) *
                       bytesPerFrame;
            }
            if (skip < 0) // the sound starts late: silence until it does
                clip.data.append(static_cast<qsizetype>(std::min(-skip, wanted)), '\0');
        }
        const int outSamples = swr_get_out_samples(swr.get(), frame->nb_samples);
        if (outSamples <= 0)
            continue;
        buffer.resize(static_cast<size_t>(outSamples) * bytesPerFrame);
        uint8_t* out = buffer.data();
        const int got =
            swr_convert(swr.get(), &out, outSamples,
                        const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        if (got <= 0)
            continue;
        int64_t bytes = static_cast<int64_t>(got) * bytesPerFrame;
        int64_t offset = 0;
        if (skip > 0) {
            offset = std::min(skip, bytes);
            skip -= offset;
        }
        const int64_t room = wanted - clip.data.size();
        const int64_t take = std::min(bytes - offset, room);
        if (take > 0)
            clip.data.append(reinterpret_cast<const char*>(buffer.data() + offset),
                             static_cast<qsizetype>(take));
    }
    clip.sampleRate = sampleRate;
    clip.channels = channels;
    return clip;
}

void AudioClipWorker::decode(quint64 request, const QString& path, double fromSeconds,
                             double toSeconds, int sampleRate, int channels) {
    PcmClip clip = decodeAudioClip(path, fromSeconds, toSeconds, sampleRate, channels);
    emit clipReady(request, clip.sampleRate, clip.channels, clip.data);
}

} // namespace engine
