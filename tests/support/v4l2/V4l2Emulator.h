#pragma once
// Emulated V4L2 cameras for the tests and the capture benchmark: /dev/video* nodes that answer
// the ioctls a UVC webcam or an HDMI grabber answers (capabilities, inputs, MJPG and YUYV
// formats, discrete sizes and frame intervals, controls, mmap streaming with monotonic driver
// time stamps), listed in /dev and opened through the C library's calls, which the program
// linked with this object calls instead of the real ones (everything that is not an emulated
// device goes on to the real call). Link it only into the one test program (and the bench)
// that uses it, as an object library, so that the interposed calls are always in.
//
// Pictures: picture(size, fourcc, n) is frame n of a camera, the test camera's picture with n
// drawn in (FramePattern), encoded as a JPEG by libavcodec for MJPG or packed YUYV. A camera
// delivers frame `sequence` as picture(..., sequence % cycle) (every frame differs when cycle
// is 0).
#include <QByteArray>
#include <QSize>
#include <QString>
#include <cstdint>
#include <linux/videodev2.h>
#include <vector>

namespace v4l2emu {

struct FormatSpec {
    uint32_t fourcc = V4L2_PIX_FMT_MJPEG;
    std::vector<QSize> sizes;
    std::vector<int> rates; // nominal frames per second, highest first
};

struct CameraModel {
    QString node; // /dev/videoN
    QString card;
    QString driver = QStringLiteral("uvcvideo");
    std::vector<QString> inputs{QStringLiteral("Camera 1")};
    std::vector<FormatSpec> formats;
    // The camera's real rate against its nominal one (30.02 fps at 30: 30.02 / 30).
    double rateFactor = 1.0;
    int cycle = 0; // 0: every frame its own picture; n: the pictures repeat every n frames
    int jpegQ = 3; // MJPG quantiser (2 best .. 31)
    int maxBuffers = 8;
};

// A USB webcam: MJPG at 320x240, 640x480, 1280x720 and 1920x1080 (30 and 15 fps), YUYV at
// 320x240 and 640x480 (30 and 15 fps), running at 30.02 fps when asked for 30.
CameraModel webcam(const QString& node, const QString& card = QStringLiteral("USB Camera"));
// An HDMI grabber: MJPG at 1280x720 and 1920x1080 (60, 50 and 30 fps), YUYV at 1280x720 and
// 1920x1080 (10 and 5 fps), input "HDMI".
CameraModel hdmiGrabber(const QString& node,
                        const QString& card = QStringLiteral("USB3.0 HD Video Capture"));

// The camera appears (listed in /dev, opens). Replaces a camera of the same node.
void plug(const CameraModel& model);
// The camera goes away: it leaves /dev and fails to open (ENOENT); a stream under way fails
// with ENODEV at its next dequeue, and poll reports POLLERR.
void unplug(const QString& node);
// A stalled camera delivers nothing until it goes on (frames due meanwhile never come).
void stall(const QString& node, bool stalled);
// Makes the pictures of a camera with a cycle at `size` now, not while it streams.
void prepare(const CameraModel& model, QSize size, uint32_t fourcc);
// Frames the camera has put into buffers since it was plugged.
int64_t framesDelivered(const QString& node);
// The value of one of its controls (what S_CTRL set).
int controlValue(const QString& node, uint32_t id);
// Removes every camera (end of a test).
void unplugAll();

// The bytes of picture n as a camera delivers it (JPEG for MJPG, packed 4:2:2 for YUYV).
QByteArray picture(QSize size, uint32_t fourcc, int64_t n, int jpegQ = 3);

} // namespace v4l2emu
