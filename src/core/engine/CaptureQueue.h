#pragma once
// The queue between the device thread and the recording thread of a capture session: bounded by
// pictures, so a recording that falls behind makes the device drop pictures (and count them)
// instead of waiting.
#include "core/engine/AvPtr.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace engine {

struct CaptureItem {
    FramePtr video;             // null: sound alone
    std::vector<int16_t> audio; // interleaved signed 16-bit sample frames
    bool soundLost = false;     // the sound source has failed: no sound comes for this picture
};

// Bounded by pictures: a full queue refuses a picture, its sound is still taken (sound is small;
// it has its own, larger bound).
class CaptureQueue {
public:
    explicit CaptureQueue(int maxPictures) : m_maxPictures(maxPictures) {}
    // Takes the item when there is room for its picture; otherwise leaves it untouched.
    bool tryPush(CaptureItem& item);
    // Waits for room (the unpaced test camera); false when stopped or closed.
    bool pushWait(CaptureItem& item, std::stop_token stop);
    // Sound alone; dropped when the sound bound is reached (returns false).
    bool pushAudio(std::vector<int16_t> audio);
    // Blocks until an item is there or the queue is closed and empty.
    std::optional<CaptureItem> pop();
    void close();

private:
    void append(CaptureItem& item); // with m_mutex held
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::deque<CaptureItem> m_items;
    int m_pictures = 0;
    int m_maxPictures;
    bool m_closed = false;
};

} // namespace engine
