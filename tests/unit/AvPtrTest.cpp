// The FFmpeg owners' factories: an owner or the error, never a half-made object.
#include "core/engine/AvPtr.h"

#include <gtest/gtest.h>

namespace {

TEST(AvPtr, OpenInputGivesAnOwnerOrTheError) {
    const auto missing = av::openInput("/nonexistent/run.avi", nullptr, nullptr);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, AVERROR(ENOENT));
    EXPECT_FALSE(av::avError(missing.error).isEmpty());

    // The options the demuxer does not know stay with the caller.
    av::DictPtr options;
    ASSERT_GE(av::dictSet(options, "no_such_option", "1"), 0);
    const auto opened =
        av::openInput(SKIVANE_SOURCE_DIR "/resources/StartSound.wav", nullptr, &options);
    ASSERT_TRUE(opened) << av::avError(opened.error).toStdString();
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
        const auto samples = av::allocSamples(c.channels, 1024, c.format);
        ASSERT_TRUE(samples);
        const int bytes = 1024 * av_get_bytes_per_sample(c.format) * c.channels / c.planes;
        for (int p = 0; p < c.planes; ++p) {
            ASSERT_NE(samples.ptr.get()[p], nullptr);
            samples.ptr.get()[p][bytes - 1] = 0; // the whole plane is there (ASan checks)
        }
    }
    EXPECT_FALSE(av::allocSamples(2, -1, AV_SAMPLE_FMT_S16));
}

} // namespace
