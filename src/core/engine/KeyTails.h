#pragma once
// The picture just before each key frame of a long group, kept as the decoder gave it (4:2:0,
// shared, not copied). A back step from a key frame needs that picture, and reaching it costs
// the reference pictures of the whole group before; with it kept, the step is a conversion.
// The decode worker fills it while it has nothing else to do, the key frames nearest the shown
// frame first, and keeps as many as its room allows, dropping the farthest as the operator
// moves on.
#include "core/engine/AvPtr.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace av {

class KeyTails {
public:
    // Groups shorter than this are reached by the ordinary prefetching window.
    static constexpr int kMinGroup = 16;

    // A new file: `keys` are its key frames, ascending; room for `limit` pictures (0: none).
    void reset(const std::vector<int>& keys, std::size_t limit);
    // True when `frame` is the last one before a key frame of a long group.
    bool isTail(int frame) const;
    // The tail to decode next: the nearest to `shown` among the `limit` nearest that is neither
    // kept here, nor kept elsewhere (`kept`), nor given up; -1 when there is none. Tails that are
    // no longer among the nearest are dropped.
    int next(int shown, const std::function<bool(int)>& kept);
    // A picture the decoder gave for `frame`: kept when `frame` is a tail among the nearest.
    void offer(int frame, const AVFrame* picture, int shown);
    // The kept picture of `frame`, or null.
    const AVFrame* find(int frame) const;
    // `frame` could not be decoded; it is not tried again for this file.
    void giveUp(int frame) { m_givenUp.insert(frame); }
    std::size_t size() const { return m_kept.size(); }
    // The most pictures it will keep for this file.
    std::size_t capacity() const { return std::min(m_limit, m_tails.size()); }

private:
    std::vector<int> nearest(int shown) const;

    std::vector<int> m_tails; // ascending
    std::size_t m_limit = 0;
    std::map<int, FramePtr> m_kept;
    std::set<int> m_givenUp;
};

} // namespace av
