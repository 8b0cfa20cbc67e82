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
    auto opened = av::openInput(QFile::encodeName(path), nullptr, nullptr);
    if (!opened)
        return out;
    av::InputFormatPtr in = std::move(opened.ptr);
    const int vi = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    av::PacketPtr pkt = av::makePacket();
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
        av::AvCaptureControl ctl;
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
        QObject::connect(&ctl, &platform::CaptureControl::PreviewFrame, &ctl, [&](const QImage& p) {
            EXPECT_EQ(p.size(), QSize(320, 240));
            ++shown;
        });
        ctl.setPreviewSize(QSize(320, 240));
        ctl.setPreview(true);
        ctl.setStreamFileName(dir.filePath("pass.avi"));
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
    av::FrameDecoder player;
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
