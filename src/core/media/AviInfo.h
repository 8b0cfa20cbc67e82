#pragma once
// The AVI file information record and the reader that fills it from the file's own headers
// (RIFF 'AVI ', its 'hdrl' list, OpenDML extensions), without reading any movie data.
#include "core/media/RiffReader.h"

#include <QString>
#include <cstdint>

namespace media {

// The file information record, laid out like the AVIFILEINFO structure of the Windows AVIFile
// interface in its single-byte form: eleven unsigned 32-bit values and a 64-byte type text.
struct AviFileInfo {
    std::uint32_t dwMaxBytesPerSec = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwCaps = 0;
    std::uint32_t dwStreams = 0;
    std::uint32_t dwSuggestedBufferSize = 0;
    std::uint32_t dwWidth = 0;
    std::uint32_t dwHeight = 0;
    std::uint32_t dwScale = 0; // rate / scale = frames per second
    std::uint32_t dwRate = 0;
    std::uint32_t dwLength = 0; // frames
    std::uint32_t dwEditCount = 0;
    char szFileType[64] = {}; // NUL-terminated text
};
static_assert(sizeof(AviFileInfo) == 108, "the record has the 108-byte AVIFILEINFO layout");

// dwFlags bits (same values as the AVI main header's flags).
constexpr std::uint32_t kAviHasIndex = 0x10;
constexpr std::uint32_t kAviMustUseIndex = 0x20;
constexpr std::uint32_t kAviIsInterleaved = 0x100;
constexpr std::uint32_t kAviWasCaptureFile = 0x10000;
constexpr std::uint32_t kAviCopyrighted = 0x20000;

// dwCaps bits.
constexpr std::uint32_t kAviCanRead = 0x1;
constexpr std::uint32_t kAviCanWrite = 0x2;
constexpr std::uint32_t kAviAllKeyFrames = 0x10;
constexpr std::uint32_t kAviNoCompression = 0x20;

// The type text of every file this reader accepts. Our own choice: the Windows library names its
// handler's type, and the only handler here is this AVI reader.
inline constexpr char kAviFileTypeText[] = "AVI File";

enum class AviReadStatus {
    Ok,
    NotAvi,     // not a RIFF file of form 'AVI ' (the library refuses to open it)
    BadHeaders, // an AVI file whose header list is missing, cut short or malformed
};

// Limits that keep every answer bounded in time, whatever the file says.
struct AviReadLimits {
    // Chunk headers visited when counting video chunks of a recording without usable counts
    // (about 5 hours of video with sound at 25 frames per second).
    int maxCountedChunks = 1 << 20;
    // Index entries examined to decide whether every video frame is a key frame.
    std::uint64_t maxIndexEntries = std::uint64_t{1} << 22;
};

// Fills `info` from the headers of an AVI file:
//  - flags: must-use-index, interleaved, capture-file and copyrighted from the main header;
//    has-index only when an index is really there (an 'idx1' chunk with entries, or an OpenDML
//    super index whose standard indexes lie inside the file). A recording cut off before its
//    end carries the header bit without the index, and the bit must not promise one.
//  - caps: can read always; can write when `writable`; all key frames when the video codec
//    codes every frame on its own (uncompressed, Motion JPEG, HuffYUV, DV, ...) or every index
//    entry of the video stream is a key frame; no compression when the video is uncompressed
//    (BI_RGB, BI_BITFIELDS, 'DIB ', 'RGB ', 'raw ' or a raw YUV layout such as YUY2 or I420).
//  - streams, suggested buffer, maximum bytes per second: main header (streams counted from
//    the stream lists when the header says 0).
//  - width, height: main header, else the video format of the first video stream.
//  - scale, rate: the first video stream; without video, microseconds per frame over 1000000.
//  - length in frames: OpenDML total frames, else the video stream length, else the main
//    header total. When none is usable (0, or more frames than the file has room for), or the
//    recording was never finished (its RIFF runs past the end of the file and no index was
//    written), the video chunks of the movie lists are counted by their headers instead.
//  - edit count 0, file type kAviFileTypeText.
// `info` is changed only when the result is Ok.
AviReadStatus parseAviInfo(ByteSource& source, bool writable, AviFileInfo& info,
                           const AviReadLimits& limits = AviReadLimits{});

// The file type text up to the first NUL; empty when the 64 characters hold no NUL.
QString aviFileTypeText(const AviFileInfo& info);

} // namespace media
