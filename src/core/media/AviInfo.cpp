#include "core/media/AviInfo.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace media {

namespace {

// Caps on the header walk. Real files have a handful of header chunks and at most a few
// dozen streams; an AVI file numbers its streams with two digits.
constexpr int kMaxTopChunks = 4096;    // chunks directly in a RIFF (movie lists are not entered)
constexpr int kMaxHeaderChunks = 1024; // chunks in 'hdrl', 'strl', 'odml'
constexpr std::size_t kMaxStreams = 100;
constexpr int kMaxRiffs = 4096;                  // 'RIFF' chunks of one file (1 GiB each)
constexpr std::uint32_t kMaxSuperEntries = 4096; // OpenDML super index entries per stream

constexpr std::uint32_t kAvihSize = 56;
constexpr std::uint32_t kStrhMinSize = 48; // through dwSampleSize; the frame rectangle is optional

// Standard index of one OpenDML stream: where its super index entries are.
struct SuperIndex {
    std::uint64_t entriesOffset = 0;
    std::uint32_t entries = 0; // usable entries of 16 bytes
};

struct Stream {
    std::uint32_t type = 0;
    std::uint32_t handler = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t length = 0;
    bool hasFormat = false;
    std::uint32_t compression = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    SuperIndex superIndex;
};

struct MainHeader {
    std::uint32_t microSecPerFrame = 0;
    std::uint32_t maxBytesPerSec = 0;
    std::uint32_t flags = 0;
    std::uint32_t totalFrames = 0;
    std::uint32_t streams = 0;
    std::uint32_t suggestedBuffer = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct Range {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

struct Headers {
    bool haveHdrl = false;
    bool haveAvih = false;
    MainHeader avih;
    std::vector<Stream> streams;
    int strlCount = 0;
    bool haveDmlh = false;
    std::uint32_t dmlhTotal = 0;
    std::vector<Range> movi; // bodies of the movie lists of every RIFF, in file order
    bool haveIdx1 = false;
    Range idx1;
    bool unfinished = false; // a RIFF or its movie list runs past the end of the file
};

bool readBytes(ByteSource& src, std::uint64_t offset, unsigned char* dst, std::size_t n) {
    return src.readAt(offset, dst, n);
}

// Writers that never finished a file leave 0 or 0xFFFFFFFF as the size of the open lists;
// such a list runs to the end of what holds it.
std::uint64_t openListEnd(const Chunk& c, std::uint64_t limit, bool& unfinished) {
    if (c.size == 0 || c.truncated) {
        unfinished = true;
        return limit;
    }
    return clampedEnd(c, limit);
}

bool parseStrl(ByteSource& src, const Chunk& strl, Headers& h) {
    ChunkWalker walk(src, strl.listBodyBegin(), strl.declaredEnd(), kMaxHeaderChunks);
    Stream s;
    bool haveStrh = false;
    Chunk c;
    while (walk.next(c)) {
        if (c.truncated)
            return false;
        if (c.id == fourcc("strh")) {
            if (c.size < kStrhMinSize)
                return false;
            unsigned char b[kStrhMinSize];
            if (!readBytes(src, c.dataOffset(), b, sizeof b))
                return false;
            s.type = le32(b);
            s.handler = le32(b + 4);
            s.scale = le32(b + 20);
            s.rate = le32(b + 24);
            s.length = le32(b + 32);
            haveStrh = true;
        } else if (c.id == fourcc("strf")) {
            // BITMAPINFOHEADER for video: biSize, biWidth, biHeight, biPlanes, biBitCount,
            // biCompression. Shorter formats (audio) leave the fields unset.
            unsigned char b[20];
            if (c.size >= sizeof b && readBytes(src, c.dataOffset(), b, sizeof b)) {
                s.hasFormat = true;
                s.width = static_cast<std::int32_t>(le32(b + 4));
                s.height = static_cast<std::int32_t>(le32(b + 8));
                s.compression = le32(b + 16);
            }
        } else if (c.id == fourcc("indx")) {
            // AVISUPERINDEX: wLongsPerEntry, bIndexSubType, bIndexType, nEntriesInUse,
            // dwChunkId, 3 reserved; then entries of qwOffset, dwSize, dwDuration.
            unsigned char b[24];
            if (c.size >= sizeof b && readBytes(src, c.dataOffset(), b, sizeof b) && le16(b) == 4 &&
                b[3] == 0x00) {
                const std::uint32_t room = (c.size - 24) / 16;
                s.superIndex.entriesOffset = c.dataOffset() + 24;
                s.superIndex.entries = std::min({le32(b + 4), room, kMaxSuperEntries});
            }
        }
    }
    if (!haveStrh)
        return false;
    if (h.streams.size() < kMaxStreams)
        h.streams.push_back(s);
    return true;
}

bool parseHdrl(ByteSource& src, const Chunk& hdrl, Headers& h) {
    h.haveHdrl = true;
    ChunkWalker walk(src, hdrl.listBodyBegin(), hdrl.declaredEnd(), kMaxHeaderChunks);
    Chunk c;
    while (walk.next(c)) {
        if (c.truncated)
            return false;
        if (c.id == fourcc("avih")) {
            if (c.size < kAvihSize)
                return false;
            unsigned char b[kAvihSize];
            if (!readBytes(src, c.dataOffset(), b, sizeof b))
                return false;
            h.haveAvih = true;
            h.avih.microSecPerFrame = le32(b);
            h.avih.maxBytesPerSec = le32(b + 4);
            h.avih.flags = le32(b + 12);
            h.avih.totalFrames = le32(b + 16);
            h.avih.streams = le32(b + 24);
            h.avih.suggestedBuffer = le32(b + 28);
            h.avih.width = le32(b + 32);
            h.avih.height = le32(b + 36);
        } else if (c.id == fourcc("LIST") && c.listType == fourcc("strl")) {
            ++h.strlCount;
            if (!parseStrl(src, c, h))
                return false;
        } else if (c.id == fourcc("LIST") && c.listType == fourcc("odml")) {
            ChunkWalker odml(src, c.listBodyBegin(), c.declaredEnd(), kMaxHeaderChunks);
            Chunk d;
            while (odml.next(d)) {
                unsigned char b[4];
                if (d.id == fourcc("dmlh") && !d.truncated && d.size >= 4 &&
                    readBytes(src, d.dataOffset(), b, 4)) {
                    h.haveDmlh = true;
                    h.dmlhTotal = le32(b);
                }
            }
        }
    }
    return h.haveAvih;
}

// The children of the first RIFF: the header list, the first movie list and the old index.
AviReadStatus parseFirstRiff(ByteSource& src, const Chunk& riff, std::uint64_t riffEnd,
                             Headers& h) {
    ChunkWalker walk(src, riff.listBodyBegin(), riffEnd, kMaxTopChunks);
    Chunk c;
    while (walk.next(c)) {
        if (c.id == fourcc("LIST") && c.listType == fourcc("hdrl") && !h.haveHdrl) {
            if (c.truncated || !parseHdrl(src, c, h))
                return AviReadStatus::BadHeaders;
        } else if (c.id == fourcc("LIST") && c.listType == fourcc("movi") && h.movi.empty()) {
            h.movi.push_back({c.listBodyBegin(), openListEnd(c, riffEnd, h.unfinished)});
            if (c.size == 0)
                break; // the movie data runs to the end: nothing after it to find
        } else if (c.id == fourcc("idx1") && !h.haveIdx1) {
            h.haveIdx1 = true;
            h.idx1 = {c.dataOffset(), clampedEnd(c, riffEnd)};
        }
    }
    return h.haveAvih ? AviReadStatus::Ok : AviReadStatus::BadHeaders;
}

// The OpenDML extension RIFFs ('AVIX') after the first one, each with one movie list.
void parseExtensionRiffs(ByteSource& src, std::uint64_t from, Headers& h) {
    ChunkWalker top(src, from, src.size(), kMaxRiffs);
    Chunk r;
    while (top.next(r)) {
        if (r.id != fourcc("RIFF") || r.listType != fourcc("AVIX"))
            continue;
        const std::uint64_t end = openListEnd(r, src.size(), h.unfinished);
        ChunkWalker walk(src, r.listBodyBegin(), end, kMaxTopChunks);
        Chunk c;
        while (walk.next(c)) {
            if (c.id == fourcc("LIST") && c.listType == fourcc("movi")) {
                h.movi.push_back({c.listBodyBegin(), openListEnd(c, end, h.unfinished)});
                break;
            }
        }
    }
}

const Stream* firstVideo(const Headers& h, int& number) {
    for (std::size_t i = 0; i < h.streams.size(); ++i) {
        if (h.streams[i].type == fourcc("vids")) {
            number = static_cast<int>(i);
            return &h.streams[i];
        }
    }
    return nullptr;
}

// Upper-case form of a fourcc, so that 'mjpg' and 'MJPG' compare equal.
std::uint32_t upperFourcc(std::uint32_t code) {
    std::uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char ch = static_cast<unsigned char>(code >> (8 * i));
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<unsigned char>(ch - 'a' + 'A');
        out |= static_cast<std::uint32_t>(ch) << (8 * i);
    }
    return out;
}

bool inList(std::uint32_t code, std::initializer_list<std::uint32_t> list) {
    const std::uint32_t up = upperFourcc(code);
    return std::any_of(list.begin(), list.end(), [&](std::uint32_t c) { return c == up; });
}

// Video stored without compression: RGB (BI_RGB 0, BI_BITFIELDS 3) or a raw YUV layout.
bool isUncompressed(std::uint32_t compression) {
    if (compression == 0 || compression == 3)
        return true;
    return inList(compression,
                  {fourcc("DIB "), fourcc("RGB "), fourcc("RAW "), fourcc("RGBA"), fourcc("YUY2"),
                   fourcc("YUYV"), fourcc("YUNV"), fourcc("UYVY"), fourcc("UYNV"), fourcc("HDYC"),
                   fourcc("2VUY"), fourcc("YVYU"), fourcc("YV12"), fourcc("I420"), fourcc("IYUV"),
                   fourcc("NV12"), fourcc("NV21"), fourcc("YV16"), fourcc("Y42B"), fourcc("Y800"),
                   fourcc("Y8  "), fourcc("GREY"), fourcc("Y41P"), fourcc("V210"), fourcc("V308"),
                   fourcc("V408"), fourcc("444P"), fourcc("YV24")});
}

// Codecs that code every frame on its own. FFV1 is not among them: it may carry state from
// one frame to the next, so its index decides.
bool isIntraOnly(std::uint32_t compression) {
    return isUncompressed(compression) ||
           inList(compression,
                  {fourcc("MJPG"), fourcc("AVRN"), fourcc("DMB1"), fourcc("LJPG"), fourcc("JPGL"),
                   fourcc("MJLS"), fourcc("JPEG"), fourcc("HFYU"), fourcc("FFVH"), fourcc("DVSD"),
                   fourcc("DV25"), fourcc("DV50"), fourcc("DVHD"), fourcc("CDVC"), fourcc("PNG "),
                   fourcc("MPNG"), fourcc("PNG1"), fourcc("ULRG"), fourcc("ULRA"), fourcc("ULY0"),
                   fourcc("ULY2"), fourcc("ULY4"), fourcc("ULH0"), fourcc("ULH2"), fourcc("MAGY"),
                   fourcc("LAGS"), fourcc("CLLC")});
}

// Chunk ids of the video data of stream `number`: '##dc' (compressed) and '##db'.
bool isVideoChunk(std::uint32_t id, int number) {
    const std::uint32_t digits = static_cast<std::uint32_t>('0' + number / 10) |
                                 static_cast<std::uint32_t>('0' + number % 10) << 8;
    const std::uint32_t kind = id >> 16;
    return (id & 0xFFFFu) == digits && (kind == ('d' | 'c' << 8) || kind == ('d' | 'b' << 8));
}

struct ChunkCount {
    std::uint32_t frames = 0;
    bool capped = false; // the walk stopped at its budget: the count is a lower bound
};

// Number of complete video chunks of stream `number` in the movie lists, reading chunk
// headers only and at most about `budget` of them. Lists marked in `skip` are not walked.
ChunkCount countVideoChunks(ByteSource& src, const Headers& h, int number, int budget,
                            const std::vector<bool>& skip) {
    std::uint64_t frames = 0;
    bool capped = false;
    for (std::size_t i = 0; i < h.movi.size(); ++i) {
        const Range& movi = h.movi[i];
        if (i < skip.size() && skip[i])
            continue;
        if (budget <= 0) {
            capped = true;
            break;
        }
        ChunkWalker walk(src, movi.begin, movi.end, budget);
        Chunk c;
        while (walk.next(c)) {
            if (c.truncated)
                break;
            if (c.id == fourcc("LIST") && c.listType == fourcc("rec ")) {
                ChunkWalker rec(src, c.listBodyBegin(), c.declaredEnd(), budget - walk.used());
                Chunk d;
                while (rec.next(d))
                    if (!d.truncated && isVideoChunk(d.id, number))
                        ++frames;
                capped = capped || rec.capped();
                budget -= rec.used();
            } else if (isVideoChunk(c.id, number)) {
                ++frames;
            }
        }
        capped = capped || walk.capped();
        budget -= walk.used();
    }
    return {static_cast<std::uint32_t>(std::min<std::uint64_t>(frames, 0xFFFFFFFFu)), capped};
}

// Reads `count` index entries of `entrySize` bytes at `offset` in blocks and hands each to
// `visit`, which returns false to stop. False when a read fails.
template <typename Visit>
bool forEachEntry(ByteSource& src, std::uint64_t offset, std::uint64_t count, std::size_t entrySize,
                  Visit visit) {
    constexpr std::size_t kEntriesPerBlock = 4096;
    std::vector<unsigned char> block(kEntriesPerBlock * entrySize);
    while (count > 0) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, kEntriesPerBlock));
        if (!src.readAt(offset, block.data(), n * entrySize))
            return false;
        for (std::size_t i = 0; i < n; ++i)
            if (!visit(block.data() + i * entrySize))
                return true;
        offset += n * entrySize;
        count -= n;
    }
    return true;
}

