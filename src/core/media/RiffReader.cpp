#include "core/media/RiffReader.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

bool MemorySource::readAt(std::uint64_t offset, void* dst, std::size_t n) {
    if (offset > m_size || n > m_size - offset)
        return false;
    if (n != 0)
        std::memcpy(dst, m_data + offset, n);
    return true;
}

FileSource::~FileSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileSource::open(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0'))
        return ENOENT;
    int fd = -1;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    // Reads skip over movie data: the system's read-ahead would fetch that data for nothing.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    m_cache = std::make_unique<unsigned char[]>(kLargeBlock);
    m_cacheLength = 0;
    return 0;
}

namespace {
// Reads exactly n bytes at offset; false on a short read or an error. Counts system calls.
bool preadAll(int fd, std::uint64_t offset, unsigned char* dst, std::size_t n,
              std::uint64_t& calls) {
    while (n > 0) {
        ++calls;
        const ssize_t got = ::pread(fd, dst, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        dst += got;
        offset += static_cast<std::uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
    return true;
}
} // namespace

bool FileSource::fill(std::uint64_t offset, std::size_t length) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, m_size - offset));
    m_cacheLength = 0;
    if (!preadAll(m_fd, offset, m_cache.get(), want, m_reads))
        return false;
    m_cacheOffset = offset;
    m_cacheLength = want;
    return true;
}

// Far apart, the headers of a movie list come at a steady pace: video chunks of one size with
// their sound chunks, in a pattern that repeats every few frames. Cold, each small read waits for
// the disk on its own. So at each such read the header kAhead reads further on is guessed (as
// far on as the last kAhead reads went, which is exact for any pattern that repeats within
// them), and its page asked for ahead of time: the disk then fetches many at once. A wrong
// guess costs a page read for nothing, never a wrong byte: every header is still read for real.
void FileSource::readAhead(std::uint64_t offset) {
    constexpr std::size_t kRing = kAhead + 1;
    constexpr std::uint64_t kSlack = 4096; // each side of a guess
    const std::uint64_t last = m_misses[(m_missCount + kRing - 1) % kRing];
    if (m_missCount > 0 && (offset <= last || offset - last < kNear))
        m_missCount = 0; // not a walk over far-apart headers: start again
    m_misses[m_missCount % kRing] = offset;
    ++m_missCount;
    if (m_missCount < kRing)
        return;
    const std::uint64_t span = offset - m_misses[m_missCount % kRing]; // the last kAhead reads
    if (span > m_size - std::min(m_size, offset))
        return; // beyond the end of the file
    const std::uint64_t guess = offset + span;
    ::posix_fadvise(m_fd, static_cast<off_t>(guess - std::min(guess, kSlack)),
                    static_cast<off_t>(kBlock + 2 * kSlack), POSIX_FADV_WILLNEED);
}

bool FileSource::readAt(std::uint64_t offset, void* dst, std::size_t n) {
    if (m_fd < 0 || offset > m_size || n > m_size - offset)
        return false;
    auto* out = static_cast<unsigned char*>(dst);
    if (n > kBlock / 2)
        return preadAll(m_fd, offset, out, n, m_reads);
    const std::uint64_t cacheEnd = m_cacheOffset + m_cacheLength;
    const bool cached = m_cacheLength > 0 && offset >= m_cacheOffset && offset + n <= cacheEnd;
    if (!cached) {
        // Headers close together (small chunks): one large read holds many of them. Headers far
        // apart (big video chunks, maybe with a small sound chunk each): a large read would
        // bring in mostly movie data, so each header costs one small read. The gap past the
        // cached block, over the last two misses, tells the two apart.
        const std::uint64_t gap =
            m_cacheLength > 0 && offset >= cacheEnd ? offset - cacheEnd : kNear;
        const bool dense = gap < kNear && m_lastGap < kNear;
        m_lastGap = gap;
        if (!dense)
            readAhead(offset);
        if (!fill(offset, dense ? kLargeBlock : kBlock))
            return false;
    }
    std::memcpy(out, m_cache.get() + (offset - m_cacheOffset), n);
    return true;
}

ChunkWalker::ChunkWalker(ByteSource& source, std::uint64_t begin, std::uint64_t end, int maxChunks)
    : m_source(source), m_pos(begin), m_end(std::min(end, source.size())), m_left(maxChunks) {}

bool ChunkWalker::next(Chunk& chunk) {
    if (m_pos >= m_end || m_end - m_pos < 8)
        return false;
    if (m_left <= 0) {
        m_capped = true;
        return false;
    }
    --m_left;
    ++m_used;
    unsigned char head[12];
    if (!m_source.readAt(m_pos, head, 8))
        return false;
    chunk = Chunk{};
    chunk.id = le32(head);
    chunk.size = le32(head + 4);
    chunk.offset = m_pos;
    // A size of 0 is what some writers leave in a list they never closed; its type still names it.
    if ((chunk.id == fourcc("RIFF") || chunk.id == fourcc("LIST")) &&
        (chunk.size >= 4 || chunk.size == 0) && m_end - m_pos >= 12 &&
        m_source.readAt(m_pos + 8, head + 8, 4))
        chunk.listType = le32(head + 8);
    const std::uint64_t padded = chunk.declaredEnd() + (chunk.size & 1u);
    chunk.truncated = chunk.declaredEnd() > m_end;
    // A body that runs past the end ends the walk; the pad byte of the last chunk may be missing.
    m_pos = chunk.truncated ? m_end : padded;
    return true;
}

std::uint64_t clampedEnd(const Chunk& chunk, std::uint64_t limit) {
    return std::min<std::uint64_t>(chunk.declaredEnd(), limit);
}

} // namespace media
