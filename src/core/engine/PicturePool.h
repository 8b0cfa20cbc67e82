#pragma once
// Reused pixel buffers for the player's pictures: the converted (RGB32) ones and the decoder's
// own. A 1080p picture is 8 MB converted, 3 MB decoded: in memory freshly mapped from the
// system, writing it costs many times the conversion itself, and a decoder opened afresh takes
// all of its pictures from such memory, so buffers are handed out again and again instead. A
// picture taken from the pool is an ordinary QImage (or an AVBufferRef for a decoder); its buffer
// goes back to the pool when the last reference to it is gone, on any thread. The pool keeps
// buffers up to its limit in bytes (those out and those free together); one returned beyond the
// limit is given back to the system.
//
// Thread-safe. A copy of a pool is a handle to the same pool; pictures may outlive every handle.
#include "core/engine/AvPtr.h"

#include <QImage>
#include <QSize>
#include <QtGlobal>
#include <cstddef>
#include <memory>

namespace engine {

class PicturePool {
public:
    explicit PicturePool(std::size_t limitBytes = 0);

    // An RGB32 picture of `size`, its pixels not set; in a buffer the pool had when there is one
    // of that size free (buffers of other sizes are given back: the player shows one file at a
    // time). Null when `size` is empty or memory runs out.
    QImage take(QSize size);
    // A buffer of at least `bytes` for a decoder's picture plane, aligned as FFmpeg needs; one
    // the pool had when there is one of that size free (buffers of other sizes stay: a picture's
    // planes differ in size). Null when memory runs out.
    AVBufferRef* takeBuffer(std::size_t bytes);
    // Makes the decoder `c`, not yet opened, take its pictures from this pool (for codecs that
    // let the caller give the memory). This handle must outlive the decoder.
    void serveDecoder(AVCodecContext* c);
    // Buffers beyond the new limit are given back as they become free.
    void setLimit(std::size_t bytes);

    struct Counters {
        std::size_t bytesOut = 0;  // in pictures still alive
        std::size_t bytesFree = 0; // kept for the next take()
        quint64 made = 0;          // buffers taken from the system so far
    };
    Counters counters() const;

    struct State; // shared with the pictures out, which give their buffers back to it

private:
    std::shared_ptr<State> m_state;
};

// Converts pictures as a decoder gave them into RGB32 pictures from a pool. Not thread-safe: one
// converter per thread, or a lock around it.
class PictureConverter {
public:
    explicit PictureConverter(const PicturePool& pool = PicturePool()) : m_pool(pool) {}
    void setPool(const PicturePool& pool) { m_pool = pool; }
    // Null when there is no picture or it cannot be converted.
    QImage convert(const AVFrame* f);

private:
    SwsPtr m_sws;
    PicturePool m_pool;
};

// Bytes a picture as the decoder gave it holds (its buffers).
std::size_t frameBytes(const AVFrame* f);

} // namespace engine
