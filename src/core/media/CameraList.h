#pragma once
// The network and file cameras of `Cameras.txt` in the application folder: one camera a line,
// `name = URL` (an RTSP, UDP or HTTP stream, or a video file). Blank lines and lines starting
// with # or ; are comments. The URL runs from the first '=' to the end of the line, so it may
// hold '=' itself (query strings).
#include <QString>
#include <vector>

namespace media {

struct StreamCamera {
    QString name;
    QString url;
};

inline const QString kCameraListFile = QStringLiteral("Cameras.txt");

struct CameraList {
    std::vector<StreamCamera> cameras; // in file order
    std::vector<int> badLines;         // 1-based numbers of lines that are no camera
    int linesRead = 0;                 // lines of the file that were read
    bool cutShort = false;             // the file is longer than what was read
    bool notText = false;              // control characters: nothing was read
};

// A line with no name, no URL, a URL without a scheme ("rtsp://...") that is no absolute file
// path, or a name used before (letter case aside) is a bad line; the rest are read.
CameraList parseCameraList(const QString& text);

// The list of kCameraListFile in `folder` (UTF-8; its first 64 KiB, a longer file is no list an
// operator wrote: the lines after the last whole one read are left out and `cutShort` is set).
// No file, or one that cannot be read, lists no camera.
CameraList readCameraList(const QString& folder);

// The one warning the program shows at start about the list: the lines that are no camera (the
// first 20 by number, then how many more) and the part of a long file that was not read. Empty
// when there is nothing to say.
QString cameraListWarning(const CameraList& list);

} // namespace media
