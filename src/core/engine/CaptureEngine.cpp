#include "core/engine/CaptureEngine.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>

namespace av {

bool CaptureQueue::tryPush(CaptureItem& item) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed || (item.video && m_pictures >= m_maxPictures))
            return false;
        if (item.video)
            ++m_pictures;
        m_items.push_back(std::move(item));
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
        if (item.video)
            ++m_pictures;
        m_items.push_back(std::move(item));
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

CaptureEngine::CaptureEngine(PreviewFn preview, EndedFn ended)
    : m_preview(std::move(preview)), m_ended(std::move(ended)) {}

CaptureEngine::~CaptureEngine() {
    stop();
}

int CaptureEngine::start(SessionConfig config) {
    stop();
    m_config = std::move(config);
    if (!m_config.live)
        m_config.live = std::make_shared<LiveSettings>();
    const QSize size = m_config.video->size();
    const int bytes = std::max(
        1, av_image_get_buffer_size(m_config.video->format(), size.width(), size.height(), 32));
    // About 64 MB of pictures: half a second or more at 1920x1080.
    m_queue = std::make_unique<CaptureQueue>(std::clamp(64 * 1024 * 1024 / bytes, 3, 30));
    m_captured = m_dropped = m_samples = m_clock = 0;
    {
        std::lock_guard lock(m_warningMutex);
        m_warning.clear();
    }
    m_stopping = false;
    m_previewPending = false;
    m_recording = bool(m_config.writer);
    const int session = ++m_session;
    m_running = true;
    m_record = std::thread([this, session] {
        recordLoop();
        QString warning;
        {
            std::lock_guard lock(m_warningMutex);
            warning = m_warning;
        }
        if (!m_stopping)
            m_ended(session, warning);
    });
    m_deviceStop = std::stop_source();
    m_soundStop = std::stop_source();
    if (m_config.sound == SoundSource::Device && m_config.soundDevice)
        m_soundThread = std::thread([this, st = m_soundStop.get_token()] { soundLoop(st); });
    m_device = std::thread([this, st = m_deviceStop.get_token()] { deviceLoop(st); });
    return session;
}

QString CaptureEngine::stop() {
    if (!m_running)
        return {};
    m_stopping = true;
    m_deviceStop.request_stop();
    if (m_device.joinable())
        m_device.join();
    if (m_soundThread.joinable()) // normally joined by the device thread already
        m_soundThread.join();
    if (m_record.joinable())
        m_record.join();
    m_running = false;
    m_recording = false;
    m_config.writer.reset();
    m_config.video.reset();
    m_config.soundDevice.reset();
    m_queue.reset();
    std::lock_guard lock(m_warningMutex);
    return m_warning;
}

void CaptureEngine::setPreviewSize(QSize size) {
    m_previewW = size.width();
    m_previewH = size.height();
}

CaptureCounters CaptureEngine::counters() const {
    return CaptureCounters{m_captured.load(), m_dropped.load(), m_samples.load(), m_clock.load()};
}

void CaptureEngine::endSession(const QString& warning) {
    std::lock_guard lock(m_warningMutex);
    if (m_warning.isEmpty())
        m_warning = warning;
}

// Device thread.
void CaptureEngine::deviceLoop(std::stop_token stop) {
    VideoSource& source = *m_config.video;
    const int fps = m_config.fps;
    const int rate = m_config.sampleRate;
    const int channels = m_config.channels;
    const bool tone = m_config.sound == SoundSource::TestTone;
    const int64_t limit = m_config.frameLimit;
    int64_t next = 0;
    auto toneFor = [&](int64_t from, int64_t to) {
        std::vector<int16_t> audio;
        if (!tone || to <= from)
            return audio;
        const int64_t a = tone::samplesBefore(from, rate, fps);
        const int64_t b = tone::samplesBefore(to, rate, fps);
        audio.resize(size_t((b - a) * channels));
        tone::fill(audio.data(), a, int(b - a), channels, rate, fps);
        return audio;
    };
    while (!stop.stop_requested() && !(limit > 0 && next >= limit)) {
        FramePtr frame = source.read(stop);
        if (!frame) {
            if (!stop.stop_requested()) {
                const QString why = source.error();
                endSession(why.isEmpty() ? QStringLiteral("The camera stopped delivering pictures")
                                         : why);
            }
            break;
        }
        int64_t index = std::max<int64_t>(frame->pts, next);
        if (limit > 0 && index >= limit) { // skipped past the end: the rest counts as dropped
            m_dropped += limit - next;
            if (tone && m_queue->pushAudio(toneFor(next, limit)))
                m_samples +=
                    tone::samplesBefore(limit, rate, fps) - tone::samplesBefore(next, rate, fps);
            next = limit;
            m_clock = next;
            break;
        }
        frame->pts = index;
        m_dropped += index - next; // pictures the device skipped
        CaptureItem item{std::move(frame), toneFor(next, index + 1)};
        const int64_t sampleFrames = int64_t(item.audio.size()) / std::max(1, channels);
        const bool taken = m_config.paced ? m_queue->tryPush(item) : m_queue->pushWait(item, stop);
        if (taken) {
            ++m_captured;
            m_samples += sampleFrames;
        } else {
            if (stop.stop_requested())
                break;
            ++m_dropped; // the recording is behind: the picture goes, its sound stays
            if (!item.audio.empty() && m_queue->pushAudio(std::move(item.audio)))
                m_samples += sampleFrames;
        }
        next = index + 1;
        m_clock = next;
    }
    m_soundStop.request_stop();
    if (m_soundThread.joinable())
        m_soundThread.join();
    m_queue->close();
}

