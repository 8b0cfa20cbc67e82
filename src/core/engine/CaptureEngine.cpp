#include "core/engine/CaptureEngine.h"

#include "core/engine/CameraJpeg.h"
#include "core/run/FrameClock.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace engine {

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
    m_captured = m_dropped = m_samples = m_clock = m_extras = 0;
    m_soundFailed = false;
    {
        std::lock_guard lock(m_warningMutex);
        m_warning.clear();
        m_soundError.clear();
        m_notice.clear();
    }
    if (m_config.writer) {
        const QString timing = run::timingRecordPath(m_config.writer->path());
        if (!m_timing.open(timing, run::Fraction{m_config.fps, 1}, QDateTime::currentDateTimeUtc()))
            m_notice = QStringLiteral("The timing record %1 cannot be written.").arg(timing);
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
    return CaptureCounters{m_captured.load(), m_dropped.load(), m_samples.load(), m_clock.load(),
                           m_extras.load()};
}

QString CaptureEngine::notice() const {
    std::lock_guard lock(m_warningMutex);
    return m_notice;
}

void CaptureEngine::endSession(const QString& warning) {
    std::lock_guard lock(m_warningMutex);
    if (m_warning.isEmpty())
        m_warning = warning;
}

// Device or sound thread. The pictures go on; the recording thread writes silence from here.
void CaptureEngine::soundFailed(const QString& why) {
    {
        std::lock_guard lock(m_warningMutex);
        if (m_soundFailed)
            return;
        m_soundError = why;
    }
    m_soundFailed = true;
}

