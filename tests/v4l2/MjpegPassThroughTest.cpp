// A Motion JPEG camera recorded to Motion JPEG at its own size: the file holds the camera's own
// JPEG pictures, byte for byte, and plays as before (the ffmpeg program, the program's player).
#include "integration/CaptureFileReader.h"
#include "integration/CaptureTestSupport.h"
#include "v4l2/V4l2Emulator.h"

#include "core/engine/FrameDecoder.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace capture_test;

namespace {

const QString kWebcam = QStringLiteral("/dev/video42");

struct Packet {
    int64_t place;
    QByteArray bytes;
};

// The video packets of a file with their places (empty chunks left out).
std::vector<Packet> videoPackets(const QString& path) {
    std::vector<Packet> out;
    auto opened = engine::openInput(QFile::encodeName(path), nullptr, nullptr);
    if (!opened)
        return out;
    engine::InputFormatPtr in = std::move(opened.ptr);
    const int vi = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    engine::PacketPtr pkt = engine::makePacket();
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (pkt->stream_index == vi && pkt->size > 0)
            out.push_back(
                {pkt->dts, QByteArray(reinterpret_cast<const char*>(pkt->data), pkt->size)});
        av_packet_unref(pkt.get());
    }
    return out;
}

} // namespace

TEST(MjpegPassThrough, FileHoldsTheCameraJpegsAndPlays) {
    v4l2emu::plug(v4l2emu::webcam(kWebcam));
    QTemporaryDir dir;
    {
        adapters::AvCaptureControl ctl;
        ctl.setDeviceEventSource(nullptr);
        Events events;
        listen(ctl, events);
        ctl.Connect(0);
        ASSERT_EQ(ctl.ColorFormatName(ctl.ColorFormat()), "MJPG");
        ASSERT_EQ(ctl.VideoCompressorName(0), "Motion JPEG");
        ctl.setVideoCompressor(0);
        ctl.setVideoResolution(1); // 640x480
        ctl.setAudioDeviceIndex(ctl.testToneIndex());
        ctl.setFrameRate(25); // the clock drops about one camera picture in six
        ctl.setTimeLimit(2);
        // The live picture is shown meanwhile: it decodes what it shows, the file keeps JPEGs.
        int shown = 0;
        QObject::connect(&ctl, &ports::CaptureControl::PreviewFrame, &ctl, [&](const QImage& p) {
            EXPECT_EQ(p.size(), QSize(320, 240));
            ++shown;
        });
        ctl.setPreviewSize(QSize(320, 240));
        ctl.setPreview(true);
        ctl.setStreamFileName(dir.filePath("pass.avi"));
        ASSERT_TRUE(waitUntil([&] { return ctl.PicturesComing(); }, 10000)); // opened
        ctl.StartStreamCapture();
        ASSERT_TRUE(waitUntil([&] { return events.count(301) > 0; }, 15000));
        EXPECT_TRUE(events.warnings.empty()) << events.warnings.front().toStdString();
        EXPECT_GT(shown, 10);
    }
    v4l2emu::unplugAll();
    const QString path = dir.filePath("pass.avi");

    const Recording r = readRecording(path);
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    EXPECT_EQ(r.headerFrames, 50);
    EXPECT_EQ(r.videoCodec, "mjpeg");
    EXPECT_EQ(r.width, 640);
    const std::vector<Packet> packets = videoPackets(path);
    ASSERT_EQ(packets.size(), r.numbers.size());
    ASSERT_GE(packets.size(), 45u);
    int previous = -1;
    for (size_t i = 0; i < packets.size(); ++i) {
        ASSERT_TRUE(r.numbers[i].has_value()) << "packet " << i;
        const int n = *r.numbers[i];
        EXPECT_GT(n, previous) << "packet " << i;
        previous = n;
        // The camera's picture n, byte for byte.
        EXPECT_TRUE(packets[i].bytes == v4l2emu::picture(QSize(640, 480), V4L2_PIX_FMT_MJPEG, n))
            << "packet " << i << " (camera frame " << n << ") is not the camera's JPEG";
    }

    // The program's own player steps through every frame.
    engine::FrameDecoder player;
    ASSERT_TRUE(player.open(path)) << player.error().toStdString();
    EXPECT_EQ(player.frameCount(), 50);
    ASSERT_TRUE(player.seekToKeyFor(49));
    EXPECT_EQ(player.decodeNext(), 49);
    EXPECT_FALSE(player.currentImage().isNull());

    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "the ffmpeg program is not installed";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
    ASSERT_TRUE(ffmpeg.waitForFinished(30000));
    EXPECT_EQ(ffmpeg.exitCode(), 0);
    EXPECT_EQ(ffmpeg.readAllStandardError(), QByteArray());
}

