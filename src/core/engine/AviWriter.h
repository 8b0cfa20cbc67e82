#pragma once
// One recording: an AVI file created exclusively (an existing file is never replaced), written by
// libavformat's avi muxer (OpenDML past 1 GiB) with a video stream and optionally a sound stream.
// The header goes out first and the file is flushed to the system at least twice a second, so a
// recording cut off by a crash or a kill still opens and plays up to its last written frames.
#include "core/engine/AvPtr.h"

#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

namespace engine {

struct RecordingSettings {
    QString path;
    int width = 0;
    int height = 0;
    AVPixelFormat sourceFormat = AV_PIX_FMT_NONE; // of the frames given to writeVideo
    int fps = 30;
    int videoCompressor = -1; // index into videoCompressors(); -1 uncompressed
    int quality = 85;         // 1 .. 100
    bool audio = false;
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16;   // PCM only: 8 or 16
    int audioCompressor = -1; // index into audioCompressors(); -1 PCM
    // The pictures come as the camera's JPEGs (CameraJpeg.h): a Motion JPEG file takes them as
    // they are.
    bool cameraJpeg = false;
};

class AviWriter {
public:
    // Creates the file and writes the header; throws ports::ControlError (kFileExists,
    // kFileCreateFailed, kNotSupported). A file this constructor created is removed again when
    // it fails after creating it.
    explicit AviWriter(const RecordingSettings& settings);
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // The methods below run on the recording thread. They return false once writing has failed;
    // error() then says why. The frame's pts is its number on the frame clock (1/fps); numbers
    // left out become empty chunks, so the file keeps its timing. A Motion JPEG file takes the
    // camera's JPEG a frame carries unchanged (passesJpeg()); any other frame needs its pixels.
    bool writeVideo(AVFrame* frame);
    bool passesJpeg() const { return m_passJpeg; }
    // `count` interleaved sample frames of signed 16-bit sound at the settings' rate and channels.
    bool writeAudio(const int16_t* samples, int count);
    // Drains the encoders, writes the index and closes the file. Safe to call twice.
    bool finish();

    const QString& path() const { return m_settings.path; }
    const QString& error() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }
    // Video frames that have reached the file: its video chunks, the empty ones that keep the
    // timing included. Each packet goes to the system as soon as the muxer has placed it, so
    // after a failure (a full disk) this is what the file holds, not what was handed over.
    int64_t framesWritten() const { return m_framesWritten->load(); }
    // The same count, readable on any thread and after the writer is gone.
    std::shared_ptr<const std::atomic<int64_t>> framesWrittenCounter() const {
        return m_framesWritten;
    }

private:
    struct Output;
    void openVideo();
    void openAudio();
    bool sendVideo(AVFrame* frame);
    bool writeJpeg(const AVBufferRef* jpeg, int64_t pts);
    bool sendAudio(bool flush);
    bool drain(AVCodecContext* enc, AVStream* stream);
    bool fail(const QString& what, int code);
    void flushSometimes();
    void countWrittenFrames();

    RecordingSettings m_settings;
    std::unique_ptr<Output> m_out;
    AvioContextPtr m_io;
    OutputFormatPtr m_format;
    CodecContextPtr m_video;
    CodecContextPtr m_audio;
    AVStream* m_videoStream = nullptr; // owned by m_format
    AVStream* m_audioStream = nullptr; // owned by m_format
    SwsPtr m_sws;
    BufferPoolPtr m_convertPool; // before m_converted: outlives the frames taken from it
    FramePtr m_converted;
    SwrPtr m_swr;
    AudioFifoPtr m_fifo;
    FramePtr m_audioFrame;
    PacketPtr m_packet;
    int64_t m_audioPts = 0;
    int m_audioFrameSize = 0;
    QElapsedTimer m_sinceFlush;
    bool m_finished = false;
    bool m_passJpeg = false;
    QString m_error;
    // Frame numbers (dts) of the video packets given to the muxer and not yet placed by it.
    std::deque<int64_t> m_videoQueued;
    int64_t m_videoPlaced = 0; // video packets the muxer has placed in the file
    std::shared_ptr<std::atomic<int64_t>> m_framesWritten =
        std::make_shared<std::atomic<int64_t>>(0);
};

} // namespace engine
