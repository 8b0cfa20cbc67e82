#include "core/engine/PicturePool.h"

#include <QMutex>
#include <QMutexLocker>
#include <new>
#include <utility>
#include <vector>

namespace engine {

struct PicturePool::State {
    QMutex mutex;
    std::size_t limit = 0;
    std::size_t bytesOut = 0;
    std::size_t bytesFree = 0;
    quint64 made = 0;
    std::vector<std::pair<std::size_t, std::unique_ptr<uchar[]>>> free; // (bytes, buffer)

    void trim() { // caller holds mutex
        while (!free.empty() && bytesOut + bytesFree > limit) {
            bytesFree -= free.back().first;
            free.pop_back();
        }
    }
};

namespace {
// Rides with a picture while it lives: its buffer and the pool it goes back to.
struct Loan {
    std::shared_ptr<PicturePool::State> pool;
    std::size_t bytes = 0;
    std::unique_ptr<uchar[]> buffer;
};

void giveBack(void* info) {
    std::unique_ptr<Loan> loan(static_cast<Loan*>(info));
    QMutexLocker lock(&loan->pool->mutex);
    loan->pool->bytesOut -= loan->bytes;
    loan->pool->bytesFree += loan->bytes;
    loan->pool->free.emplace_back(loan->bytes, std::move(loan->buffer));
    loan->pool->trim();
}
} // namespace

PicturePool::PicturePool(std::size_t limitBytes) : m_state(std::make_shared<State>()) {
    m_state->limit = limitBytes;
}

void PicturePool::setLimit(std::size_t bytes) {
    QMutexLocker lock(&m_state->mutex);
    m_state->limit = bytes;
    m_state->trim();
}

PicturePool::Counters PicturePool::counters() const {
    QMutexLocker lock(&m_state->mutex);
    return {m_state->bytesOut, m_state->bytesFree, m_state->made};
}

QImage PicturePool::take(QSize size) {
    if (size.isEmpty())
        return {};
    const qsizetype stride = static_cast<qsizetype>(size.width()) * 4;
    const std::size_t bytes =
        static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
    auto loan = std::make_unique<Loan>();
    loan->pool = m_state;
    loan->bytes = bytes;
    {
        QMutexLocker lock(&m_state->mutex);
        auto& free = m_state->free;
        std::erase_if(free, [&](auto& b) {
            if (b.first == bytes)
                return false;
            m_state->bytesFree -= b.first;
            return true;
        });
        if (!free.empty()) {
            loan->buffer = std::move(free.back().second);
            free.pop_back();
            m_state->bytesFree -= bytes;
        }
        m_state->bytesOut += bytes;
    }
    if (!loan->buffer) {
        try {
            loan->buffer = std::make_unique_for_overwrite<uchar[]>(bytes);
        } catch (const std::bad_alloc&) {
        }
        QMutexLocker lock(&m_state->mutex);
        if (!loan->buffer) {
            m_state->bytesOut -= bytes;
            return {};
        }
        ++m_state->made;
    }
    uchar* data = loan->buffer.get();
    QImage picture(data, size.width(), size.height(), stride, QImage::Format_RGB32, giveBack,
                   loan.get());
    if (picture.isNull()) { // the loan was not taken: it goes back from here
        giveBack(loan.release());
        return {};
    }
    loan.release(); // the picture owns it now and hands it to giveBack()
    return picture;
}

QImage PictureConverter::convert(const AVFrame* f) {
    if (!f || f->width <= 0 || f->height <= 0 || f->format < 0)
        return {};
    m_sws.reset(sws_getCachedContext(m_sws.release(), f->width, f->height,
                                     static_cast<AVPixelFormat>(f->format), f->width, f->height,
                                     AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_sws)
        return {};
    QImage img = m_pool.take(QSize(f->width, f->height));
    if (img.isNull())
        return {};
    uint8_t* dst[4] = {img.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(img.bytesPerLine()), 0, 0, 0};
    const int rows = sws_scale(m_sws.get(), f->data, f->linesize, 0, f->height, dst, dstStride);
    if (rows != f->height)
        return {};
    return img;
}

std::size_t frameBytes(const AVFrame* f) {
    if (!f)
        return 0;
    std::size_t bytes = 0;
    for (const AVBufferRef* b : f->buf)
        if (b)
            bytes += b->size;
    for (int i = 0; i < f->nb_extended_buf; ++i)
        bytes += f->extended_buf[i]->size;
    return bytes;
}

} // namespace engine