// Where the file cannot take the camera's JPEGs (another compressor, an effect switched on during
// the recording), they are decoded first: every picture is in the file, in order, and the
// pictures after the effect came on are no longer the camera's.
TEST(MjpegPassThrough, PicturesAreDecodedForAnotherCompressorOrAnEffect) {
    v4l2emu::plug(v4l2emu::webcam(kWebcam));
    QTemporaryDir dir;
    struct Case {
        const char* compressor;
        bool effectMidway;
    };
    for (const Case c : {Case{"FFV1 (lossless)", false}, Case{"Motion JPEG", true}}) {
        SCOPED_TRACE(c.compressor);
        const QString path = dir.filePath(QStringLiteral("%1.avi").arg(c.effectMidway));
        {
            adapters::AvCaptureControl ctl;
            ctl.setDeviceEventSource(nullptr);
            Events events;
            listen(ctl, events);
            ctl.Connect(0);
            ctl.setVideoResolution(0); // 320x240
            int compressor = -1;
            for (int i = 0; i < ctl.VideoCompressorCount(); ++i)
                if (ctl.VideoCompressorName(i) == c.compressor)
                    compressor = i;
            ASSERT_GE(compressor, 0);
            ctl.setVideoCompressor(compressor);
            ctl.setAudioDeviceIndex(-1);
            ctl.setFrameRate(30);
            ctl.setTimeLimit(2);
            ctl.setStreamFileName(path);
            ctl.StartStreamCapture();
            if (c.effectMidway) {
                ASSERT_TRUE(waitUntil([&] { return ctl.FramesCaptured() >= 20; }, 10000));
                // Grayscale keeps the frame number legible.
                ctl.SetEffect(0, "Video Effect 1", ctl.FindEffect("Video Effect 1", "Grayscale"));
            }
            ASSERT_TRUE(waitUntil([&] { return events.count(301) > 0; }, 15000));
            EXPECT_TRUE(events.warnings.empty()) << events.warnings.front().toStdString();
        }
        const Recording r = readRecording(path);
        ASSERT_TRUE(r.opened) << r.error.toStdString();
        EXPECT_EQ(r.headerFrames, 60);
        ASSERT_GE(r.numbers.size(), 55u);
        for (size_t i = 1; i < r.numbers.size(); ++i) {
            ASSERT_TRUE(r.numbers[i].has_value()) << "picture " << i;
            ASSERT_GT(*r.numbers[i], r.numbers[i - 1].value_or(-1)) << "picture " << i;
        }
        if (c.effectMidway) {
            const std::vector<Packet> packets = videoPackets(path);
            ASSERT_EQ(packets.size(), r.numbers.size());
            const size_t last = packets.size() - 1;
            EXPECT_TRUE(packets[0].bytes ==
                        v4l2emu::picture(QSize(320, 240), V4L2_PIX_FMT_MJPEG, *r.numbers[0]));
            EXPECT_FALSE(packets[last].bytes ==
                         v4l2emu::picture(QSize(320, 240), V4L2_PIX_FMT_MJPEG, *r.numbers[last]));
        }
    }
    v4l2emu::unplugAll();
}