// Whether the OpenDML index of the stream lies inside the file: every standard index chunk
// its super index names starts and ends before the end of the file.
bool superIndexComplete(ByteSource& src, const SuperIndex& si) {
    if (si.entries == 0)
        return false;
    bool complete = true;
    const bool read =
        forEachEntry(src, si.entriesOffset, si.entries, 16, [&](const unsigned char* e) {
            const std::uint64_t offset = le64(e);
            const std::uint32_t size = le32(e + 8);
            if (offset == 0 || offset > src.size() || size > src.size() - offset)
                complete = false;
            return complete;
        });
    return read && complete;
}

// The video frames of the movie lists that a standard index of the stream covers: an OpenDML
// writer closes each RIFF with an 'ix##' chunk holding one entry per video chunk of its movie
// list, and names it in the super index. A recording cut off in a later RIFF has them for the
// RIFFs it closed (the super index entry of the RIFF still open points nowhere), so only the
// rest need their chunks counted. `covered` marks the lists counted here. Nothing is counted
// (all lists left to the walk) when any index found does not fit: a header of the wrong kind or
// stream, more entries than its size holds, or two indexes for one list.
std::uint64_t indexedFrames(ByteSource& src, const Headers& h, const SuperIndex& si, int number,
                            std::vector<bool>& covered) {
    covered.assign(h.movi.size(), false);
    std::uint64_t frames = 0;
    bool fits = true;
    forEachEntry(src, si.entriesOffset, si.entries, 16, [&](const unsigned char* e) {
        const std::uint64_t offset = le64(e);
        const std::uint32_t size = le32(e + 8);
        if (offset == 0 || offset > src.size() || size > src.size() - offset)
            return true; // the RIFF still open when the recording stopped
        // 'ix##', size, wLongsPerEntry 2, sub-type, type 1 (index of chunks), nEntriesInUse,
        // dwChunkId, qwBaseOffset, reserved; then the first entry's offset and size.
        unsigned char head[40] = {};
        const std::uint32_t n = src.readAt(offset, head, sizeof head) ? le32(head + 12) : 0;
        const std::uint32_t body = le32(head + 4);
        fits = n > 0 && (le32(head) & 0xFFFFu) == ('i' | 'x' << 8) && le16(head + 8) == 2 &&
               head[11] == 0x01 && isVideoChunk(le32(head + 16), number) && body >= 24 &&
               n <= (body - 24) / 8 && body <= size;
        const std::uint64_t first = le64(head + 20) + le32(head + 32);
        std::size_t list = 0;
        while (fits && list < h.movi.size() &&
               !(first >= h.movi[list].begin && first < h.movi[list].end))
            ++list;
        fits = fits && list < h.movi.size() && !covered[list];
        if (fits) {
            covered[list] = true;
            frames += n;
        }
        return fits;
    });
    if (!fits) {
        covered.assign(h.movi.size(), false);
        return 0;
    }
    return frames;
}

