#include "core/engine/PicturePool.h"

#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace engine {

struct PicturePool::State {
    QMutex mutex;
    std::size_t limit = 0;
    std::size_t bytesOut = 0;
    std::size_t bytesFree = 0;
    quint64 made = 0;
    using Buffer = MemoryPtr;
    std::vector<std::pair<std::size_t, Buffer>> free; // (bytes, buffer)

    // A buffer of `bytes`, from the free ones when there is one; null when memory runs out.
    // Free buffers of other sizes are given back first when `oneSize`.
    Buffer lend(std::size_t bytes, bool oneSize);

    void trim() { // caller holds mutex
        while (!free.empty() && bytesOut + bytesFree > limit) {
            bytesFree -= free.back().first;
            free.pop_back();
        }
    }
};

PicturePool::State::Buffer PicturePool::State::lend(std::size_t bytes, bool oneSize) {
    {
        QMutexLocker lock(&mutex);
        if (oneSize)
            std::erase_if(free, [&](auto& b) {
                if (b.first == bytes)
                    return false;
                bytesFree -= b.first;
                return true;
            });
        auto it = std::find_if(free.rbegin(), free.rend(),
                               [&](const auto& b) { return b.first == bytes; });
        if (it != free.rend()) {
            Buffer buffer = std::move(it->second);
            free.erase(std::next(it).base());
            bytesFree -= bytes;
            bytesOut += bytes;
            return buffer;
        }
    }
    Buffer buffer(static_cast<uint8_t*>(av_malloc(bytes)));
    if (!buffer)
        return buffer;
    QMutexLocker lock(&mutex);
    bytesOut += bytes;
    ++made;
    return buffer;
}

namespace {
// Rides with a picture while it lives: its buffer and the pool it goes back to.
struct Loan {
    std::shared_ptr<PicturePool::State> pool;
    std::size_t bytes = 0;
    PicturePool::State::Buffer buffer;
};

void giveBack(void* info) {
    std::unique_ptr<Loan> loan(static_cast<Loan*>(info));
    QMutexLocker lock(&loan->pool->mutex);
    loan->pool->bytesOut -= loan->bytes;
    loan->pool->bytesFree += loan->bytes;
    loan->pool->free.emplace_back(loan->bytes, std::move(loan->buffer));
    loan->pool->trim();
}

void giveBackBuffer(void* info, uint8_t*) {
    giveBack(info);
}

// What a decoder's default allocator adds to each plane: room for its reads past the end.
constexpr std::size_t kPlanePadding = 16 + 64 - 1;

// A decoder's picture in buffers from the pool, laid out as FFmpeg's own allocator lays it out:
// the size aligned as the codec asks, each line a multiple of the codec's alignment.
int getPoolBuffer(AVCodecContext* c, AVFrame* f, int flags) {
    auto* pool = static_cast<PicturePool*>(c->opaque);
    const auto format = static_cast<AVPixelFormat>(f->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (!pool || c->codec_type != AVMEDIA_TYPE_VIDEO ||
        !(c->codec->capabilities & AV_CODEC_CAP_DR1) || !desc ||
        (desc->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL)))
        return avcodec_default_get_buffer2(c, f, flags);
    int w = f->width, h = f->height;
    int align[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(c, &w, &h, align);
    int linesize[4] = {};
    for (bool unaligned = true; unaligned;) {
        if (const int rc = av_image_fill_linesizes(linesize, format, w); rc < 0)
            return rc;
        w += w & ~(w - 1); // wider for the next try: the lowest bit set in w
        unaligned = false;
        for (int i = 0; i < 4; ++i)
            unaligned = unaligned || (align[i] > 0 && linesize[i] % align[i] != 0);
    }
    ptrdiff_t lines[4] = {linesize[0], linesize[1], linesize[2], linesize[3]};
    size_t sizes[4] = {};
    if (const int rc = av_image_fill_plane_sizes(sizes, format, h, lines); rc < 0)
        return rc;
    for (int i = 0; i < 4 && sizes[i] > 0; ++i) {
        f->buf[i] = pool->takeBuffer(sizes[i] + kPlanePadding);
        if (!f->buf[i]) {
            for (int j = 0; j < i; ++j)
                av_buffer_unref(&f->buf[j]);
            return AVERROR(ENOMEM);
        }
        f->data[i] = f->buf[i]->data;
        f->linesize[i] = linesize[i];
    }
    f->extended_data = f->data;
    return 0;
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
    // The player shows one file at a time: buffers of another size are not asked for again.
    loan->buffer = m_state->lend(bytes, true);
    if (!loan->buffer)
        return {};
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

AVBufferRef* PicturePool::takeBuffer(std::size_t bytes) {
    if (bytes == 0 || bytes > std::size_t(INT_MAX))
        return nullptr;
    auto loan = std::make_unique<Loan>();
    loan->pool = m_state;
    loan->bytes = bytes;
    loan->buffer = m_state->lend(bytes, false);
    if (!loan->buffer)
        return nullptr;
    AVBufferRef* ref = av_buffer_create(loan->buffer.get(), bytes, giveBackBuffer, loan.get(), 0);
    if (!ref) { // the loan was not taken: it goes back from here
        giveBack(loan.release());
        return nullptr;
    }
    loan.release(); // the buffer owns it now and hands it to giveBack()
    return ref;
}

void PicturePool::serveDecoder(AVCodecContext* c) {
    c->opaque = this;
    c->get_buffer2 = getPoolBuffer;
#if LIBAVCODEC_VERSION_MAJOR < 60
    // The pool may be called from the decoder's own threads. Before FFmpeg 6 a decoder's frame
    // threads otherwise hand each picture's buffer request to the thread that feeds the decoder
    // and wait for it: measured on two cores, a 1080p H.264 group decoded an eighth slower.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    c->thread_safe_callbacks = 1;
#pragma GCC diagnostic pop
#endif
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
