// The emulated cameras and the C library calls that reach them. An open emulated node is a real
// descriptor (an eventfd, so the number is the system's and poll or fcntl on it do no harm)
// that this file maps to its camera; its buffers live in one memfd, which mmap maps in place of
// the device, so munmap needs no emulation.
#undef _FORTIFY_SOURCE
#include "v4l2/V4l2Emulator.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <tuple>
#include <unistd.h>

namespace v4l2emu {

namespace {

template <typename F> F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

using OpenFn = int (*)(const char*, int, ...);
using OpenatFn = int (*)(int, const char*, int, ...);
using CloseFn = int (*)(int);
using IoctlFn = int (*)(int, unsigned long, ...);
using MmapFn = void* (*)(void*, size_t, int, int, int, off_t);
using PollFn = int (*)(pollfd*, nfds_t, int);
using ReadFn = ssize_t (*)(int, void*, size_t);
using OpendirFn = DIR* (*)(const char*);

int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

size_t pageAligned(size_t n) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    return (n + page - 1) / page * page;
}

struct Ctrl {
    uint32_t id;
    const char* name;
    v4l2_ctrl_type type;
    int minimum, maximum, step, def;
    std::vector<const char*> menu;
    int value;
};

std::vector<Ctrl> uvcControls() {
    return {
        {V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, -64, 64, 1, 0, {}, 0},
        {V4L2_CID_CONTRAST, "Contrast", V4L2_CTRL_TYPE_INTEGER, 0, 95, 1, 32, {}, 32},
        {V4L2_CID_AUTO_WHITE_BALANCE,
         "White Balance, Automatic",
         V4L2_CTRL_TYPE_BOOLEAN,
         0,
         1,
         1,
         1,
         {},
         1},
        {V4L2_CID_POWER_LINE_FREQUENCY,
         "Power Line Frequency",
         V4L2_CTRL_TYPE_MENU,
         0,
         2,
         1,
         1,
         {"Disabled", "50 Hz", "60 Hz"},
         1},
        {V4L2_CID_WHITE_BALANCE_TEMPERATURE,
         "White Balance Temperature",
         V4L2_CTRL_TYPE_INTEGER,
         2800,
         6500,
         10,
         4600,
         {},
         4600},
    };
}

struct Buffer {
    bool queued = false;
    bool done = false;
    uint32_t bytesused = 0;
    uint32_t sequence = 0;
    int64_t timestampNs = 0;
};

struct Handle;

struct Camera {
    CameraModel model;
    std::vector<Ctrl> controls = uvcControls();
    bool gone = false;
    bool stalled = false;
    int input = 0;
    size_t format = 0; // index into model.formats
    QSize size;
    int rate = 30; // nominal
    // Streaming, owned by one handle.
    Handle* owner = nullptr;
    bool streaming = false;
    std::vector<Buffer> buffers;
    size_t bufferLength = 0;
    int memfd = -1;
    uint8_t* memory = nullptr; // the emulator's own mapping of the buffers
    std::deque<uint32_t> ready;
    int64_t startNs = 0;
    int64_t nextFrame = 0;
    int64_t delivered = 0;

    uint32_t fourcc() const { return model.formats[format].fourcc; }
    int64_t frameDueNs(int64_t k) const {
        return startNs + int64_t(double(k) * 1e9 / (rate * model.rateFactor));
    }
    uint32_t sizeImage() const { return uint32_t(size.width() * size.height() * 2); }
    bool sizeOffered(size_t f, QSize s) const {
        const auto& sizes = model.formats[f].sizes;
        return std::find(sizes.begin(), sizes.end(), s) != sizes.end();
    }
    void freeBuffers() {
        if (memory)
            munmap(memory, bufferLength * buffers.size());
        if (memfd >= 0)
            real<CloseFn>("close")(memfd);
        memory = nullptr;
        memfd = -1;
        buffers.clear();
        ready.clear();
        streaming = false;
        owner = nullptr;
    }
};

struct Handle {
    std::shared_ptr<Camera> camera;
    int fd = -1;
};

struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<QString, std::shared_ptr<Camera>> cameras; // plugged, by node
    std::map<int, std::unique_ptr<Handle>> handles;     // open descriptors
    std::unique_ptr<QTemporaryDir> listing;             // what /dev shows
};

