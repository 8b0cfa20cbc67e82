#include "core/engine/KeyTails.h"

#include <algorithm>
#include <cstdlib>

namespace av {

void KeyTails::reset(const std::vector<int>& keys, std::size_t limit) {
    m_tails.clear();
    m_kept.clear();
    m_givenUp.clear();
    m_limit = limit;
    for (std::size_t i = 1; i < keys.size(); ++i)
        if (keys[i] - keys[i - 1] >= kMinGroup)
            m_tails.push_back(keys[i] - 1);
}

bool KeyTails::isTail(int frame) const {
    return std::binary_search(m_tails.begin(), m_tails.end(), frame);
}

// The `limit` tails nearest to `shown`, nearest first: they lie on both sides of it in the
// ascending list, so the two sides are merged outwards.
std::vector<int> KeyTails::nearest(int shown) const {
    std::vector<int> out;
    auto right = std::lower_bound(m_tails.begin(), m_tails.end(), shown);
    auto left = right;
    while (out.size() < m_limit && (left != m_tails.begin() || right != m_tails.end())) {
        const bool takeLeft = right == m_tails.end() ||
                              (left != m_tails.begin() && shown - *(left - 1) < *right - shown);
        out.push_back(takeLeft ? *--left : *right++);
    }
    return out;
}

int KeyTails::next(int shown, const std::function<bool(int)>& kept) {
    const std::vector<int> near = nearest(shown);
    std::erase_if(m_kept, [&](const auto& t) {
        return std::find(near.begin(), near.end(), t.first) == near.end();
    });
    for (int t : near)
        if (!m_kept.contains(t) && !m_givenUp.contains(t) && !kept(t))
            return t;
    return -1;
}

void KeyTails::offer(int frame, const AVFrame* picture, int shown) {
    if (!picture || m_kept.contains(frame) || !isTail(frame))
        return;
    const std::vector<int> near = nearest(shown);
    if (std::find(near.begin(), near.end(), frame) == near.end())
        return;
    // Room is made by dropping what is no longer among the nearest.
    std::erase_if(m_kept, [&](const auto& t) {
        return std::find(near.begin(), near.end(), t.first) == near.end();
    });
    FramePtr ref = makeFrame();
    if (ref && av_frame_ref(ref.get(), picture) == 0)
        m_kept.emplace(frame, std::move(ref));
}

const AVFrame* KeyTails::find(int frame) const {
    auto it = m_kept.find(frame);
    return it == m_kept.end() ? nullptr : it->second.get();
}

} // namespace av
