#include "core/engine/CaptureDevices.h"

#include "core/engine/AlsaDevices.h"
#include "core/engine/V4l2Device.h"
#include "core/ports/ControlError.h"

#include <algorithm>

namespace engine {

using ports::ControlError;

void checkListIndex(int i, int count, const char* what, bool allowNone) {
    if ((allowNone && i == -1) || (i >= 0 && i < count))
        return;
    throw ControlError(ports::errors::kInvalidIndex,
                       QStringLiteral("Invalid %1 index %2 (there are %3)")
                           .arg(QLatin1String(what))
                           .arg(i)
                           .arg(count));
}

CaptureDevices::CaptureDevices(std::vector<VideoDeviceEntry> cameras,
                               std::vector<AudioDeviceEntry> sounds,
                               const std::vector<media::StreamCamera>& streams)
    : m_video(std::move(cameras)), m_audio(std::move(sounds)) {
    for (const media::StreamCamera& c : streams)
        m_video.push_back({c.name, {}, c.url});
    m_video.push_back({kTestCameraName, {}});
    m_audio.push_back({kTestToneName, {}});
}

CaptureDevices CaptureDevices::present(const std::vector<media::StreamCamera>& streams) {
    std::vector<VideoDeviceEntry> cameras;
    for (const V4l2Device& d : v4l2CaptureDevices())
        cameras.push_back({d.name, d.devnode});
    std::vector<AudioDeviceEntry> sounds;
    for (const AlsaDevice& d : alsaCaptureDevices())
        sounds.push_back({d.name, d.id});
    return CaptureDevices(std::move(cameras), std::move(sounds), streams);
}

const VideoDeviceEntry& CaptureDevices::video(int i) const {
    checkListIndex(i, videoCount(), "video device");
    return m_video[size_t(i)];
}

const AudioDeviceEntry& CaptureDevices::audio(int i) const {
    checkListIndex(i, audioCount(), "audio device");
    return m_audio[size_t(i)];
}

int CaptureDevices::testCameraIndex() const {
    for (size_t i = 0; i < m_video.size(); ++i)
        if (m_video[i].devnode.isEmpty() && !m_video[i].isStream())
            return int(i);
    return -1;
}

int CaptureDevices::testToneIndex() const {
    for (size_t i = 0; i < m_audio.size(); ++i)
        if (m_audio[i].id.isEmpty())
            return int(i);
    return -1;
}

bool CaptureDevices::chosenCameraIsTest() const {
    if (m_videoIndex < 0 || m_videoIndex >= videoCount())
        return false;
    const VideoDeviceEntry& d = m_video[size_t(m_videoIndex)];
    return !d.isStream() && isTestNode(d.devnode);
}

int CaptureDevices::indexOf(const DeviceEvent& event) const {
    if (event.kind == DeviceEvent::Kind::Video) {
        auto it = std::find_if(m_video.begin(), m_video.end(), [&](const VideoDeviceEntry& d) {
            return !d.devnode.isEmpty() && d.devnode == event.devnode;
        });
        return it == m_video.end() ? -1 : int(it - m_video.begin());
    }
    auto it = std::find_if(m_audio.begin(), m_audio.end(), [&](const AudioDeviceEntry& d) {
        return !d.id.isEmpty() && d.id == event.id;
    });
    return it == m_audio.end() ? -1 : int(it - m_audio.begin());
}

std::optional<DeviceListChange> CaptureDevices::apply(const DeviceEvent& event) {
    const bool video = event.kind == DeviceEvent::Kind::Video;
    const int index = indexOf(event);
    if (event.added) {
        if (index >= 0 || (video ? event.devnode : event.id).isEmpty())
            return std::nullopt; // already listed
        if (video)
            m_video.push_back({event.name, event.devnode});
        else
            m_audio.push_back({event.name, event.id});
        return DeviceListChange{video, 0, (video ? videoCount() : audioCount()) - 1, event.name};
    }
    if (index < 0)
        return std::nullopt;
    QString name;
    if (video) {
        name = m_video[size_t(index)].name;
        m_video.erase(m_video.begin() + index);
        if (m_videoIndex > index)
            --m_videoIndex;
        else if (m_videoIndex == index)
            m_videoIndex = std::max(0, testCameraIndex());
    } else {
        name = m_audio[size_t(index)].name;
        m_audio.erase(m_audio.begin() + index);
        if (m_audioIndex > index)
            --m_audioIndex;
        else if (m_audioIndex == index)
            m_audioIndex = -1;
    }
    return DeviceListChange{video, 1, index, name};
}

} // namespace engine
