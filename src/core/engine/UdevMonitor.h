#pragma once
// Arrival and removal of cameras and sound sources. The udev monitor turns kernel events into
// DeviceEvents and posts them to a DeviceEventSource; the capture control listens to the source.
// Tests post scripted events to a source of their own: no kernel device needed.
#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace engine {

struct DeviceEvent {
    enum class Kind { Video, Sound };
    Kind kind = Kind::Video;
    bool added = true;
    QString devnode; // /dev/videoN, or /dev/snd/pcmCxDyc
    QString name;    // list name (arrivals)
    QString id;      // ALSA device name for sound ("hw:1,0"); the node for video
};

class DeviceEventSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Delivers one event to the listeners (directly, on the calling thread).
    void post(const engine::DeviceEvent& event) { emit deviceEvent(event); }

signals:
    void deviceEvent(const engine::DeviceEvent& event);
};

// Watches udev for video4linux and sound devices; runs on the GUI thread through a
// QSocketNotifier. Does nothing when udev is not available (a container, a chroot).
class UdevMonitor : public DeviceEventSource {
    Q_OBJECT
public:
    explicit UdevMonitor(QObject* parent = nullptr);
    ~UdevMonitor() override;
    bool active() const { return m_monitor != nullptr; }

private:
    void readEvents();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr; // child
};

} // namespace engine