std::atomic<bool> g_active{false}; // any camera plugged ever: only then is a call looked at
// Set while this thread holds the emulator's lock: the calls it makes then (mmap of the buffers,
// files of the listing) are the real ones.
thread_local bool t_inside = false;

State& state() {
    static State* s = new State; // never destroyed: calls may come after static destruction
    return *s;
}

bool watching() {
    return g_active && !t_inside;
}

struct Lock {
    std::unique_lock<std::mutex> lock{state().mutex};
    Lock() { t_inside = true; }
    ~Lock() { t_inside = false; }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

bool mayBeEmulated(const char* path) {
    return watching() && path && strncmp(path, "/dev/video", 10) == 0;
}

// The pictures of cameras whose pictures repeat, made once.
const QByteArray& keptPicture(QSize size, uint32_t fourcc, int64_t n, int q) {
    static std::mutex mutex;
    static std::map<std::tuple<int, int, uint32_t, int, int64_t>, QByteArray> kept;
    std::lock_guard lock(mutex);
    QByteArray& p = kept[{size.width(), size.height(), fourcc, q, n}];
    if (p.isEmpty())
        p = picture(size, fourcc, n, q);
    return p;
}

// Puts the frames that have come since the last look into queued buffers (a frame that finds
// no buffer is lost, as with a driver). Caller holds the lock.
void produce(Camera& c) {
    if (!c.streaming || c.gone)
        return;
    const int64_t now = monotonicNs();
    while (c.frameDueNs(c.nextFrame) <= now) {
        const int64_t k = c.nextFrame++;
        if (c.stalled)
            continue;
        auto it = std::find_if(c.buffers.begin(), c.buffers.end(),
                               [](const Buffer& b) { return b.queued && !b.done; });
        if (it == c.buffers.end())
            continue;
        const int64_t number = c.model.cycle > 0 ? k % c.model.cycle : k;
        const QByteArray bytes = c.model.cycle > 0
                                     ? keptPicture(c.size, c.fourcc(), number, c.model.jpegQ)
                                     : picture(c.size, c.fourcc(), number, c.model.jpegQ);
        const uint32_t index = uint32_t(it - c.buffers.begin());
        const size_t n = std::min(size_t(bytes.size()), c.bufferLength);
        memcpy(c.memory + index * c.bufferLength, bytes.constData(), n);
        it->done = true;
        it->bytesused = uint32_t(n);
        it->sequence = uint32_t(k);
        it->timestampNs = c.frameDueNs(k);
        c.ready.push_back(index);
        ++c.delivered;
    }
}

void fillBuffer(const Camera& c, uint32_t index, v4l2_buffer* b) {
    const Buffer& buf = c.buffers[index];
    b->index = index;
    b->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    b->memory = V4L2_MEMORY_MMAP;
    b->m.offset = uint32_t(index * c.bufferLength);
    b->length = uint32_t(c.bufferLength);
    b->bytesused = buf.done ? buf.bytesused : 0;
    b->field = V4L2_FIELD_NONE;
    b->sequence = buf.sequence;
    b->timestamp.tv_sec = buf.timestampNs / 1000000000;
    b->timestamp.tv_usec = (buf.timestampNs % 1000000000) / 1000;
    b->flags = V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC |
               V4L2_BUF_FLAG_TSTAMP_SRC_SOE | (buf.queued ? V4L2_BUF_FLAG_QUEUED : 0) |
               (buf.done ? V4L2_BUF_FLAG_DONE : 0);
}

void fillFormat(const Camera& c, v4l2_pix_format* p, uint32_t fourcc, QSize size) {
    *p = v4l2_pix_format{};
    p->width = uint32_t(size.width());
    p->height = uint32_t(size.height());
    p->pixelformat = fourcc;
    p->field = V4L2_FIELD_NONE;
    p->bytesperline = fourcc == V4L2_PIX_FMT_YUYV ? uint32_t(size.width() * 2) : 0;
    p->sizeimage = uint32_t(size.width() * size.height() * 2);
    p->colorspace = V4L2_COLORSPACE_SRGB;
    (void)c;
}

void copyName(__u8* dst, size_t size, const QString& name) {
    const QByteArray b = name.toUtf8();
    memset(dst, 0, size);
    memcpy(dst, b.constData(), std::min(size - 1, size_t(b.size())));
}

// The format the driver settles on for a request: the format if offered (else the first), the
// offered size nearest in area.
std::pair<size_t, QSize> settle(const Camera& c, uint32_t fourcc, QSize want) {
    size_t f = 0;
    for (size_t i = 0; i < c.model.formats.size(); ++i)
        if (c.model.formats[i].fourcc == fourcc)
            f = i;
    QSize best = c.model.formats[f].sizes.front();
    for (QSize s : c.model.formats[f].sizes)
        if (std::abs(int64_t(s.width()) * s.height() - int64_t(want.width()) * want.height()) <
            std::abs(int64_t(best.width()) * best.height() - int64_t(want.width()) * want.height()))
            best = s;
    return {f, best};
}

int nearestRate(const Camera& c, double want) {
    const auto& rates = c.model.formats[c.format].rates;
    int best = rates.front();
    for (int r : rates)
        if (std::abs(r - want) < std::abs(best - want))
            best = r;
    return best;
}

Ctrl* findCtrl(Camera& c, uint32_t id, bool next) {
    if (next) {
        Ctrl* best = nullptr;
        for (Ctrl& k : c.controls)
            if (k.id > id && (!best || k.id < best->id))
                best = &k;
        return best;
    }
    for (Ctrl& k : c.controls)
        if (k.id == id)
            return &k;
    return nullptr;
}

uint32_t ctrlFlags(const Camera& c, const Ctrl& k) {
    if (k.id == V4L2_CID_WHITE_BALANCE_TEMPERATURE)
        for (const Ctrl& a : c.controls)
            if (a.id == V4L2_CID_AUTO_WHITE_BALANCE && a.value)
                return V4L2_CTRL_FLAG_INACTIVE;
    return 0;
}

int fail(int e) {
    errno = e;
    return -1;
}

// VIDIOC_QUERYCTRL and VIDIOC_QUERY_EXT_CTRL answer the same fields in two structures.
template <class Query> int queryCtrl(Camera& c, Query* q) {
    const bool next = q->id & V4L2_CTRL_FLAG_NEXT_CTRL;
    Ctrl* k = findCtrl(c, q->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND), next);
    if (!k)
        return fail(EINVAL);
    *q = Query{};
    q->id = k->id;
    q->type = k->type;
    copyName(reinterpret_cast<__u8*>(q->name), sizeof q->name, QString::fromUtf8(k->name));
    q->minimum = k->minimum;
    q->maximum = k->maximum;
    q->step = decltype(q->step)(k->step);
    q->default_value = k->def;
    q->flags = ctrlFlags(c, *k);
    return 0;
}

