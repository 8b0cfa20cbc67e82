#pragma once
// The last pictures before each key frame of a long group, kept as the decoder gave them (4:2:0,
// shared, not copied). A back step from a key frame needs them, and reaching them costs the
// reference pictures of the whole group before; with them kept, the steps are conversions while
// the worker decodes that group for the steps after. The decode worker fills them while it has
// nothing else to do, the key frames nearest the shown frame first, and keeps as many pictures
// as its room allows: one before each of the nearest key frames, and when the room is enough
// for all of them, a few more before each, so that a held "<" from a key frame finds a picture
// for each step until the group is decoded. The farthest are dropped as the operator moves on.
#include "core/engine/AvPtr.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace engine {

class KeyTails {
public:
    // Groups shorter than this are reached by the ordinary prefetching window.
    static constexpr int kMinGroup = 16;
    // Pictures kept before one key frame at most.
    static constexpr int kMaxDepth = 5;

    // A new file: `keys` are its key frames, ascending; room for `limit` pictures (0: none).
    void reset(const std::vector<int>& keys, std::size_t limit);
    // True when `frame` lies within kMaxDepth before a key frame of a long group.
    bool isTail(int frame) const;
    // The last frame before the next key frame to decode: the nearest to `shown` among the
    // nearest, neither kept here, nor kept elsewhere (`kept`), nor given up; -1 when there is
    // none. Pictures no longer among the nearest are dropped.
    int next(int shown, const std::function<bool(int)>& kept);
    // Pictures kept before each key frame (the frames from the one next() gives less depth() - 1
    // on are wanted).
    int depth() const;
    // A picture the decoder gave for `frame`: kept when it is wanted before one of the nearest.
    void offer(int frame, const AVFrame* picture, int shown);
    // The kept picture of `frame`, or null.
    const AVFrame* find(int frame) const;
    // The frame before a key frame could not be decoded; it is not tried again for this file.
    void giveUp(int frame) { m_givenUp.insert(frame); }
    // The most pictures it will keep for this file.
    std::size_t capacity() const;

private:
    std::vector<int> nearestKeys(int shown) const; // nearest first
    bool wantedNear(int frame, const std::vector<int>& keys) const;
    void dropFar(const std::vector<int>& keys);

    std::vector<int> m_keys;   // key frames that end a long group, ascending
    std::vector<int> m_starts; // the key frame that starts each of those groups
    std::size_t m_limit = 0;
    std::map<int, FramePtr> m_kept;
    std::set<int> m_givenUp;
};

} // namespace engine
