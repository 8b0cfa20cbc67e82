#pragma once
// The audio format named by an entry of the Setup screen's attribute list.
//   The 16 fixed entries (position = 4 x rate + 2 x depth + channels): the rate is the number
//   before the first blank times 1000, channels and depth come from the position.
//   Entries appended after them ("8.000 Khz, 16 bit, Stereo", built from the control's own
//   values) name their format in full: rate, depth and channels are read from the text.
#include <QString>
#include <optional>

namespace app {

constexpr int kFixedAudioFormats = 16;

struct AudioFormat {
    std::optional<int> sampleRate; // Hz; empty: leave the control's rate unchanged
    int channels = 1;              // 1 or 2
    int bitsPerSample = 8;         // 8 or 16
};

AudioFormat audioFormatOf(int position, const QString& text);

// The entry text for the control's format: "22.050 Khz, 16 bit, Stereo" (a point whatever the
// locale).
QString audioFormatText(int sampleRate, int bitsPerSample, int channels);

} // namespace app
