#pragma once
// Hand-built AVI byte layouts for the inspection tests: RIFF 'AVI ' with LIST hdrl (avih, one
// strl per stream, optional odml/dmlh), LIST movi with the frame chunks, and an optional idx1.
#include "support/core/Files.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace avitest {

using testsupport::writeFile;

inline std::string u16(std::uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string u32(std::uint32_t v) {
    return u16(static_cast<std::uint16_t>(v & 0xFFFF)) + u16(static_cast<std::uint16_t>(v >> 16));
}
inline std::string u64(std::uint64_t v) {
    return u32(static_cast<std::uint32_t>(v)) + u32(static_cast<std::uint32_t>(v >> 32));
}
inline std::uint32_t cc(const char (&s)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

// A chunk: id, size, body, pad byte when the size is odd.
inline std::string chunk(const std::string& id, const std::string& body) {
    std::string out = id + u32(static_cast<std::uint32_t>(body.size())) + body;
    if (body.size() % 2 != 0)
        out.push_back('\0');
    return out;
}
inline std::string list(const std::string& type, const std::string& children) {
    return chunk("LIST", type + children);
}
inline std::string riff(const std::string& form, const std::string& children) {
    return "RIFF" + u32(static_cast<std::uint32_t>(4 + children.size())) + form + children;
}

struct Stream {
    std::string type = "vids";
    std::string handler = "MJPG";
    std::uint32_t scale = 1;
    std::uint32_t rate = 25;
    std::uint32_t length = 0;
    std::uint32_t compression = cc("MJPG"); // biCompression of the video format
    std::int32_t width = 320;
    std::int32_t height = 240;
    std::string extra; // more chunks in the strl list (indx, strn)
};

inline std::string strh(const Stream& s) {
    return chunk("strh", s.type + s.handler + u32(0) + u16(0) + u16(0) + u32(0) + u32(s.scale) +
                             u32(s.rate) + u32(0) + u32(s.length) + u32(0) + u32(0) + u32(0) +
                             u16(0) + u16(0) + u16(static_cast<std::uint16_t>(s.width)) +
                             u16(static_cast<std::uint16_t>(s.height)));
}

inline std::string strf(const Stream& s) {
    if (s.type == "auds") // WAVEFORMATEX, 16-bit mono PCM at 8000 Hz
        return chunk("strf", u16(1) + u16(1) + u32(8000) + u32(16000) + u16(2) + u16(16) + u16(0));
    return chunk("strf", u32(40) + u32(static_cast<std::uint32_t>(s.width)) +
                             u32(static_cast<std::uint32_t>(s.height)) + u16(1) + u16(24) +
                             u32(s.compression) + u32(0) + u32(0) + u32(0) + u32(0) + u32(0));
}

struct Avi {
    std::uint32_t microSecPerFrame = 40000;
    std::uint32_t maxBytesPerSec = 1000000;
    std::uint32_t flags = 0x10 | 0x100;
    std::uint32_t totalFrames = 0;
    std::optional<std::uint32_t> streamsField; // avih dwStreams; the stream count when empty
    std::uint32_t suggestedBuffer = 4096;
    std::uint32_t width = 320;
    std::uint32_t height = 240;
    std::vector<Stream> streams{Stream{}};
    std::optional<std::uint32_t> dmlhTotal;
    int frames = 3;             // video chunks '00dc' of the first stream
    bool audioChunks = false;   // one '01wb' after each frame
    bool recLists = false;      // each frame (and its sound) in a LIST 'rec '
    bool idx1 = true;           // an old index with one entry per chunk
    std::vector<bool> keyFrame; // per frame; all key frames when shorter
    std::string videoId = "00dc";
    std::string audioId = "01wb";

    std::string avih() const {
        const auto streams =
            streamsField.value_or(static_cast<std::uint32_t>(this->streams.size()));
        return chunk("avih", u32(microSecPerFrame) + u32(maxBytesPerSec) + u32(0) + u32(flags) +
                                 u32(totalFrames) + u32(0) + u32(streams) + u32(suggestedBuffer) +
                                 u32(width) + u32(height) + u32(0) + u32(0) + u32(0) + u32(0));
    }

    std::string hdrl() const {
        std::string body = avih();
        for (const Stream& s : streams)
            body += list("strl", strh(s) + strf(s) + s.extra);
        if (dmlhTotal)
            body += list("odml", chunk("dmlh", u32(*dmlhTotal) + std::string(244, '\0')));
        return list("hdrl", body);
    }

    std::string frameChunk(int i) const {
        // An odd size on every other frame exercises the pad byte.
        return chunk(videoId,
                     std::string(static_cast<std::size_t>(10 + i % 2), char('a' + i % 26)));
    }

    // The movie list body (after 'movi') and the idx1 entries that describe it.
    std::string moviBody(std::string* index = nullptr) const {
        std::string body;
        std::uint32_t offset = 4; // idx1 offsets count from the 'movi' type
        auto add = [&](const std::string& id, const std::string& c, bool key) {
            if (index)
                *index += id + u32(key ? 0x10 : 0) + u32(offset) +
                          u32(static_cast<std::uint32_t>(c.size() - 8));
            offset += static_cast<std::uint32_t>(c.size());
            return c;
        };
        for (int i = 0; i < frames; ++i) {
            const bool key = static_cast<std::size_t>(i) >= keyFrame.size() || keyFrame[i];
            std::string group = add(videoId, frameChunk(i), key);
            if (audioChunks)
                group += add(audioId, chunk(audioId, std::string(16, '\0')), true);
            body += recLists ? list("rec ", group) : group;
        }
        return body;
    }

    // A recording cut off while it was written: the RIFF and movie list sizes still hold the
    // 0xFFFFFFFF a writer puts there until it finishes, and there is no index.
    std::string unfinishedBytes() const {
        return "RIFF" + u32(0xFFFFFFFF) + "AVI " + hdrl() + "LIST" + u32(0xFFFFFFFF) + "movi" +
               moviBody();
    }

    std::string bytes() const {
        std::string index;
        const std::string movi = list("movi", moviBody(&index));
        return riff("AVI ", hdrl() + chunk("JUNK", std::string(12, '\0')) + movi +
                                (idx1 ? chunk("idx1", index) : std::string()));
    }
};

} // namespace avitest
