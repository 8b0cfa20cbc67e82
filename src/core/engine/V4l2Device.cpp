#include "core/engine/V4l2Device.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <set>
#include <sys/ioctl.h>
#include <unistd.h>

namespace engine {

namespace {

class Fd {
public:
    explicit Fd(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    bool ok() const { return m_fd >= 0; }
    template <typename T> bool ioctl(unsigned long request, T* arg) const {
        int rc;
        do
            rc = ::ioctl(m_fd, request, arg);
        while (rc < 0 && errno == EINTR);
        return rc == 0;
    }

private:
    int m_fd;
};

QString fourccName(uint32_t f) {
    QString s;
    for (int i = 0; i < 4; ++i)
        s += QChar(char((f >> (8 * i)) & 0xFF));
    return s.trimmed();
}

QString text(const __u8* bytes, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes),
                             int(strnlen(reinterpret_cast<const char*>(bytes), size)));
}

} // namespace

std::optional<QString> v4l2CaptureName(const QString& devnode) {
    Fd fd(devnode);
    v4l2_capability cap{};
    if (!fd.ok() || !fd.ioctl(VIDIOC_QUERYCAP, &cap))
        return std::nullopt;
    const uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE))
        return std::nullopt;
    return text(cap.card, sizeof cap.card);
}

std::vector<V4l2Device> v4l2CaptureDevices() {
    std::vector<std::pair<int, QString>> nodes;
    const QStringList names = QDir("/dev").entryList({"video*"}, QDir::System);
    for (const QString& n : names) {
        bool ok = false;
        const int number = n.mid(5).toInt(&ok);
        if (ok)
            nodes.emplace_back(number, "/dev/" + n);
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<V4l2Device> out;
    for (const auto& [number, path] : nodes)
        if (auto name = v4l2CaptureName(path))
            out.push_back({path, *name});
    return out;
}

std::optional<V4l2Capabilities> v4l2Capabilities(const QString& devnode) {
    Fd fd(devnode);
    if (!fd.ok())
        return std::nullopt;
    V4l2Capabilities caps;
    auto lessArea = [](QSize a, QSize b) {
        return std::pair(a.width() * a.height(), a.width()) <
               std::pair(b.width() * b.height(), b.width());
    };
    std::set<QSize, decltype(lessArea)> sizes(lessArea);
    for (uint32_t i = 0;; ++i) {
        v4l2_fmtdesc desc{};
        desc.index = i;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (!fd.ioctl(VIDIOC_ENUM_FMT, &desc))
            break;
        caps.formats.push_back(fourccName(desc.pixelformat));
        for (uint32_t j = 0;; ++j) {
            v4l2_frmsizeenum fs{};
            fs.index = j;
            fs.pixel_format = desc.pixelformat;
            if (!fd.ioctl(VIDIOC_ENUM_FRAMESIZES, &fs))
                break;
            if (fs.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                sizes.insert(QSize(int(fs.discrete.width), int(fs.discrete.height)));
            } else {
                // A range: the common sizes that fall inside it.
                for (QSize s : {QSize(320, 240), QSize(640, 480), QSize(720, 576), QSize(1280, 720),
                                QSize(1920, 1080)})
                    if (uint32_t(s.width()) >= fs.stepwise.min_width &&
                        uint32_t(s.width()) <= fs.stepwise.max_width &&
                        uint32_t(s.height()) >= fs.stepwise.min_height &&
                        uint32_t(s.height()) <= fs.stepwise.max_height)
                        sizes.insert(s);
                break;
            }
        }
    }
    caps.sizes.assign(sizes.begin(), sizes.end());
    for (uint32_t i = 0;; ++i) {
        v4l2_input input{};
        input.index = i;
        if (!fd.ioctl(VIDIOC_ENUMINPUT, &input))
            break;
        caps.inputs.push_back(text(input.name, sizeof input.name));
    }
    if (caps.sizes.empty()) { // drivers without size enumeration: ask for the current one
        v4l2_format f{};
        f.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (fd.ioctl(VIDIOC_G_FMT, &f))
            caps.sizes.push_back(QSize(int(f.fmt.pix.width), int(f.fmt.pix.height)));
    }
    return caps;
}

std::vector<V4l2Control> v4l2Controls(const QString& devnode) {
    std::vector<V4l2Control> out;
    Fd fd(devnode);
    if (!fd.ok())
        return out;
    v4l2_queryctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (fd.ioctl(VIDIOC_QUERYCTRL, &q)) {
        const bool usable = !(q.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY |
                                         V4L2_CTRL_FLAG_INACTIVE)) &&
                            (q.type == V4L2_CTRL_TYPE_INTEGER || q.type == V4L2_CTRL_TYPE_BOOLEAN ||
                             q.type == V4L2_CTRL_TYPE_MENU);
        if (usable) {
            v4l2_control c{};
            c.id = q.id;
            V4l2Control ctl;
            ctl.id = q.id;
            ctl.name = text(q.name, sizeof q.name);
            ctl.minimum = q.minimum;
            ctl.maximum = q.maximum;
            ctl.step = std::max(1, q.step);
            ctl.value = fd.ioctl(VIDIOC_G_CTRL, &c) ? c.value : q.default_value;
            out.push_back(ctl);
        }
        q.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return out;
}

bool setV4l2Control(const QString& devnode, uint32_t id, int value) {
    Fd fd(devnode);
    v4l2_control c{};
    c.id = id;
    c.value = value;
    return fd.ok() && fd.ioctl(VIDIOC_S_CTRL, &c);
}

} // namespace engine
