// The FFmpeg owners' factories: an owner or the error, never a half-made object.
#include "core/engine/AvPtr.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(AvPtr, OpenInputGivesAnOwnerOrTheError) {
    const auto missing = engine::openInput("/nonexistent/run.avi", nullptr, nullptr);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, AVERROR(ENOENT));
    EXPECT_FALSE(engine::avError(missing.error).isEmpty());

    // The options the demuxer does not know stay with the caller.
    engine::DictPtr options;
    ASSERT_GE(engine::dictSet(options, "no_such_option", "1"), 0);
    const auto opened =
        engine::openInput(SKIVANE_SOURCE_DIR "/resources/StartSound.wav", nullptr, &options);
    ASSERT_TRUE(opened) << engine::avError(opened.error).toStdString();
    EXPECT_EQ(opened.error, 0);
    EXPECT_STREQ(opened.ptr->iformat->name, "wav");
    ASSERT_NE(av_dict_get(options.get(), "no_such_option", nullptr, 0), nullptr);
}

TEST(AvPtr, SampleBuffersHoldEveryPlane) {
    struct Case {
        AVSampleFormat format;
        int channels;
        int planes;
    };
    const Case cases[] = {{AV_SAMPLE_FMT_S16, 2, 1}, {AV_SAMPLE_FMT_FLTP, 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(av_get_sample_fmt_name(c.format));
        const auto samples = engine::allocSamples(c.channels, 1024, c.format);
        ASSERT_TRUE(samples);
        const int bytes = 1024 * av_get_bytes_per_sample(c.format) * c.channels / c.planes;
        for (int p = 0; p < c.planes; ++p) {
            ASSERT_NE(samples.ptr.get()[p], nullptr);
            samples.ptr.get()[p][bytes - 1] = 0; // the whole plane is there (ASan checks)
        }
    }
    EXPECT_FALSE(engine::allocSamples(2, -1, AV_SAMPLE_FMT_S16));
}

TEST(AvPtr, DecoderResamplerAndOutputFactoriesGiveAnOwnerOrTheError) {
    auto input =
        engine::openInput(SKIVANE_SOURCE_DIR "/resources/StartSound.wav", nullptr, nullptr);
    ASSERT_TRUE(input);
    ASSERT_GE(avformat_find_stream_info(input.ptr.get(), nullptr), 0);
    AVStream* sound = input.ptr->streams[0];

    // A decoder found by the stream's codec, opened with the stream's time base.
    const auto decoder = engine::openDecoder(sound);
    ASSERT_TRUE(decoder) << engine::avError(decoder.error).toStdString();
    EXPECT_TRUE(avcodec_is_open(decoder.ptr.get()));
    EXPECT_EQ(decoder.ptr->sample_rate, sound->codecpar->sample_rate);
    EXPECT_EQ(av_cmp_q(decoder.ptr->pkt_timebase, sound->time_base), 0);
    // A codec with no decoder gives that error, not a half-made context.
    const AVCodecID real = sound->codecpar->codec_id;
    sound->codecpar->codec_id = AV_CODEC_ID_NONE;
    const auto none = engine::openDecoder(sound);
    sound->codecpar->codec_id = real;
    EXPECT_FALSE(none);
    EXPECT_EQ(none.error, AVERROR_DECODER_NOT_FOUND);

    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const auto resampler = engine::makeResampler(
        {&stereo, AV_SAMPLE_FMT_S16, 22050},
        {&decoder.ptr->ch_layout, decoder.ptr->sample_fmt, decoder.ptr->sample_rate});
    ASSERT_TRUE(resampler) << engine::avError(resampler.error).toStdString();
    EXPECT_TRUE(swr_is_initialized(resampler.ptr.get()));
    const auto noRate =
        engine::makeResampler({&stereo, AV_SAMPLE_FMT_S16, 0}, {&stereo, AV_SAMPLE_FMT_S16, 22050});
    EXPECT_FALSE(noRate);
    EXPECT_LT(noRate.error, 0);

    // An output to a file makes the file; one into a missing folder gives the system's error.
    QTemporaryDir dir;
    const QString path = dir.filePath("out.avi");
    {
        const auto output = engine::openOutput("avi", QFile::encodeName(path));
        ASSERT_TRUE(output) << engine::avError(output.error).toStdString();
        EXPECT_STREQ(output.ptr->oformat->name, "avi");
        EXPECT_NE(output.ptr->pb, nullptr);
        EXPECT_TRUE(QFileInfo::exists(path));
    }
    const auto missing = engine::openOutput("avi", QFile::encodeName(dir.filePath("no/out.avi")));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, AVERROR(ENOENT));
    EXPECT_FALSE(engine::openOutput("no such muxer", QFile::encodeName(path)));
}

} // namespace