// One ioctl on an emulated descriptor; lock held (released while a blocking dequeue waits).
int deviceIoctl(std::unique_lock<std::mutex>& lock, Handle& h, unsigned long request, void* arg) {
    Camera& c = *h.camera;
    if (c.gone)
        return fail(ENODEV);
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto* cap = static_cast<v4l2_capability*>(arg);
        *cap = v4l2_capability{};
        copyName(cap->driver, sizeof cap->driver, c.model.driver);
        copyName(cap->card, sizeof cap->card, c.model.card);
        copyName(cap->bus_info, sizeof cap->bus_info,
                 QStringLiteral("usb-0000:00:14.0-%1").arg(c.model.node.mid(10)));
        cap->version = 0x060100;
        cap->device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT;
        cap->capabilities = cap->device_caps | V4L2_CAP_DEVICE_CAPS;
        return 0;
    }
    case VIDIOC_ENUMINPUT: {
        auto* in = static_cast<v4l2_input*>(arg);
        if (in->index >= c.model.inputs.size())
            return fail(EINVAL);
        const uint32_t index = in->index;
        *in = v4l2_input{};
        in->index = index;
        copyName(in->name, sizeof in->name, c.model.inputs[index]);
        in->type = V4L2_INPUT_TYPE_CAMERA;
        return 0;
    }
    case VIDIOC_G_INPUT:
        *static_cast<int*>(arg) = c.input;
        return 0;
    case VIDIOC_S_INPUT: {
        const int i = *static_cast<int*>(arg);
        if (i < 0 || size_t(i) >= c.model.inputs.size())
            return fail(EINVAL);
        if (c.streaming)
            return fail(EBUSY);
        c.input = i;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto* d = static_cast<v4l2_fmtdesc*>(arg);
        if (d->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || d->index >= c.model.formats.size())
            return fail(EINVAL);
        const uint32_t index = d->index;
        const uint32_t fourcc = c.model.formats[index].fourcc;
        *d = v4l2_fmtdesc{};
        d->index = index;
        d->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        d->pixelformat = fourcc;
        d->flags = fourcc == V4L2_PIX_FMT_MJPEG ? V4L2_FMT_FLAG_COMPRESSED : 0;
        copyName(d->description, sizeof d->description,
                 fourcc == V4L2_PIX_FMT_MJPEG ? QStringLiteral("Motion-JPEG")
                                              : QStringLiteral("YUYV 4:2:2"));
        return 0;
    }
    case VIDIOC_G_FMT: {
        auto* f = static_cast<v4l2_format*>(arg);
        if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return fail(EINVAL);
        fillFormat(c, &f->fmt.pix, c.fourcc(), c.size);
        return 0;
    }
    case VIDIOC_TRY_FMT:
    case VIDIOC_S_FMT: {
        auto* f = static_cast<v4l2_format*>(arg);
        if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return fail(EINVAL);
        const auto [format, size] =
            settle(c, f->fmt.pix.pixelformat, QSize(int(f->fmt.pix.width), int(f->fmt.pix.height)));
        if (request == VIDIOC_S_FMT) {
            if (!c.buffers.empty())
                return fail(EBUSY);
            c.format = format;
            c.size = size;
            c.rate = nearestRate(c, c.rate);
        }
        fillFormat(c, &f->fmt.pix, c.model.formats[format].fourcc, size);
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        auto* fs = static_cast<v4l2_frmsizeenum*>(arg);
        for (const FormatSpec& f : c.model.formats)
            if (f.fourcc == fs->pixel_format) {
                if (fs->index >= f.sizes.size())
                    return fail(EINVAL);
                fs->type = V4L2_FRMSIZE_TYPE_DISCRETE;
                fs->discrete.width = uint32_t(f.sizes[fs->index].width());
                fs->discrete.height = uint32_t(f.sizes[fs->index].height());
                return 0;
            }
        return fail(EINVAL);
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
        auto* fi = static_cast<v4l2_frmivalenum*>(arg);
        for (size_t i = 0; i < c.model.formats.size(); ++i)
            if (c.model.formats[i].fourcc == fi->pixel_format &&
                c.sizeOffered(i, QSize(int(fi->width), int(fi->height)))) {
                if (fi->index >= c.model.formats[i].rates.size())
                    return fail(EINVAL);
                fi->type = V4L2_FRMIVAL_TYPE_DISCRETE;
                fi->discrete.numerator = 1;
                fi->discrete.denominator = uint32_t(c.model.formats[i].rates[fi->index]);
                return 0;
            }
        return fail(EINVAL);
    }
    case VIDIOC_G_PARM:
    case VIDIOC_S_PARM: {
        auto* p = static_cast<v4l2_streamparm*>(arg);
        if (p->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return fail(EINVAL);
        if (request == VIDIOC_S_PARM) {
            const v4l2_fract t = p->parm.capture.timeperframe;
            if (c.streaming)
                return fail(EBUSY);
            if (t.numerator && t.denominator)
                c.rate = nearestRate(c, double(t.denominator) / t.numerator);
        }
        p->parm.capture = v4l2_captureparm{};
        p->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
        p->parm.capture.timeperframe = v4l2_fract{1, uint32_t(c.rate)};
        p->parm.capture.readbuffers = 0;
        return 0;
    }
    case VIDIOC_QUERYCTRL:
        return queryCtrl(c, static_cast<v4l2_queryctrl*>(arg));
    case VIDIOC_QUERY_EXT_CTRL: {
        auto* q = static_cast<v4l2_query_ext_ctrl*>(arg);
        const int rc = queryCtrl(c, q);
        if (rc == 0) {
            q->elem_size = 4;
            q->elems = 1;
        }
        return rc;
    }
    case VIDIOC_QUERYMENU: {
        auto* m = static_cast<v4l2_querymenu*>(arg);
        Ctrl* k = findCtrl(c, m->id, false);
        if (!k || k->type != V4L2_CTRL_TYPE_MENU || m->index >= k->menu.size())
            return fail(EINVAL);
        copyName(m->name, sizeof m->name, QString::fromUtf8(k->menu[m->index]));
        return 0;
    }
    case VIDIOC_G_CTRL: {
        auto* v = static_cast<v4l2_control*>(arg);
        Ctrl* k = findCtrl(c, v->id, false);
        if (!k)
            return fail(EINVAL);
        v->value = k->value;
        return 0;
    }
    case VIDIOC_S_CTRL: {
        auto* v = static_cast<v4l2_control*>(arg);
        Ctrl* k = findCtrl(c, v->id, false);
        if (!k)
            return fail(EINVAL);
        if (ctrlFlags(c, *k) & V4L2_CTRL_FLAG_INACTIVE)
            return fail(EACCES); // the automatic setting owns it
        if (v->value < k->minimum || v->value > k->maximum)
            return fail(ERANGE);
        k->value = k->minimum + (v->value - k->minimum) / k->step * k->step;
        v->value = k->value;
        return 0;
    }
    case VIDIOC_REQBUFS: {
        auto* r = static_cast<v4l2_requestbuffers*>(arg);
        if (r->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || r->memory != V4L2_MEMORY_MMAP)
            return fail(EINVAL);
        if (c.owner && c.owner != &h)
            return fail(EBUSY);
        c.freeBuffers();
        if (r->count == 0)
            return 0;
        const uint32_t count = std::clamp<uint32_t>(r->count, 2, uint32_t(c.model.maxBuffers));
        c.bufferLength = pageAligned(c.sizeImage());
        c.memfd = memfd_create("v4l2emu", MFD_CLOEXEC);
        if (c.memfd < 0 || ftruncate(c.memfd, off_t(c.bufferLength * count)) != 0)
            return fail(ENOMEM);
        void* m =
            ::mmap(nullptr, c.bufferLength * count, PROT_READ | PROT_WRITE, MAP_SHARED, c.memfd, 0);
        if (m == MAP_FAILED)
            return fail(ENOMEM);
        c.memory = static_cast<uint8_t*>(m);
        c.buffers.assign(count, Buffer{});
        c.owner = &h;
        r->count = count;
        r->capabilities = V4L2_BUF_CAP_SUPPORTS_MMAP;
        return 0;
    }
    case VIDIOC_QUERYBUF:
    case VIDIOC_QBUF:
    case VIDIOC_DQBUF: {
        auto* b = static_cast<v4l2_buffer*>(arg);
        if (c.owner != &h || b->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return fail(EINVAL);
        if (request == VIDIOC_DQBUF) {
            const bool blocking = !(fcntl(h.fd, F_GETFL) & O_NONBLOCK);
            for (;;) {
                if (c.gone)
                    return fail(ENODEV);
                if (!c.streaming)
                    return fail(EINVAL);
                produce(c);
                if (!c.ready.empty())
                    break;
                if (!blocking)
                    return fail(EAGAIN);
                const auto due = std::chrono::steady_clock::now() +
                                 std::chrono::nanoseconds(std::max<int64_t>(
                                     c.frameDueNs(c.nextFrame) - monotonicNs(), 1000000));
                state().changed.wait_until(lock, std::min(due, std::chrono::steady_clock::now() +
                                                                   std::chrono::milliseconds(20)));
            }
            const uint32_t index = c.ready.front();
            c.ready.pop_front();
            c.buffers[index].queued = false;
            fillBuffer(c, index, b);
            c.buffers[index].done = false;
            b->flags &= ~V4L2_BUF_FLAG_QUEUED;
            return 0;
        }
        if (b->memory != V4L2_MEMORY_MMAP || b->index >= c.buffers.size())
            return fail(EINVAL);
        if (request == VIDIOC_QBUF) {
            if (c.buffers[b->index].queued)
                return fail(EINVAL);
            c.buffers[b->index].queued = true;
            c.buffers[b->index].done = false;
        }
        fillBuffer(c, b->index, b);
        return 0;
    }
    case VIDIOC_STREAMON:
        if (c.owner != &h || c.buffers.empty())
            return fail(EINVAL);
        if (!c.streaming) {
            c.streaming = true;
            c.startNs = monotonicNs();
            c.nextFrame = 0;
        }
        return 0;
    case VIDIOC_STREAMOFF:
        if (c.owner != &h)
            return fail(EINVAL);
        c.streaming = false;
        c.ready.clear();
        for (Buffer& b : c.buffers)
            b = Buffer{};
        return 0;
    default:
        // Standards (G_STD, ENUMSTD, ...), crop, and whatever a UVC driver does not know.
        if (qEnvironmentVariableIsSet("V4L2EMU_TRACE"))
            fprintf(stderr, "v4l2emu: ioctl %#lx not emulated\n", request);
        return fail(ENOTTY);
    }
}

