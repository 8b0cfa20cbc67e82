#pragma once
// A bounded reader of RIFF chunk trees (AVI, OpenDML). It only ever reads chunk headers and the
// few header chunks asked for; chunk bodies are stepped over by their sizes, so the cost of a
// walk does not depend on how much movie data a file holds. Every read is bounds-checked and
// every walk is capped, so a malformed file ends a walk early instead of crashing or hanging.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace media {

// Four-character code as stored in a RIFF file (first character in the lowest byte).
constexpr std::uint32_t fourcc(const char (&s)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

// Little-endian fields of a header read into memory.
inline std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t le64(const unsigned char* p) {
    return static_cast<std::uint64_t>(le32(p)) | static_cast<std::uint64_t>(le32(p + 4)) << 32;
}

// Random-access bytes: a file or a buffer in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Length in bytes.
    virtual std::uint64_t size() const = 0;
    // Reads exactly `n` bytes at `offset`; false when fewer are there or the read fails.
    virtual bool readAt(std::uint64_t offset, void* dst, std::size_t n) = 0;
};

// Bytes held by the caller (fuzzing, tests). The buffer must outlive the source.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, void* dst, std::size_t n) override;

private:
    const unsigned char* m_data;
    std::size_t m_size;
};

// A file opened read-only. Small reads go through a one-block cache so that walking the many
// small chunk headers of a movie list costs one system call per block, not one per header.
// While the headers lie close together (small chunks), a block is filled with one large read,
// so such a walk reads the file in big sequential pieces; while they lie far apart (big video
// chunks), each header costs one small read and the movie data in between is not read, and the
// pages of the headers further on are asked for ahead of time (see readAhead).
class FileSource : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens `path` for reading; returns 0 or the errno of the failure.
    int open(const QString& path);
    bool isOpen() const { return m_fd >= 0; }
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, void* dst, std::size_t n) override;
    // System calls that read the file so far.
    std::uint64_t reads() const { return m_reads; }

private:
    static constexpr std::size_t kBlock = 8192; // a header and a small sound chunk after it
    static constexpr std::size_t kLargeBlock = std::size_t{1} << 20;
    static constexpr std::uint64_t kNear = 16384; // gap after the cached block that counts as dense
    bool fill(std::uint64_t offset, std::size_t length);
    void readAhead(std::uint64_t offset);
    int m_fd = -1;
    std::uint64_t m_reads = 0;
    std::uint64_t m_lastGap = kNear; // of the last miss past the cached block
    // Headers far apart: the offsets of the last misses (a ring), for guessing the next ones.
    static constexpr std::size_t kAhead = 64;
    std::uint64_t m_misses[kAhead + 1] = {};
    std::size_t m_missCount = 0;
    std::uint64_t m_size = 0;
    std::unique_ptr<unsigned char[]> m_cache;
    std::uint64_t m_cacheOffset = 0;
    std::size_t m_cacheLength = 0;
};

// One chunk header as found in a list body.
struct Chunk {
    std::uint32_t id = 0;     // 'RIFF', 'LIST', 'avih', '00dc', ...
    std::uint32_t size = 0;   // declared body size in bytes (without the pad byte)
    std::uint64_t offset = 0; // of the 8-byte header
    std::uint32_t listType =
        0; // form or list type of a RIFF or LIST chunk ('AVI ', 'hdrl'), else 0
    // True when the declared body runs past the end of the list that holds it (or the file).
    bool truncated = false;

    std::uint64_t dataOffset() const { return offset + 8; }
    std::uint64_t declaredEnd() const { return offset + 8 + size; }
    // Start of the children of a RIFF or LIST chunk, after its type.
    std::uint64_t listBodyBegin() const { return offset + 12; }
};

// Walks the chunks of one list body [begin, end), at most `maxChunks` of them. Each step moves
// forward by the chunk's size (rounded up to an even count), so a walk always ends.
class ChunkWalker {
public:
    ChunkWalker(ByteSource& source, std::uint64_t begin, std::uint64_t end, int maxChunks);

    // The next chunk, or false at the end of the list, at a header cut short, or at the cap.
    // A chunk whose body runs past the end is returned once with `truncated` set; the walk
    // ends after it.
    bool next(Chunk& chunk);

    // True when the walk stopped because of the cap rather than the end of the list.
    bool capped() const { return m_capped; }
    // Number of chunk headers returned so far.
    int used() const { return m_used; }

private:
    ByteSource& m_source;
    std::uint64_t m_pos;
    std::uint64_t m_end;
    int m_left;
    int m_used = 0;
    bool m_capped = false;
};

// End of a chunk's body (with its pad byte), clamped to `limit`.
std::uint64_t clampedEnd(const Chunk& chunk, std::uint64_t limit);

} // namespace media
