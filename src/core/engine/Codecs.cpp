#include "core/engine/Codecs.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace engine {

namespace {
std::vector<CompressorInfo> present(std::initializer_list<CompressorInfo> all) {
    std::vector<CompressorInfo> out;
    for (const CompressorInfo& c : all)
        if (avcodec_find_encoder_by_name(c.encoder))
            out.push_back(c);
    return out;
}
} // namespace

const std::vector<CompressorInfo>& videoCompressors() {
    static const std::vector<CompressorInfo> list = present({
        {"Motion JPEG", "mjpeg", true},
        {"H.264", "libx264", true},
        {"FFV1 (lossless)", "ffv1", false},
        {"MPEG-4 Part 2", "mpeg4", true},
    });
    return list;
}

const std::vector<CompressorInfo>& audioCompressors() {
    static const std::vector<CompressorInfo> list = present({
        {"A-law", "pcm_alaw", false},
        {"mu-law", "pcm_mulaw", false},
        {"IMA ADPCM", "adpcm_ima_wav", false},
        {"MP3", "libmp3lame", true},
    });
    return list;
}

} // namespace engine