int openDevice(const char* path, int flags) {
    State& s = state();
    Lock lock;
    auto it = s.cameras.find(QString::fromLocal8Bit(path));
    if (it == s.cameras.end())
        return fail(ENOENT);
    const int fd = eventfd(0, EFD_CLOEXEC | ((flags & O_NONBLOCK) ? EFD_NONBLOCK : 0));
    if (fd < 0)
        return -1;
    auto h = std::make_unique<Handle>();
    h->camera = it->second;
    h->fd = fd;
    s.handles[fd] = std::move(h);
    return fd;
}

void closeDevice(int fd) {
    State& s = state();
    Lock lock;
    auto it = s.handles.find(fd);
    if (it == s.handles.end())
        return;
    Camera& c = *it->second->camera;
    if (c.owner == it->second.get())
        c.freeBuffers();
    s.handles.erase(it);
}

bool isEmulatedFd(int fd) {
    if (!watching())
        return false;
    State& s = state();
    Lock lock;
    return s.handles.count(fd) != 0;
}

void relist(State& s) {
    if (!s.listing) {
        s.listing = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/v4l2emu-dev-XXXXXX");
        g_active = true;
    }
    QDir dir(s.listing->path());
    for (const QString& n : dir.entryList({"video*"}, QDir::System))
        dir.remove(n);
    for (const auto& [node, camera] : s.cameras)
        mkfifo(QFile::encodeName(dir.filePath(node.mid(5))).constData(), 0600);
}

} // namespace

