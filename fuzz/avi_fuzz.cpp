// libFuzzer target for the AVI header reader: any bytes give a status and, on success, a filled
// record, without reading outside the input, hanging or leaking.
#include "core/media/AviInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    media::MemorySource source(data, size);
    media::AviFileInfo info;
    // Small caps keep each input fast; the limits themselves are covered by the unit tests.
    media::AviReadLimits limits;
    limits.maxCountedChunks = 1 << 14;
    limits.maxIndexEntries = 1 << 14;
    const media::AviReadStatus status = media::parseAviInfo(source, size % 2 == 0, info, limits);
    if (status == media::AviReadStatus::Ok) {
        // The record must be complete: the type text ends within its 64 characters.
        if (media::aviFileTypeText(info).isEmpty())
            std::abort();
        if ((info.dwCaps & media::kAviCanRead) == 0)
            std::abort();
    }
    return 0;
}
