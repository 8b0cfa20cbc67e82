#pragma once
// ALSA sound capture sources, read from /proc/asound (no sound library needed to list them).
#include <QString>
#include <optional>
#include <vector>

namespace engine {

struct AlsaDevice {
    QString id;   // ALSA device name for libavdevice: "hw:card,device"
    QString name; // card and device names, for the audio device list
};

// Every PCM device with a capture side, in card/device order. `procRoot` is /proc/asound.
std::vector<AlsaDevice>
alsaCaptureDevices(const QString& procRoot = QStringLiteral("/proc/asound"));

// The capture device of a udev sound node such as /dev/snd/pcmC1D0c; nullopt for other nodes
// (playback, control, timers).
std::optional<AlsaDevice>
alsaDeviceForNode(const QString& devnode, const QString& procRoot = QStringLiteral("/proc/asound"));

} // namespace engine