CameraModel webcam(const QString& node, const QString& card) {
    CameraModel s;
    s.node = node;
    s.card = card;
    s.formats = {
        {V4L2_PIX_FMT_MJPEG, {{320, 240}, {640, 480}, {1280, 720}, {1920, 1080}}, {30, 15}},
        {V4L2_PIX_FMT_YUYV, {{320, 240}, {640, 480}}, {30, 15}},
    };
    s.rateFactor = 30.02 / 30.0;
    return s;
}

CameraModel hdmiGrabber(const QString& node, const QString& card) {
    CameraModel s;
    s.node = node;
    s.card = card;
    s.inputs = {QStringLiteral("HDMI")};
    s.formats = {
        {V4L2_PIX_FMT_MJPEG, {{1280, 720}, {1920, 1080}}, {60, 50, 30}},
        {V4L2_PIX_FMT_YUYV, {{1280, 720}, {1920, 1080}}, {10, 5}},
    };
    return s;
}

void plug(const CameraModel& model) {
    State& s = state();
    Lock lock;
    auto c = std::make_shared<Camera>();
    c->model = model;
    c->size = model.formats.front().sizes.front();
    c->rate = model.formats.front().rates.front();
    if (auto old = s.cameras.find(model.node); old != s.cameras.end())
        old->second->gone = true;
    s.cameras[model.node] = c;
    relist(s);
    s.changed.notify_all();
}

