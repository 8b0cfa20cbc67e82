#pragma once
// Frame-exact video decoding of one file. Frame n is the n-th picture of the file in display
// order, counted from 0. Frames are identified by integer indices only: a picture's number is its
// own presentation time stamp, less the first picture's, converted to frames with av_rescale_q,
// so pictures a decoder drops after a seek (the leading pictures of an open group) never shift
// the numbers. A file whose pictures carry no time stamps is counted from its start.
//
// Not thread-safe: one thread (the decode worker) owns an instance.
#include "core/engine/AvPtr.h"
#include "core/engine/PicturePool.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace engine {

class FrameDecoder {
public:
    FrameDecoder() = default;
    FrameDecoder(const FrameDecoder&) = delete;
    FrameDecoder& operator=(const FrameDecoder&) = delete;

    // Opens the file and builds the frame index. A file without an index (a recording cut off
    // before its index was written) is scanned so that it plays up to its last frame. Returns
    // false, with the reason in error(), when the file has no decodable video.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_codec != nullptr; }
    QString error() const { return m_error; }

    int frameCount() const { return static_cast<int>(m_slots.size()); }
    AVRational frameRate() const { return m_rate; } // frames per second
    double framesPerSecond() const;
    QSize frameSize() const { return m_size; }
    QString codecName() const;

    // The key frame at or before frame n (0 when there is none).
    int keyFrameAtOrBefore(int n) const;
    // All key frames, ascending (frame 0 among them).
    const std::vector<int>& keyFrames() const { return m_keys; }
    // True when frame n is reached by decoding on from the current decoder position, without a
    // seek costing more than that.
    bool canContinueTo(int n) const;
    // Positions the decoder on the key frame at or before n. The next decodeNext() returns the
    // first picture decoded from there, which is never past n: when the key frame's group shows
    // its own picture later than n, decoding starts at the key frame before it.
    // With `wantFrom` (at most n) the pictures before that frame are not wanted: where the codec
    // allows it (H.264), the pictures well before it that no other picture refers to are not
    // decoded at all, and decodeNext() returns no picture more than a few frames before it.
    // Every picture it returns is still exactly the frame its number says.
    bool seekToKeyFor(int n, int wantFrom = -1);
    // Makes the next decodeNext() calls lead to frame n: decoding goes on from where it is when
    // n lies ahead within reach (canContinueTo), else the decoder seeks as seekToKeyFor(n). Either
    // way the pictures before `wantFrom` are passed over as seekToKeyFor describes.
    bool headFor(int n, int wantFrom);
    // Decodes the next picture; returns its frame index, or nothing at the end of the file.
    std::optional<int> decodeNext();
    // As decodeNext(), but returns after at most one picture passed over (see seekToKeyFor),
    // so that a caller can attend to other work between pictures: nothing is returned then and
    // `passed` is true.
    std::optional<int> decodeNextOrPass(bool& passed);
    // Index of the picture last returned by decodeNext() (-1 after a seek or at open).
    int lastIndex() const { return m_lastIndex; }
    // Pictures the decoder has given since the file was opened, those decodeNext() passed over
    // included (tests: skipped pictures are not among them).
    quint64 picturesDecoded() const { return m_pictures; }
    // The picture last decoded, as an RGB32 image (null when there is none).
    QImage currentImage();
    // The picture last decoded as the decoder gave it (null when there is none); valid until the
    // next decodeNext() or seek.
    const AVFrame* currentFrame() const { return m_haveFrame ? m_frame.get() : nullptr; }
    // A picture this decoder gave, as an RGB32 image (null when it cannot be converted), in a
    // buffer of the picture pool.
    QImage toImage(const AVFrame* f);
    // The pool converted pictures come from (by default one that keeps no buffers).
    void setPicturePool(const PicturePool& pool) { m_convert.setPool(pool); }
    // The pool the decoder's own pictures come from, from the next open() on (by default
    // FFmpeg's, made afresh with each decoder): one that outlives the files keeps a file opened
    // after another from writing every picture into memory fresh from the system.
    void setDecoderPool(const PicturePool& pool) { m_decoderPool = pool; }
    // The threads the decoder works on, from the next open() on: by default one per core. 0 is
    // FFmpeg's own choice, one more than the cores, which on a machine with two cores decodes
    // H.264 a fifth slower (the benchmarks measure against it).
    void setThreads(int threads) { m_threads = threads; }

private:
    struct Slot {
        int64_t ts = 0; // time stamp in the stream time base
        bool key = false;
    };
    static int coreCount();
    void buildIndex(bool fileIndexed);
    int slotOfTs(int64_t ts) const;
    bool readPacket();
    bool seekToKey(int k, int shown = -1);
    // The key frame frame n is decoded from: the one at or before it, or the one before that
    // when n is shown before that key frame's own picture (a leading picture of an open group,
    // learnt when a seek to that key frame gave a later picture first).
    int keyFor(int n) const;
    bool receivePicture(); // false at the end of the stream
    void chooseSkipping(); // for the packet in m_pkt
    void passOver(int wantFrom);
    int pictureIndex() const;
    void findFirstPicture();

    std::optional<PicturePool> m_decoderPool; // outlives m_codec, which refers to it
    int m_threads = coreCount();
    InputFormatPtr m_fmt;
    CodecContextPtr m_codec;
    PacketPtr m_pkt;
    FramePtr m_frame;
    FramePtr m_prev; // the picture before m_frame, for frames that have no picture of their own
    PictureConverter m_convert;
    int m_stream = -1;
    AVRational m_timeBase{1, 1};
    AVRational m_rate{0, 1};
    QSize m_size;
    int64_t m_firstTs = 0;
    std::vector<Slot> m_slots;       // one per frame, in order
    std::vector<int> m_keys;         // indices of key frames, ascending
    std::map<int, int> m_keyShownAt; // key frame -> its own picture's frame, where that is later
    // The first picture's presentation time; pictures are numbered from it. Without time stamps
    // (m_timestamped false) pictures are counted from the start of the file.
    int64_t m_firstPts = 0;
    bool m_timestamped = false;
    int64_t m_maxPts = AV_NOPTS_VALUE; // the latest presentation time of the packets read at open
    QString m_error;

    // Decoder state after a seek: pictures are numbered from m_seekSlot on.
    bool m_positioned = false;     // a seek was made and the decoder is usable
    bool m_firstAfterSeek = false; // no picture has come since the last seek
    bool m_draining = false;       // end of file reached, decoder being drained
    int m_seekSlot = 0;
    int m_target = 0;        // the frame the last seek was made for
    bool m_awaitKey = false; // after a seek, packets before the first key packet are skipped
    int m_lastIndex = -1;
    int m_prevIndex = -1;
    bool m_haveFrame = false;

    // Skipping unwanted pictures after a seek (see seekToKeyFor).
    bool m_seekByPresentation = false; // the container seeks on presentation times (MP4)
    bool m_canSkip = false;            // the codec skips pictures nothing refers to (H.264)
    int m_skipBelow = -1;              // packets decoded before this position may be skipped
    int m_returnFrom = -1;             // decodeNext() returns no picture below this frame
    quint64 m_pictures = 0;
};

} // namespace engine
