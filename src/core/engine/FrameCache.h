#pragma once
// The one window of decoded pictures of the player, shared by the decode worker (which fills
// it) and the user-interface thread (which shows from it), so that a step back is as quick as a
// step forward and a step to a kept frame needs no round trip to the worker. Bounded in bytes:
// when full, the pictures farthest from the position the player shows go first. While the
// player moves one way (a held arrow key), the frames it has passed count kPassedWeight times
// their distance, so most of the budget holds the frames it is heading for.
//
// A picture is kept either converted (a QImage) or as the decoder gave it (an AVFrame shared with
// the decoder, 4:2:0 at 3/8 the bytes of RGB32, so more than twice as many frames of a group fit
// the budget); such a picture is converted when it is looked up to be shown, into a buffer of
// the cache's PicturePool, sized by the budget, so that no picture is converted into memory
// freshly mapped from the system.
//
// Thread-safe: every member takes the one lock (a conversion runs outside it, under a lock of
// its own). Pictures are shared and never written after they are put, so handing out copies is
// cheap and safe on any thread.
#include "core/engine/PicturePool.h"

#include <QImage>
#include <QMutex>
#include <QtGlobal>
#include <cstddef>
#include <map>
#include <optional>
#include <utility>

namespace engine {

class FrameCache {
public:
    static constexpr std::size_t kDefaultBudget = 256u << 20; // bytes
    static constexpr int kPassedWeight = 4;
    // Room in the picture pool: the pictures on their way to the screen and the one shown (four
    // 1080p pictures); the pictures kept here are kept as the decoder gave them.
    static constexpr std::size_t kInFlightBytes = 32u << 20;

    explicit FrameCache(std::size_t budgetBytes = kDefaultBudget);
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;

    // Empties the window for the file of `generation`; pictures put for any other generation
    // (a file no longer shown) are dropped from then on. The position goes back to frame 0.
    void clear(quint64 generation = 0);
    // The frame the player shows or is about to show, and the way it moves there (+1 forward,
    // -1 back, 0 after a jump); eviction keeps the pictures around it.
    void setPosition(int frame, int direction = 0);
    int position() const;
    // How soon the picture of `index` goes: its distance from the position, times kPassedWeight
    // on the side the player has passed.
    static long long retentionCost(int index, int position, int direction);
    // True when a picture of `bytes` for `index` would be kept by put() now (there is room, or
    // some kept picture goes before it). Lets the worker skip converting pictures that would not
    // stay.
    bool worthKeeping(int index, std::size_t bytes) const;

    // Keeps the picture of frame `index` of the file of `generation`. A picture that would
    // itself be the first to go, or one larger than the whole budget, is not kept.
    void put(quint64 generation, int index, const QImage& picture);
    // The same for a picture as the decoder gave it (shared, not copied).
    void put(quint64 generation, int index, const AVFrame* picture);
    // Keeps for frame `index` the picture kept for the nearest frame before it (a frame with no
    // picture of its own); false when there is none.
    bool putNearestBefore(quint64 generation, int index);
    // The picture to show for frame `index`: counts a hit or a miss.
    std::optional<QImage> get(int index);
    // Looks without counting (the worker's own planning).
    bool contains(int index) const;
    // The kept picture of the highest frame index at or below `index`, with that index.
    std::optional<std::pair<int, QImage>> atOrBefore(int index) const;

    // How many pictures of this size fit in the budget (at least 2).
    int capacityFor(const QImage& sample) const;
    int capacityFor(std::size_t bytesPerPicture) const;
    std::size_t budget() const { return m_budget; }
    // The buffers the pictures put here are made in (a handle to the one pool).
    const PicturePool& pictures() const { return m_pictures; }
    // The buffers the decoder's pictures are made in, kept here or not, up to the budget: the
    // next file opened reuses them.
    const PicturePool& decoderBuffers() const { return m_decoderBuffers; }
    // Bytes of the budget that the decoder's own pictures take (its reference frames and the
    // frames in flight in its threads), so that the decoder and the cache together stay within
    // the budget. Pictures kept beyond the new limit go at once.
    void setReserve(std::size_t bytes);
    std::size_t reserve() const;
    std::size_t bytes() const;
    int size() const;

    // Lookups by get() since the cache was made; clear() keeps them.
    struct Counters {
        quint64 hits = 0;
        quint64 misses = 0;
    };
    Counters counters() const;

private:
    struct Entry {
        QImage image;   // converted
        FramePtr frame; // or as the decoder gave it
        std::size_t bytes = 0;
    };
    void putEntry(quint64 generation, int index, Entry entry);
    // The picture of an entry, converted when it is kept as the decoder gave it; `compact` holds
    // the entry's frame (taken under m_mutex) for the conversion outside it.
    QImage picture(const QImage& image, const FramePtr& compact) const;
    void evict(); // caller holds m_mutex
    long long cost(int index) const { return retentionCost(index, m_position, m_direction); }

    std::size_t limit() const { return m_budget - m_reserve; } // caller holds m_mutex

    const std::size_t m_budget;
    std::size_t m_reserve = 0;
    mutable QMutex m_mutex;
    std::size_t m_bytes = 0;
    std::map<int, Entry> m_frames;
    quint64 m_generation = 0;
    int m_position = 0;
    int m_direction = 0;
    Counters m_counters;
    PicturePool m_pictures;
    PicturePool m_decoderBuffers;
    mutable QMutex m_convertMutex;
    mutable PictureConverter m_convert; // under m_convertMutex
};

} // namespace engine