void unplug(const QString& node) {
    State& s = state();
    Lock lock;
    auto it = s.cameras.find(node);
    if (it == s.cameras.end())
        return;
    it->second->gone = true;
    s.cameras.erase(it);
    relist(s);
    s.changed.notify_all();
}

void unplugAll() {
    State& s = state();
    Lock lock;
    for (auto& [node, camera] : s.cameras)
        camera->gone = true;
    s.cameras.clear();
    if (s.listing)
        relist(s);
    s.changed.notify_all();
}

void stall(const QString& node, bool stalled) {
    State& s = state();
    Lock lock;
    auto it = s.cameras.find(node);
    if (it == s.cameras.end())
        return;
    produce(*it->second); // what came before the change
    it->second->stalled = stalled;
    s.changed.notify_all();
}

void prepare(const CameraModel& model, QSize size, uint32_t fourcc) {
    for (int n = 0; n < model.cycle; ++n)
        keptPicture(size, fourcc, n, model.jpegQ);
}

int64_t framesDelivered(const QString& node) {
    State& s = state();
    Lock lock;
    auto it = s.cameras.find(node);
    return it == s.cameras.end() ? 0 : it->second->delivered;
}

int controlValue(const QString& node, uint32_t id) {
    State& s = state();
    Lock lock;
    auto it = s.cameras.find(node);
    if (it == s.cameras.end())
        return INT_MIN;
    Ctrl* k = findCtrl(*it->second, id, false);
    return k ? k->value : INT_MIN;
}

} // namespace v4l2emu

