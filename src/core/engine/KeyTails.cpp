#include "core/engine/KeyTails.h"

#include <cstdlib>

namespace engine {

void KeyTails::reset(const std::vector<int>& keys, std::size_t limit) {
    m_keys.clear();
    m_starts.clear();
    m_kept.clear();
    m_givenUp.clear();
    m_limit = limit;
    for (std::size_t i = 1; i < keys.size(); ++i)
        if (keys[i] - keys[i - 1] >= kMinGroup) {
            m_keys.push_back(keys[i]);
            m_starts.push_back(keys[i - 1]);
        }
}

std::size_t KeyTails::capacity() const {
    return std::min(m_limit, m_keys.size() * kMaxDepth);
}

int KeyTails::depth() const {
    if (m_keys.empty() || m_limit == 0)
        return 0;
    const std::size_t keys = std::min(m_limit, m_keys.size());
    return static_cast<int>(std::clamp<std::size_t>(m_limit / keys, 1, kMaxDepth));
}

bool KeyTails::isTail(int frame) const {
    auto it = std::upper_bound(m_keys.begin(), m_keys.end(), frame);
    return it != m_keys.end() && *it - frame <= kMaxDepth;
}

// The key frames whose pictures before are kept, nearest to `shown` first: they lie on both
// sides of it in the ascending list, so the two sides are merged outwards.
std::vector<int> KeyTails::nearestKeys(int shown) const {
    const std::size_t count = depth() > 0 ? m_limit / static_cast<std::size_t>(depth()) : 0;
    std::vector<int> out;
    // The last picture before key k is k - 1: distances are measured to it.
    auto right = std::lower_bound(m_keys.begin(), m_keys.end(), shown + 1);
    auto left = right;
    while (out.size() < count && (left != m_keys.begin() || right != m_keys.end())) {
        const bool takeLeft =
            right == m_keys.end() ||
            (left != m_keys.begin() && shown - (*(left - 1) - 1) < *right - 1 - shown);
        out.push_back(takeLeft ? *--left : *right++);
    }
    return out;
}

// Within depth() before one of `keys`, and not before the key frame that starts its group.
bool KeyTails::wantedNear(int frame, const std::vector<int>& keys) const {
    auto it = std::upper_bound(m_keys.begin(), m_keys.end(), frame);
    if (it == m_keys.end() || *it - frame > depth() ||
        frame < m_starts[static_cast<std::size_t>(it - m_keys.begin())])
        return false;
    return std::find(keys.begin(), keys.end(), *it) != keys.end();
}

void KeyTails::dropFar(const std::vector<int>& keys) {
    std::erase_if(m_kept, [&](const auto& t) { return !wantedNear(t.first, keys); });
}

int KeyTails::next(int shown, const std::function<bool(int)>& kept) {
    const std::vector<int> keys = nearestKeys(shown);
    dropFar(keys);
    for (int k : keys)
        if (!m_kept.contains(k - 1) && !m_givenUp.contains(k - 1) && !kept(k - 1))
            return k - 1;
    return -1;
}

void KeyTails::offer(int frame, const AVFrame* picture, int shown) {
    if (!picture || m_kept.contains(frame) || !isTail(frame))
        return;
    const std::vector<int> keys = nearestKeys(shown);
    if (!wantedNear(frame, keys))
        return;
    dropFar(keys); // room is made by dropping what is no longer among the nearest
    FramePtr ref = makeFrame();
    if (ref && av_frame_ref(ref.get(), picture) == 0)
        m_kept.emplace(frame, std::move(ref));
}

const AVFrame* KeyTails::find(int frame) const {
    auto it = m_kept.find(frame);
    return it == m_kept.end() ? nullptr : it->second.get();
}

} // namespace engine