enum class KeyFrames { Unknown, All, NotAll };

// Key-frame flags of the video stream in the old index ('idx1': ckid, flags, offset, length;
// flag 0x10 marks a key frame).
KeyFrames idx1KeyFrames(ByteSource& src, const Headers& h, int number, std::uint64_t maxEntries) {
    const std::uint64_t entries = std::min((h.idx1.end - h.idx1.begin) / 16, maxEntries);
    std::uint64_t video = 0;
    bool allKey = true;
    const bool read = forEachEntry(src, h.idx1.begin, entries, 16, [&](const unsigned char* e) {
        if (!isVideoChunk(le32(e), number))
            return true;
        ++video;
        allKey = (le32(e + 4) & 0x10u) != 0;
        return allKey;
    });
    if (!read || video == 0)
        return KeyFrames::Unknown;
    return allKey ? KeyFrames::All : KeyFrames::NotAll;
}

// Key-frame flags in the OpenDML standard indexes of the stream ('ix##' chunks: a 24-byte
// header, then entries of dwOffset, dwSize; bit 31 of dwSize marks a frame that is not a key).
KeyFrames odmlKeyFrames(ByteSource& src, const SuperIndex& si, std::uint64_t maxEntries) {
    std::uint64_t video = 0;
    bool allKey = true;
    bool ok = true;
    forEachEntry(src, si.entriesOffset, si.entries, 16, [&](const unsigned char* e) {
        const std::uint64_t ixOffset = le64(e);
        unsigned char head[32];
        if (!src.readAt(ixOffset, head, sizeof head) || le16(head + 8) != 2 || head[11] != 0x01) {
            ok = false;
            return false;
        }
        const std::uint32_t room = le32(head + 4) >= 24 ? (le32(head + 4) - 24) / 8 : 0;
        const std::uint64_t n =
            std::min<std::uint64_t>({le32(head + 12), room, maxEntries - video});
        ok = forEachEntry(src, ixOffset + 32, n, 8, [&](const unsigned char* x) {
            allKey = (le32(x + 4) & 0x80000000u) == 0;
            return allKey;
        });
        video += n;
        return ok && allKey && video < maxEntries;
    });
    if (!ok || video == 0)
        return KeyFrames::Unknown;
    return allKey ? KeyFrames::All : KeyFrames::NotAll;
}

} // namespace