// Device thread.
void CaptureEngine::deviceLoop(std::stop_token stop) {
    using run::SlotKind;
    VideoSource& source = *m_config.video;
    const int fps = m_config.fps;
    const int channels = m_config.channels;
    SlotSound* tone = m_config.sound == SoundSource::TestTone ? m_config.tone.get() : nullptr;
    const int64_t limit = m_config.frameLimit;
    // A source that gives its pictures in real time is kept on real time by the monotonic
    // clock; the unpaced test camera's time stamps are the only time it has.
    run::MonotonicClock monotonic;
    if (m_config.paced)
        monotonic = [] {
            return std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    run::FrameClock clock(run::Fraction{fps, 1}, run::Fraction{1, 1000000}, std::move(monotonic));
    FramePtr last; // the last picture handed on: the slots of an outage repeat it
    run::TimingRecordWriter* timing = m_timing.isOpen() ? &m_timing : nullptr;
    int64_t next = 0;     // slots handed on
    int64_t nextTime = 0; // the next slot whose capture time goes into the timing record
    auto toneFor = [&](int64_t from, int64_t to) {
        if (!tone)
            return std::vector<int16_t>();
        std::optional<std::vector<int16_t>> audio = tone->samples(from, to);
        if (!audio) { // the pictures go on; the recording writes silence from here
            soundFailed(tone->error());
            tone = nullptr;
            return std::vector<int16_t>();
        }
        return std::move(*audio);
    };
    auto note = [&](int64_t slot, SlotKind kind) {
        if (timing)
            timing->note(slot, kind);
    };
    while (!stop.stop_requested() && !(limit > 0 && next >= limit)) {
        FramePtr frame = source.read(stop);
        if (!frame && !stop.stop_requested() && source.waiting()) {
            // An outage: the slots real time passes repeat the last picture, so that the file
            // and its read-outs go on with the clock and the picture after it lands in real time.
            const int64_t reached = std::min(clock.idle(), limit > 0 ? limit : INT64_MAX);
            if (reached <= next || !last)
                continue;
            for (int64_t k = next; k < reached; ++k)
                note(k, SlotKind::Gap);
            FramePtr repeat(av_frame_clone(last.get()));
            if (repeat) {
                repeat->pts = reached - 1;
                CaptureItem item{std::move(repeat), toneFor(next, reached), m_soundFailed};
                const int64_t sampleFrames = int64_t(item.audio.size()) / std::max(1, channels);
                if (m_queue->tryPush(item) ||
                    (!item.audio.empty() && m_queue->pushAudio(std::move(item.audio))))
                    m_samples += sampleFrames;
            }
            m_dropped += reached - next;
            next = reached;
            m_clock = next;
            if (timing)
                timing->flush();
            continue;
        }
        if (!frame) {
            if (!stop.stop_requested()) {
                const QString why = source.error();
                endSession(why.isEmpty() ? QStringLiteral("The camera stopped delivering pictures")
                                         : why);
            }
            break;
        }
        const run::Placement place = clock.place(frame->pts);
        if (place.extra) {
            ++m_extras;
            note(place.slot, SlotKind::Extra);
            continue;
        }
        const int64_t index = place.slot;
        if (place.resumed)
            note(index, SlotKind::Reconnect);
        else if (place.jumped)
            note(index, SlotKind::Jump);
        for (int64_t k = next; k < std::min(index, limit > 0 ? limit : index); ++k)
            note(k, SlotKind::Gap);
        if (limit > 0 && index >= limit) { // skipped past the end: the rest repeats
            m_dropped += limit - next;
            std::vector<int16_t> audio = toneFor(next, limit);
            const int64_t sampleFrames = int64_t(audio.size()) / std::max(1, channels);
            if (!audio.empty() && m_queue->pushAudio(std::move(audio)))
                m_samples += sampleFrames;
            next = limit;
            m_clock = next;
            break;
        }
        if (timing && index >= nextTime) { // one capture time a second
            timing->time(index, place.time);
            timing->flush();
            nextTime = (index / fps + 1) * fps;
        }
        frame->pts = index;
        last.reset(av_frame_clone(frame.get()));
        m_dropped += index - next; // slots no picture reached
        CaptureItem item{std::move(frame), toneFor(next, index + 1), m_soundFailed};
        const int64_t sampleFrames = int64_t(item.audio.size()) / std::max(1, channels);
        const bool taken = m_config.paced ? m_queue->tryPush(item) : m_queue->pushWait(item, stop);
        if (taken) {
            m_samples += sampleFrames;
        } else {
            if (stop.stop_requested())
                break;
            ++m_dropped; // the recording is behind: the picture goes, its slot repeats
            note(index, SlotKind::Drop);
            if (!item.audio.empty() && m_queue->pushAudio(std::move(item.audio)))
                m_samples += sampleFrames;
        }
        next = index + 1;
        m_clock = next;
    }
    if (timing)
        timing->flush();
    m_soundStop.request_stop();
    if (m_soundThread.joinable())
        m_soundThread.join();
    m_queue->close();
}

// Sound thread (a sound device, not the test tone). A failure ends the sound, not the session.
void CaptureEngine::soundLoop(std::stop_token stop) {
    AlsaSource& source = *m_config.soundDevice;
    while (!stop.stop_requested()) {
        std::vector<int16_t> audio = source.read(stop);
        if (audio.empty()) {
            if (!stop.stop_requested())
                soundFailed(source.error());
            return;
        }
        const int64_t frames = int64_t(audio.size()) / std::max(1, source.channels());
        if (m_queue->pushAudio(std::move(audio)))
            m_samples += frames;
    }
}

// Recording thread.
void CaptureEngine::makePreview(const AVFrame* picture) {
    const int boxW = m_previewW, boxH = m_previewH;
    if (boxW < 2 || boxH < 2 || m_previewPending)
        return;
    const double scale = std::min(double(boxW) / picture->width, double(boxH) / picture->height);
    const int w = std::max(2, int(picture->width * scale) & ~1);
    const int h = std::max(2, int(picture->height * scale) & ~1);
    // A camera's JPEG is decoded only now, at the smallest scale that still fills the picture.
    FramePtr decoded;
    const AVFrame* frame = picture;
    if (!hasPixels(picture)) {
        int lowres = 0;
        while (lowres < 3 && (picture->width >> (lowres + 1)) >= w &&
               (picture->height >> (lowres + 1)) >= h)
            ++lowres;
        decoded = m_previewJpeg.decode(picture, lowres);
        if (!decoded)
            return;
        frame = decoded.get();
    }
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
    const int fps = m_config.fps;
    const int rate = m_config.sampleRate;
    const int channels = std::max(1, m_config.channels);
    const bool sound = m_config.sound != SoundSource::None;
    FilterChain chain;
    int generation = -1;
    bool writing = writer != nullptr;
    int64_t inFile = 0;       // slots in the file: the last one written + 1
    FramePtr last;            // the last picture written: it fills the slots after it
    int64_t soundWritten = 0; // sample frames in the file
    int64_t silenceFrom = -1; // sample frame where the lost sound begins
    bool soundLost = false;   // from the first picture the device sent after the failure
    auto failWriting = [&] {
        writing = false;
        endSession(writer->error());
        m_deviceStop.request_stop();
    };
    auto writeAudio = [&](const int16_t* samples, int count) {
        if (writing && !writer->writeAudio(samples, count))
            failWriting();
        soundWritten += count;
    };
    // After the sound failed, silence keeps the sound track as long as the pictures.
    auto fillSilence = [&] {
        if (!writing || !sound || !soundLost)
            return;
        if (silenceFrom < 0)
            silenceFrom = soundWritten;
        const int64_t target = toneSamplesBefore(inFile, rate, fps);
        std::vector<int16_t> zeros;
        while (writing && soundWritten < target) {
            const int n = int(std::min<int64_t>(target - soundWritten, 4096));
            zeros.assign(size_t(n * channels), 0);
            writeAudio(zeros.data(), n);
            m_samples += n;
        }
    };
    auto writeVideo = [&](AVFrame* f) {
        if (!writing)
            return;
        if (!writer->writeVideo(f)) {
            failWriting();
            return;
        }
        inFile = f->pts + 1;
        m_captured = inFile;
        fillSilence();
    };
    auto handle = [&](std::vector<FramePtr> frames) {
        for (FramePtr& f : frames) {
            makePreview(f.get());
            // A camera's JPEG that the file cannot take as it is, or that does not decode.
            if (writer && !writer->passesJpeg() && !m_jpeg.decodeInPlace(f.get()))
                continue;
            if (writer)
                writeVideo(f.get());
            else
                m_captured = f->pts + 1;
            last = std::move(f);
        }
    };
    while (std::optional<CaptureItem> item = m_queue->pop()) {
        soundLost = soundLost || item->soundLost;
        if (item->video) {
            if (live.effectGeneration() != generation) {
                if (chain.active()) // the frames an effect holds back still belong to the file
                    handle(chain.apply(nullptr));
                const QString err =
                    chain.configure(live.effect(&generation), size.width(), size.height(), format);
                if (!err.isEmpty())
                    endSession(QStringLiteral("The effect cannot be applied: %1").arg(err));
            }
            // An effect changes the picture: a camera's JPEG is decoded and goes.
            const bool usable = !chain.active() || m_jpeg.decodeInPlace(item->video.get());
            if (chain.active())
                dropCameraJpeg(item->video.get());
            if (usable)
                handle(chain.apply(std::move(item->video)));
        }
        if (!item->audio.empty()) {
            const int gain = live.gainPercent;
            if (gain != 100)
                for (int16_t& s : item->audio)
                    s = int16_t(std::clamp(int(s) * gain / 100, -32768, 32767));
            writeAudio(item->audio.data(), int(item->audio.size()) / channels);
            if (m_config.listen)
                m_config.listen(item->audio);
        }
    }
    if (chain.active())
        handle(chain.apply(nullptr));
    // The last slots of the clock had no room in the recording: the last picture fills them, so
    // that the file is as long as the clock ran.
    if (writing && last && inFile < m_clock) {
        last->pts = m_clock - 1;
        writeVideo(last.get());
    }
    soundLost = soundLost || m_soundFailed; // every picture is written: the rest is silence
    fillSilence();
    if (writer && !writer->finish() && writing)
        endSession(writer->error());
    if (writer && writer->failed()) {
        // Slots handed to the writer may never have reached the disk: the count is what the
        // file holds, so that the review never takes frames past its end.
        m_captured = std::min<int64_t>(m_captured, writer->framesWritten());
    }
    if (m_timing.isOpen())
        m_timing.finish(m_captured);
    if (silenceFrom >= 0) {
        std::lock_guard lock(m_warningMutex);
        const QString text =
            QStringLiteral("The sound stopped during the recording (%1): from %2 s to the end "
                           "at %3 s the recording has no sound.")
                .arg(m_soundError)
                .arg(double(silenceFrom) / rate, 0, 'f', 1)
                .arg(double(soundWritten) / rate, 0, 'f', 1);
        m_notice = m_notice.isEmpty() ? text : m_notice + QLatin1Char(' ') + text;
    }
}

} // namespace engine
