#pragma once
// The capture pipeline of one session (live picture, and a recording when a writer is given):
// a device thread reads the source and never waits for the recording thread; a bounded queue
// between them drops (and counts) pictures when the recording falls behind; the recording thread
// applies the effect, makes the live pictures and writes the file.
#include "core/engine/AviWriter.h"
#include "core/engine/CameraJpeg.h"
#include "core/engine/CaptureQueue.h"
#include "core/engine/CaptureSources.h"
#include "core/run/TimingRecord.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace engine {

enum class SoundSource { None, TestTone, Device };

struct SessionConfig {
    std::unique_ptr<VideoSource> video;
    int fps = 30;
    bool paced = true;      // false: the device waits for room (unpaced test camera)
    int64_t frameLimit = 0; // slots on the frame clock; 0 = no limit
    SoundSource sound = SoundSource::None;
    std::unique_ptr<AlsaSource> soundDevice; // with SoundSource::Device
    std::unique_ptr<SlotSound> tone;         // with SoundSource::TestTone
    int sampleRate = 44100;
    int channels = 2;
    // Null: live picture only. A recording keeps its timing record beside it (`<file>.timing`).
    std::unique_ptr<AviWriter> writer;
    std::shared_ptr<LiveSettings> live;
    // Hears the sound (after the input gain), on the recording thread; empty: nobody listens.
    std::function<void(const std::vector<int16_t>&)> listen;
};

// Frames are slots of the frame clock. A slot no picture reached, or whose picture the recording
// had no room for, repeats the previous picture in the file.
struct CaptureCounters {
    int64_t framesCaptured = 0;  // slots in the file (written so far), repeats included
    int64_t framesDropped = 0;   // slots that repeat the previous picture
    int64_t samplesCaptured = 0; // sample frames in the file, silence written for lost sound too
    int64_t clockFrames = 0;     // slots on the frame clock so far
    int64_t extraPictures = 0;   // pictures dropped because their slot was taken
};

class CaptureEngine {
public:
    // Called on the recording thread: a live picture (RGB32, fitted to the preview size).
    using PreviewFn = std::function<void(QImage)>;
    // Called on the recording thread when a session ended by itself (time limit reached, device
    // or disk failure), with the reason for a warning (empty at the time limit) and the session.
    using EndedFn = std::function<void(int session, QString warning)>;

    CaptureEngine(PreviewFn preview, EndedFn ended);
    ~CaptureEngine();

    // Starts a session; returns its number. GUI thread.
    int start(SessionConfig config);
    // Stops the device, writes what is queued, closes the file and returns the reason the
    // session failed, if it did. Does nothing when idle. GUI thread.
    QString stop();
    bool running() const { return m_running; }
    bool recording() const { return m_running && m_recording; }
    int session() const { return m_session; }

    // Size of the live pictures (fitted inside, aspect kept); empty: none. Any thread.
    void setPreviewSize(QSize size);
    // The GUI has shown the last live picture: the next one may be made. Any thread.
    void previewShown() { m_previewPending = false; }

    CaptureCounters counters() const;
    // What the operator should hear about the last recording although it went on (its sound
    // failed); empty: nothing. Read after stop().
    QString notice() const;

private:
    void deviceLoop(std::stop_token stop);
    void soundLoop(std::stop_token stop);
    void recordLoop();
    void makePreview(const AVFrame* frame);
    void endSession(const QString& warning);
    void soundFailed(const QString& why);

    PreviewFn m_preview;
    EndedFn m_ended;
    SessionConfig m_config;
    std::unique_ptr<CaptureQueue> m_queue;
    // Plain threads with their own stop sources, so that any thread may ask the device to stop
    // while the GUI thread joins it.
    std::thread m_device;
    std::thread m_soundThread;
    std::thread m_record;
    std::stop_source m_deviceStop;
    std::stop_source m_soundStop;
    bool m_running = false;
    bool m_recording = false;
    int m_session = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_previewPending{false};
    std::atomic<int> m_previewW{0};
    std::atomic<int> m_previewH{0};
    std::atomic<int64_t> m_captured{0};
    std::atomic<int64_t> m_dropped{0};
    std::atomic<int64_t> m_samples{0};
    std::atomic<int64_t> m_clock{0};
    std::atomic<int64_t> m_extras{0};
    std::atomic<bool> m_soundFailed{false};
    run::TimingRecordWriter m_timing; // device thread, then the recording thread at the end
    mutable std::mutex m_warningMutex;
    QString m_warning; // first failure of the session
    QString m_soundError;
    QString m_notice;
    SwsPtr m_previewSws;       // recording thread only
    JpegDecoder m_jpeg;        // recording thread: camera JPEGs that need their pixels
    JpegDecoder m_previewJpeg; // recording thread: camera JPEGs shown as live pictures
};

} // namespace engine
