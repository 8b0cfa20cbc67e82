#pragma once
// Waiting for what another thread or a timer brings about.
#include <QtCore/qtestsupport_core.h>
#include <functional>

namespace testsupport {

// Runs the event loop until `done` or `ms` have passed; returns `done()`. Qt's wait sleeps
// between events, leaving the cores to the threads being waited for.
inline bool waitUntil(const std::function<bool()>& done, int ms = 20000) {
    return QTest::qWaitFor(done, ms);
}

} // namespace testsupport
