#pragma once
// The capture device lists and their hot-plug: V4L2 cameras, the network and file cameras of
// Cameras.txt and the built-in test camera, ALSA sound sources and the test tone, the device
// chosen in each list, and what an arrival or a removal does to them.
//
// Numbering: the cameras present at start in node order, then the network and file cameras in
// file order, then "Skivane Test Camera", then cameras plugged in later, each appended (so a list
// kept in step with the DeviceChange events keeps the same order). Network and file cameras are
// never plugged in or out. Sound sources likewise, around "Skivane Test Tone".
#include "core/engine/UdevMonitor.h"
#include "core/media/CameraList.h"

#include <QString>
#include <optional>
#include <vector>

namespace engine {

struct VideoDeviceEntry {
    QString name;
    QString devnode;  // empty for the built-in test camera and for network and file cameras
    QString url = {}; // a network or file camera's; empty for the others
    bool isStream() const { return !url.isEmpty(); }
};

struct AudioDeviceEntry {
    QString name;
    QString id; // ALSA name; empty for the built-in test tone
};

// What one arrival or removal did to a list: the DeviceChange event.
struct DeviceListChange {
    bool video = true; // the camera list; false: the sound source list
    int action = 0;    // 0 arrived, 1 removed
    int index = -1;
    QString name;
    bool operator==(const DeviceListChange&) const = default;
};

class CaptureDevices {
public:
    static inline const QString kTestCameraName = QStringLiteral("Skivane Test Camera");
    static inline const QString kTestToneName = QStringLiteral("Skivane Test Tone");
    // A device node (or ALSA name) with this prefix, arriving in a scripted DeviceEvent, is an
    // extra test camera (test tone) that tests can plug in and pull out.
    static inline const QString kTestScheme = QStringLiteral("test:");

    // The given cameras, then the network and file cameras, and the sound sources, each list
    // followed by its built-in test device.
    CaptureDevices(std::vector<VideoDeviceEntry> cameras, std::vector<AudioDeviceEntry> sounds,
                   const std::vector<media::StreamCamera>& streams = {});
    // The cameras and sound sources present on this machine, with the network and file cameras.
    static CaptureDevices present(const std::vector<media::StreamCamera>& streams = {});

    int videoCount() const { return int(m_video.size()); }
    int audioCount() const { return int(m_audio.size()); }
    // Entry i; throws ports::ControlError(kInvalidIndex) outside the list.
    const VideoDeviceEntry& video(int i) const;
    const AudioDeviceEntry& audio(int i) const;
    int testCameraIndex() const;
    int testToneIndex() const;
    // The test camera or test tone (built in, or plugged in through kTestScheme).
    static bool isTestNode(const QString& node) {
        return node.isEmpty() || node.startsWith(kTestScheme);
    }

    // The chosen camera (always one) and sound source (-1: none). Unchecked: the caller checks.
    int videoIndex() const { return m_videoIndex; }
    void setVideoIndex(int i) { m_videoIndex = i; }
    int audioIndex() const { return m_audioIndex; }
    void setAudioIndex(int i) { m_audioIndex = i; }
    bool chosenCameraIsTest() const;

    // The entry an event names (-1: not listed), in its own list.
    int indexOf(const DeviceEvent& event) const;
    // Applies an arrival or a removal; the chosen device follows its entry (a removed camera
    // gives way to the test camera, a removed sound source to none). nullopt when the event
    // changes nothing (an arrival already listed, a removal never listed).
    std::optional<DeviceListChange> apply(const DeviceEvent& event);

private:
    std::vector<VideoDeviceEntry> m_video;
    std::vector<AudioDeviceEntry> m_audio;
    int m_videoIndex = 0;
    int m_audioIndex = -1;
};

// Throws ports::ControlError(kInvalidIndex) unless 0 <= i < count (or i == -1 with allowNone).
void checkListIndex(int i, int count, const char* what, bool allowNone = false);

} // namespace engine
