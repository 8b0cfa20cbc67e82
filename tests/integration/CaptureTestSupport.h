#pragma once
// Shared set-up of the capture tests: a control connected to the test camera, recording into a
// temporary folder, and a way to wait for its events.
#include "support/core/DeviceEvents.h"
#include "support/core/Wait.h"
#include "ui/adapters/AvCaptureControl.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace capture_test {

struct Events {
    std::vector<std::pair<int, QString>> status; // CaptureStatus
    std::vector<QString> warnings;               // WarningMessage
    int count(int code) const {
        int n = 0;
        for (const auto& s : status)
            n += s.first == code;
        return n;
    }
};

using testsupport::deviceEvent;

inline void listen(adapters::AvCaptureControl& ctl, Events& events) {
    QObject::connect(
        &ctl, &ports::CaptureControl::CaptureStatus, &ctl,
        [&events](int code, const QString& text) { events.status.emplace_back(code, text); });
    QObject::connect(&ctl, &ports::CaptureControl::WarningMessage, &ctl,
                     [&events](int, const QString& text) { events.warnings.push_back(text); });
}

using testsupport::waitUntil;

// A control on the test camera, 320x240, unpaced, the test tone as sound source.
struct TestCameraRig {
    QTemporaryDir dir;
    adapters::AvCaptureControl ctl;
    Events events;

    TestCameraRig() {
        if (qEnvironmentVariableIsSet("SKIVANE_KEEP_TEST_FILES"))
            dir.setAutoRemove(false);
        ctl.setDeviceEventSource(nullptr);
        listen(ctl, events);
        ctl.Connect(ctl.testCameraIndex());
        ctl.setVideoResolution(0);
        ctl.setTestCameraPacing(false);
        ctl.setAudioDeviceIndex(ctl.testToneIndex());
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    // Records `seconds` of pictures at `fps` (ended by the time limit) into `name`.
    void record(const QString& name, int fps, int seconds) {
        ctl.setStreamFileName(path(name));
        ctl.setFrameRate(fps);
        ctl.setTimeLimit(seconds);
        const int before = events.count(301);
        ctl.StartStreamCapture();
        ASSERT_TRUE(waitUntil([&] { return events.count(301) > before; }))
            << "the recording did not end at its time limit";
    }
};

} // namespace capture_test
