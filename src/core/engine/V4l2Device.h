#pragma once
// V4L2 cameras: which /dev/video* nodes capture pictures, what they offer (pixel formats, frame
// sizes, inputs) and their adjustable controls (brightness, contrast, ...).
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace engine {

struct V4l2Device {
    QString devnode; // /dev/videoN
    QString name;    // the driver's card name
};

struct V4l2Capabilities {
    std::vector<QString> formats; // fourcc names ("YUYV", "MJPG", ...)
    std::vector<QSize> sizes;     // every size of any format, smallest first
    std::vector<QString> inputs;  // input names
};

struct V4l2Control {
    uint32_t id = 0;
    QString name;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int value = 0;
};

// The capture devices present, in the order of their node numbers.
std::vector<V4l2Device> v4l2CaptureDevices();
// The card name when `devnode` is a video capture device; nullopt otherwise.
std::optional<QString> v4l2CaptureName(const QString& devnode);
// What the device offers; nullopt when it cannot be opened.
std::optional<V4l2Capabilities> v4l2Capabilities(const QString& devnode);
// The integer, boolean and menu controls of the device (current values).
std::vector<V4l2Control> v4l2Controls(const QString& devnode);
// Sets one control; false when the device refuses.
bool setV4l2Control(const QString& devnode, uint32_t id, int value);

} // namespace engine