AviReadStatus parseAviInfo(ByteSource& src, bool writable, AviFileInfo& info,
                           const AviReadLimits& limits) {
    // The form is read directly: an unfinished file may hold any size here, even 0.
    unsigned char head[12];
    if (!src.readAt(0, head, sizeof head) || le32(head) != fourcc("RIFF") ||
        le32(head + 8) != fourcc("AVI "))
        return AviReadStatus::NotAvi;
    Chunk riff;
    riff.id = le32(head);
    riff.size = le32(head + 4);
    riff.listType = le32(head + 8);
    riff.truncated = riff.declaredEnd() > src.size();

    Headers h;
    const std::uint64_t riffEnd = openListEnd(riff, src.size(), h.unfinished);
    const AviReadStatus status = parseFirstRiff(src, riff, riffEnd, h);
    if (status != AviReadStatus::Ok)
        return status;

    if (!h.unfinished)
        parseExtensionRiffs(src, riff.declaredEnd() + (riff.size & 1u), h);

    int videoNumber = -1;
    const Stream* video = firstVideo(h, videoNumber);

    // The index must cover the whole file. An OpenDML file is covered by its super indexes
    // (the 'idx1' such a file may carry describes only its first RIFF); any other file by its
    // 'idx1'.
    bool anySuperIndex = false;
    bool superIndexesComplete = true;
    const SuperIndex* videoIndex = nullptr;
    for (const Stream& s : h.streams) {
        if (s.superIndex.entries == 0)
            continue;
        anySuperIndex = true;
        if (superIndexComplete(src, s.superIndex)) {
            if (&s == video)
                videoIndex = &s.superIndex;
        } else {
            superIndexesComplete = false;
        }
    }
    // A recording cut off inside a later RIFF has standard indexes for the RIFFs it closed
    // only: its super index lists fewer parts than the file has movie lists.
    const bool superIndexCoversAll =
        !h.unfinished || (videoIndex != nullptr && videoIndex->entries >= h.movi.size());
    const bool indexPresent =
        anySuperIndex ? superIndexesComplete && superIndexCoversAll
                      : h.haveIdx1 && h.idx1.end - h.idx1.begin >= 16 && h.movi.size() <= 1;

    AviFileInfo out;
    out.dwMaxBytesPerSec = h.avih.maxBytesPerSec;
    out.dwFlags = h.avih.flags &
                  (kAviMustUseIndex | kAviIsInterleaved | kAviWasCaptureFile | kAviCopyrighted);
    if (indexPresent)
        out.dwFlags |= kAviHasIndex;
    out.dwStreams = h.avih.streams != 0 ? h.avih.streams : static_cast<std::uint32_t>(h.strlCount);
    out.dwSuggestedBufferSize = h.avih.suggestedBuffer;
    out.dwWidth = h.avih.width;
    out.dwHeight = h.avih.height;
    if (video != nullptr && video->hasFormat && (out.dwWidth == 0 || out.dwHeight == 0)) {
        out.dwWidth = static_cast<std::uint32_t>(
            std::min<std::int64_t>(video->width < 0 ? -video->width : video->width, 0xFFFFFFFF));
        out.dwHeight = static_cast<std::uint32_t>(
            std::min<std::int64_t>(video->height < 0 ? -video->height : video->height, 0xFFFFFFFF));
    }
    if (video != nullptr) {
        out.dwScale = video->scale;
        out.dwRate = video->rate;
    } else {
        out.dwScale = h.avih.microSecPerFrame;
        out.dwRate = 1000000;
    }

    // Length: the first count that can be true. Every frame takes a chunk of at least 8 bytes,
    // so a count beyond size / 8 is a header that was never filled in properly.
    const std::uint64_t room = src.size() / 8;
    std::uint32_t length = 0;
    for (std::uint32_t candidate : {h.haveDmlh ? h.dmlhTotal : 0u,
                                    video != nullptr ? video->length : 0u, h.avih.totalFrames}) {
        if (candidate != 0 && candidate <= room) {
            length = candidate;
            break;
        }
    }
    // A recording that was never finished may carry the counts of an earlier moment (or none):
    // its chunks are the truth. A capped count is only a lower bound and does not replace a
    // header count.
    if (video != nullptr && (length == 0 || (h.unfinished && !indexPresent))) {
        std::vector<bool> covered;
        const std::uint64_t indexed =
            h.unfinished ? indexedFrames(src, h, video->superIndex, videoNumber, covered) : 0;
        const ChunkCount counted =
            countVideoChunks(src, h, videoNumber, limits.maxCountedChunks, covered);
        if (length == 0 || !counted.capped)
            length = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(indexed + counted.frames, 0xFFFFFFFFu));
    }
    out.dwLength = length;

    out.dwCaps = kAviCanRead;
    if (writable)
        out.dwCaps |= kAviCanWrite;
    if (video != nullptr) {
        // The format's compression names the codec; the stream handler stands in without one.
        const std::uint32_t codec = video->hasFormat ? video->compression : video->handler;
        const bool known = video->hasFormat || video->handler != 0;
        if (video->hasFormat && isUncompressed(codec))
            out.dwCaps |= kAviNoCompression;
        KeyFrames keys = known && isIntraOnly(codec) ? KeyFrames::All : KeyFrames::Unknown;
        if (keys == KeyFrames::Unknown && videoIndex != nullptr)
            keys = odmlKeyFrames(src, *videoIndex, limits.maxIndexEntries);
        if (keys == KeyFrames::Unknown && indexPresent && h.haveIdx1)
            keys = idx1KeyFrames(src, h, videoNumber, limits.maxIndexEntries);
        if (keys == KeyFrames::All)
            out.dwCaps |= kAviAllKeyFrames;
    }

    out.dwEditCount = 0;
    std::memcpy(out.szFileType, kAviFileTypeText, sizeof kAviFileTypeText);
    info = out;
    return AviReadStatus::Ok;
}

QString aviFileTypeText(const AviFileInfo& info) {
    const void* nul = std::memchr(info.szFileType, 0, sizeof info.szFileType);
    if (nul == nullptr)
        return QString();
    return QString::fromLatin1(info.szFileType, static_cast<const char*>(nul) - info.szFileType);
}

} // namespace media