// Sound thread (a sound device, not the test tone).
void CaptureEngine::soundLoop(std::stop_token stop) {
    AlsaSource& source = *m_config.soundDevice;
    while (!stop.stop_requested()) {
        std::vector<int16_t> audio = source.read(stop);
        if (audio.empty()) {
            if (!stop.stop_requested()) {
                endSession(source.error());
                m_deviceStop.request_stop();
            }
            return;
        }
        const int64_t frames = int64_t(audio.size()) / std::max(1, source.channels());
        if (m_queue->pushAudio(std::move(audio)))
            m_samples += frames;
    }
}

// Recording thread.
void CaptureEngine::makePreview(const AVFrame* frame) {
    const int boxW = m_previewW, boxH = m_previewH;
    if (boxW < 2 || boxH < 2 || m_previewPending)
        return;
    const double scale = std::min(double(boxW) / frame->width, double(boxH) / frame->height);
    const int w = std::max(2, int(frame->width * scale) & ~1);
    const int h = std::max(2, int(frame->height * scale) & ~1);
    m_previewSws.reset(sws_getCachedContext(m_previewSws.release(), frame->width, frame->height,
                                            AVPixelFormat(frame->format), w, h, AV_PIX_FMT_BGRA,
                                            SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_previewSws)
        return;
    QImage image(w, h, QImage::Format_RGB32);
    uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(m_previewSws.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
    m_previewPending = true;
    m_preview(std::move(image));
}

// Recording thread.
void CaptureEngine::recordLoop() {
    AviWriter* writer = m_config.writer.get();
    LiveSettings& live = *m_config.live;
    const QSize size = m_config.video->size();
    const AVPixelFormat format = m_config.video->format();
    FilterChain chain;
    int generation = -1;
    bool writing = writer != nullptr;
    auto failWriting = [&] {
        writing = false;
        endSession(writer->error());
        m_deviceStop.request_stop();
    };
    auto handle = [&](std::vector<FramePtr> frames) {
        for (FramePtr& f : frames) {
            makePreview(f.get());
            if (writing && !writer->writeVideo(f.get()))
                failWriting();
        }
    };
    while (std::optional<CaptureItem> item = m_queue->pop()) {
        if (item->video) {
            if (live.effectGeneration() != generation) {
                if (chain.active()) // the frames an effect holds back still belong to the file
                    handle(chain.apply(nullptr));
                const QString err =
                    chain.configure(live.effect(&generation), size.width(), size.height(), format);
                if (!err.isEmpty())
                    endSession(QStringLiteral("The effect cannot be applied: %1").arg(err));
            }
            handle(chain.apply(std::move(item->video)));
        }
        if (!item->audio.empty()) {
            const int gain = live.gainPercent;
            if (gain != 100)
                for (int16_t& s : item->audio)
                    s = int16_t(std::clamp(int(s) * gain / 100, -32768, 32767));
            const int channels = std::max(1, m_config.channels);
            if (writing &&
                !writer->writeAudio(item->audio.data(), int(item->audio.size()) / channels))
                failWriting();
            if (m_config.listen)
                m_config.listen(item->audio);
        }
    }
    if (chain.active())
        handle(chain.apply(nullptr));
    if (writer && !writer->finish() && writing)
        endSession(writer->error());
}

} // namespace av
