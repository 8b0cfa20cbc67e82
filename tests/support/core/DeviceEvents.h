#pragma once
// What udev says when a camera or sound device node comes or goes, for the device list tests.
#include "core/engine/UdevMonitor.h"

namespace testsupport {

inline engine::DeviceEvent deviceEvent(engine::DeviceEvent::Kind kind, bool added,
                                       const QString& node, const QString& name = {}) {
    engine::DeviceEvent e;
    e.kind = kind;
    e.added = added;
    e.devnode = node;
    e.id = node;
    e.name = name;
    return e;
}

} // namespace testsupport
