#pragma once
// Reads a recording back with libavformat/libavcodec for the capture tests: what the AVI headers
// say, the frame number drawn in every decoded picture, and the decoded sound.
#include "core/engine/AvPtr.h"
#include "support/core/FrameNumbers.h"

#include <QFile>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

namespace capture_test {

struct Recording {
    bool opened = false;
    QString error;
    int64_t headerFrames = -1; // video stream length from the headers (nb_frames)
    AVRational frameRate{0, 1};
    int width = 0;
    int height = 0;
    QString videoCodec;
    QString audioCodec;
    int sampleRate = 0;
    int channels = 0;
    std::vector<std::optional<int>> numbers; // per decoded picture
    std::vector<int64_t> places;             // per decoded picture: its place in the file
    std::vector<QImage> pictures;            // kept when asked for
    std::vector<int16_t> sound;              // first channel, decoded to 16 bits
};

inline Recording readRecording(const QString& path, bool keepPictures = false) {
    using namespace engine;
    av_log_set_level(AV_LOG_FATAL); // a cut-off file's last chunk is expected to be short
    Recording r;
    auto opened = openInput(QFile::encodeName(path), nullptr, nullptr);
    if (!opened) {
        r.error = "cannot open";
        return r;
    }
    InputFormatPtr in = std::move(opened.ptr);
    if (avformat_find_stream_info(in.get(), nullptr) < 0) {
        r.error = "no stream info";
        return r;
    }
    r.opened = true;
    const int vi = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int ai = av_find_best_stream(in.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    CodecContextPtr vdec, adec;
    auto openDecoder = [&](int index, CodecContextPtr& dec) {
        const AVCodecParameters* par = in->streams[index]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        dec.reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(dec.get(), par);
        dec->thread_count = 1;
        return avcodec_open2(dec.get(), codec, nullptr) >= 0;
    };
    if (vi >= 0) {
        const AVStream* st = in->streams[vi];
        r.headerFrames = st->nb_frames;
        r.frameRate = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
        r.width = st->codecpar->width;
        r.height = st->codecpar->height;
        r.videoCodec = avcodec_get_name(st->codecpar->codec_id);
        if (!openDecoder(vi, vdec))
            vdec.reset();
    }
    if (ai >= 0) {
        const AVStream* st = in->streams[ai];
        r.audioCodec = avcodec_get_name(st->codecpar->codec_id);
        r.sampleRate = st->codecpar->sample_rate;
        r.channels = st->codecpar->ch_layout.nb_channels;
        if (!openDecoder(ai, adec))
            adec.reset();
    }
    SwsPtr sws;
    SwrPtr swr;
    FramePtr frame = makeFrame();
    PacketPtr pkt = makePacket();
    auto takeVideo = [&] {
        while (avcodec_receive_frame(vdec.get(), frame.get()) >= 0) {
            QImage img(frame->width, frame->height, QImage::Format_RGB32);
            sws.reset(sws_getCachedContext(sws.release(), frame->width, frame->height,
                                           AVPixelFormat(frame->format), frame->width,
                                           frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr,
                                           nullptr, nullptr));
            uint8_t* dst[4] = {img.bits(), nullptr, nullptr, nullptr};
            int stride[4] = {int(img.bytesPerLine()), 0, 0, 0};
            sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, dst, stride);
            r.numbers.push_back(testsupport::readFrameNumber(img));
            r.places.push_back(frame->best_effort_timestamp);
            if (keepPictures)
                r.pictures.push_back(img);
            av_frame_unref(frame.get());
        }
    };
    auto takeAudio = [&] {
        while (avcodec_receive_frame(adec.get(), frame.get()) >= 0) {
            if (!swr) {
                AVChannelLayout mono{};
                av_channel_layout_default(&mono, 1);
                SwrContext* s = nullptr;
                // First channel only: a mono mix of identical channels is the same signal.
                swr_alloc_set_opts2(&s, &frame->ch_layout, AV_SAMPLE_FMT_S16, frame->sample_rate,
                                    &frame->ch_layout, AVSampleFormat(frame->format),
                                    frame->sample_rate, 0, nullptr);
                swr.reset(s);
                swr_init(swr.get());
            }
            const int ch = frame->ch_layout.nb_channels;
            std::vector<int16_t> buf(size_t(frame->nb_samples * ch));
            uint8_t* out[1] = {reinterpret_cast<uint8_t*>(buf.data())};
            const int n =
                swr_convert(swr.get(), out, frame->nb_samples,
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            for (int i = 0; i < n; ++i)
                r.sound.push_back(buf[size_t(i * ch)]);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (pkt->stream_index == vi && vdec && pkt->size > 0) {
            avcodec_send_packet(vdec.get(), pkt.get());
            takeVideo();
        } else if (pkt->stream_index == ai && adec) {
            avcodec_send_packet(adec.get(), pkt.get());
            takeAudio();
        }
        av_packet_unref(pkt.get());
    }
    if (vdec) {
        avcodec_send_packet(vdec.get(), nullptr);
        takeVideo();
    }
    if (adec) {
        avcodec_send_packet(adec.get(), nullptr);
        takeAudio();
    }
    return r;
}

} // namespace capture_test
