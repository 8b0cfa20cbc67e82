#pragma once
// Which frame the idle decode worker decodes next, so that the operator's next steps find their
// pictures kept. The two neighbours of the shown frame come first; then the frames the operator
// is heading for. Moving back (a held "<"), the frames behind are filled in batches: nothing is
// decoded while enough of them are kept, and once fewer than half are left, one decode run from
// the key frame fills the window again up to its highest missing frame, keeping every frame of the
// window on its way. The batch ends there: the frames the window takes in while the operator moved
// on meanwhile wait for the next batch, so that a group of pictures is decoded from its key frame
// once per batch, not once per step nor twice per batch.
#include <functional>

namespace engine {

struct PrefetchWindow {
    int behind = 0;   // frames below the shown one to keep ready
    int ahead = 0;    // frames above it
    int lowWater = 0; // moving back: refill once a frame this close is missing
};

// The window for a player moving `direction` (+1, -1, 0 after a jump) with room for `capacity`
// pictures in the cache.
PrefetchWindow prefetchWindow(int direction, int capacity);

class PrefetchPlan {
public:
    // The next frame to decode in [0, lastFrame], or -1 when everything needed is kept.
    int next(int shown, int direction, int capacity, int lastFrame,
             const std::function<bool(int)>& kept);
    // A new position was served: a refill in progress goes on only if still needed.
    void reset() {
        m_refilling = false;
        m_refillTop = -1;
    }

private:
    bool m_refilling = false;
    int m_refillTop = -1; // the highest frame the batch in progress decodes up to
};

} // namespace engine
