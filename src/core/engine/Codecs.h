#pragma once
// The compressors a recording can use: those of the installed libavcodec among a fixed choice.
#include <QString>
#include <vector>

namespace engine {

struct CompressorInfo {
    QString name;        // shown in the compressor lists
    const char* encoder; // libavcodec encoder name
    bool hasQuality;     // whether the compressor dialog offers a quality setting
};

// Video: Motion JPEG, H.264, FFV1, MPEG-4 part 2 (those present). Index -1 (uncompressed) is not
// in the list.
const std::vector<CompressorInfo>& videoCompressors();
// Audio: A-law, mu-law, IMA ADPCM, MP3 (those present). Index -1 (PCM) is not in the list.
const std::vector<CompressorInfo>& audioCompressors();

// Quality 1 .. 100 (100 best) of the compressor dialog; the default of a new control.
constexpr int kDefaultQuality = 85;

// The fixed quantiser (qscale 2 .. 31, lower is better) of Motion JPEG and MPEG-4 at a quality.
constexpr int qscaleForQuality(int quality) {
    return 2 + (100 - (quality < 1 ? 1 : quality > 100 ? 100 : quality)) * 29 / 100;
}

} // namespace engine