// ----- the C library's calls -------------------------------------------------------------------

using namespace v4l2emu;

namespace {

int openVia(const char* path, int flags, mode_t mode, int (*forward)(const char*, int, mode_t)) {
    if (mayBeEmulated(path))
        return openDevice(path, flags);
    return forward(path, flags, mode);
}

mode_t modeArg(int flags, va_list ap) {
    return (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(ap, int)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    static const auto next = real<OpenFn>("open");
    return openVia(path, flags, mode, [](const char* p, int f, mode_t m) { return next(p, f, m); });
}

int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    static const auto next = real<OpenFn>("open64");
    return openVia(path, flags, mode, [](const char* p, int f, mode_t m) { return next(p, f, m); });
}

int __open_2(const char* path, int flags) {
    return open(path, flags);
}

int __open64_2(const char* path, int flags) {
    return open64(path, flags);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (mayBeEmulated(path))
        return openDevice(path, flags);
    static const auto next = real<OpenatFn>("openat");
    return next(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (mayBeEmulated(path))
        return openDevice(path, flags);
    static const auto next = real<OpenatFn>("openat64");
    return next(dirfd, path, flags, mode);
}

int close(int fd) {
    if (watching())
        closeDevice(fd);
    static const auto next = real<CloseFn>("close");
    return next(fd);
}

int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (watching()) {
        State& s = state();
        Lock lock;
        auto it = s.handles.find(fd);
        if (it != s.handles.end()) {
            Handle& h = *it->second;
            std::shared_ptr<Camera> keep = h.camera; // the handle may close while waiting
            return deviceIoctl(lock.lock, h, request, arg);
        }
    }
    static const auto next = real<IoctlFn>("ioctl");
    return next(fd, request, arg);
}

namespace {
void* mapVia(void* addr, size_t length, int prot, int flags, int fd, off_t offset, MmapFn next) {
    if (watching()) {
        State& s = state();
        Lock lock;
        auto it = s.handles.find(fd);
        if (it != s.handles.end()) {
            Camera& c = *it->second->camera;
            if (c.gone) {
                errno = ENODEV;
                return MAP_FAILED;
            }
            if (c.memfd < 0 || size_t(offset) + length > c.bufferLength * c.buffers.size()) {
                errno = EINVAL;
                return MAP_FAILED;
            }
            return next(addr, length, prot, flags, c.memfd, offset);
        }
    }
    return next(addr, length, prot, flags, fd, offset);
}
} // namespace

void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) noexcept {
    static const auto next = real<MmapFn>("mmap");
    return mapVia(addr, length, prot, flags, fd, offset, next);
}

