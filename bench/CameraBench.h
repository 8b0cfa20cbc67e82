#pragma once
// The capture benchmark's emulated Motion JPEG camera: a recording in real time at 1920x1080,
// 30 fps, Motion JPEG, with the camera's JPEGs passed through and with them decoded and encoded
// again, and the processor time the whole program took for each.
#include <QString>

namespace bench {

struct CameraFigures {
    bool ok = false;
    double passCpuPercent = 0; // of one core, the whole process, over the recording
    long long passDropped = 0;
    double encodeCpuPercent = 0; // the same recording decoded and encoded again
    long long encodeDropped = 0;
};

// Records `seconds` of each into `dir`; prints one line per recording.
CameraFigures mjpegCameraFigures(const QString& dir, int seconds);

} // namespace bench
