#include "core/engine/CaptureQueue.h"

namespace engine {

void CaptureQueue::append(CaptureItem& item) {
    if (item.video)
        ++m_pictures;
    m_items.push_back(std::move(item));
}

bool CaptureQueue::tryPush(CaptureItem& item) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed || (item.video && m_pictures >= m_maxPictures))
            return false;
        append(item);
    }
    m_changed.notify_all();
    return true;
}

bool CaptureQueue::pushWait(CaptureItem& item, std::stop_token stop) {
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait(lock, stop, [&] { return m_closed || m_pictures < m_maxPictures; }) ||
            m_closed)
            return false;
        append(item);
    }
    m_changed.notify_all();
    return true;
}

bool CaptureQueue::pushAudio(std::vector<int16_t> audio) {
    constexpr size_t kMaxItems = 4096;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed || m_items.size() >= kMaxItems)
            return false;
        m_items.push_back(CaptureItem{nullptr, std::move(audio)});
    }
    m_changed.notify_all();
    return true;
}

std::optional<CaptureItem> CaptureQueue::pop() {
    std::optional<CaptureItem> out;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_closed || !m_items.empty(); });
        if (m_items.empty())
            return out;
        out = std::move(m_items.front());
        m_items.pop_front();
        if (out->video)
            --m_pictures;
    }
    m_changed.notify_all();
    return out;
}

void CaptureQueue::close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

} // namespace engine