void* mmap64(void* addr, size_t length, int prot, int flags, int fd, off_t offset) noexcept {
    static const auto next = real<MmapFn>("mmap64");
    return mapVia(addr, length, prot, flags, fd, offset, next);
}

int poll(pollfd* fds, nfds_t n, int timeout) {
    static const auto next = real<PollFn>("poll");
    bool any = false;
    for (nfds_t i = 0; i < n && !any; ++i)
        any = isEmulatedFd(fds[i].fd);
    if (!any)
        return next(fds, n, timeout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    for (;;) {
        int ready = 0;
        {
            State& s = state();
            Lock lock;
            for (nfds_t i = 0; i < n; ++i) {
                fds[i].revents = 0;
                auto it = s.handles.find(fds[i].fd);
                if (it == s.handles.end())
                    continue;
                Camera& c = *it->second->camera;
                if (c.gone) {
                    fds[i].revents = POLLERR | POLLHUP;
                } else {
                    produce(c);
                    if (!c.ready.empty())
                        fds[i].revents = short(fds[i].events & (POLLIN | POLLRDNORM));
                    else if (!c.streaming)
                        fds[i].revents = POLLERR;
                }
                ready += fds[i].revents != 0;
            }
        }
        // The other descriptors, without waiting.
        for (nfds_t i = 0; i < n; ++i)
            if (!isEmulatedFd(fds[i].fd) && fds[i].fd >= 0) {
                pollfd one = fds[i];
                if (next(&one, 1, 0) > 0 && one.revents) {
                    fds[i].revents = one.revents;
                    ++ready;
                }
            }
        if (ready || (timeout >= 0 && std::chrono::steady_clock::now() >= end))
            return ready;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

ssize_t read(int fd, void* buf, size_t count) {
    if (isEmulatedFd(fd)) {
        errno = EINVAL; // no read() I/O: streaming only, as a UVC driver
        return -1;
    }
    static const auto next = real<ReadFn>("read");
    return next(fd, buf, count);
}

// The node listing: /dev shows the emulated nodes (as FIFOs, which a listing of system files
// takes as it takes device nodes).
DIR* opendir(const char* name) {
    static const auto next = real<OpendirFn>("opendir");
    if (watching() && (strcmp(name, "/dev") == 0 || strcmp(name, "/dev/") == 0)) {
        QByteArray path;
        {
            State& s = state();
            Lock lock;
            path = QFile::encodeName(s.listing->path());
        }
        return next(path.constData());
    }
    return next(name);
}

} // extern "C"
