#pragma once
// The window of recently decoded pictures around the shown position, bounded in bytes, so that
// a step back is as quick as a step forward. When full, the pictures farthest from the
// position the operator looks at go first.
#include <QImage>
#include <cstddef>
#include <map>
#include <optional>
#include <utility>

namespace av {

class FrameCache {
public:
    explicit FrameCache(std::size_t budgetBytes = 256u << 20) : m_budget(budgetBytes) {}

    // Keeps the picture of frame `index`; `around` is the position now wanted. A picture that
    // would itself be the first to go is not kept.
    void put(int index, const QImage& picture, int around);
    bool contains(int index) const { return m_frames.count(index) != 0; }
    std::optional<QImage> get(int index) const;
    // The kept picture of the highest frame index at or below `index`, with that index.
    std::optional<std::pair<int, QImage>> atOrBefore(int index) const;
    void clear();

    // How many pictures of this size fit in the budget (at least 2).
    int capacityFor(const QImage& sample) const;
    int capacityFor(std::size_t bytesPerPicture) const;
    std::size_t bytes() const { return m_bytes; }
    std::size_t budget() const { return m_budget; }
    int size() const { return static_cast<int>(m_frames.size()); }

private:
    void evictAround(int around);

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    std::map<int, QImage> m_frames;
};

} // namespace av
