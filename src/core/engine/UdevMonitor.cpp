#include "core/engine/UdevMonitor.h"

#include "core/engine/AlsaDevices.h"
#include "core/engine/V4l2Device.h"

#include <QSocketNotifier>
#include <libudev.h>

namespace engine {

UdevMonitor::UdevMonitor(QObject* parent) : DeviceEventSource(parent) {
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "video4linux", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "sound", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        return;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevMonitor::readEvents);
}

UdevMonitor::~UdevMonitor() {
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void UdevMonitor::readEvents() {
    while (udev_device* dev = udev_monitor_receive_device(m_monitor)) {
        const QString subsystem = QString::fromUtf8(udev_device_get_subsystem(dev));
        const QString action = QString::fromUtf8(udev_device_get_action(dev));
        const char* node = udev_device_get_devnode(dev);
        DeviceEvent e;
        e.devnode = QString::fromUtf8(node ? node : "");
        e.added = action == QLatin1String("add");
        const bool relevant =
            !e.devnode.isEmpty() && (e.added || action == QLatin1String("remove"));
        if (relevant && subsystem == QLatin1String("video4linux")) {
            e.kind = DeviceEvent::Kind::Video;
            e.id = e.devnode;
            if (e.added) {
                // The node may not be readable yet: fall back on what udev has learnt.
                if (auto name = v4l2CaptureName(e.devnode)) {
                    e.name = *name;
                } else {
                    const char* caps = udev_device_get_property_value(dev, "ID_V4L_CAPABILITIES");
                    const char* product = udev_device_get_property_value(dev, "ID_V4L_PRODUCT");
                    if (caps && QString::fromUtf8(caps).contains(QLatin1String(":capture:")))
                        e.name = QString::fromUtf8(product ? product : "Camera");
                }
                if (!e.name.isEmpty())
                    post(e);
            } else {
                post(e);
            }
        } else if (relevant && subsystem == QLatin1String("sound")) {
            e.kind = DeviceEvent::Kind::Sound;
            if (auto d = alsaDeviceForNode(e.devnode)) {
                e.id = d->id;
                e.name = d->name;
                post(e);
            }
        }
        udev_device_unref(dev);
    }
}

} // namespace engine
