// The Capture screen's handling of capture devices plugged in or unplugged while the program
// runs: keeps the Setup screen's two device lists in step and notices a lost connection.
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/ScreenLinks.h"
#include "ui/screens/capture/PreviewForm.h"

#include <limits>
#include <optional>

namespace screens {
namespace {
bool askToUse(ports::Dialogs& dialogs, const QString& name) {
    const ports::Answer answer = dialogs.message(ports::MessageBoxRequest{
        name + QStringLiteral(" is plugged into your computer. Do you want to use it?"),
        ports::kAppTitle, ports::Buttons::YesNo, ports::Icon::None, ports::Answer::Yes});
    return answer == ports::Answer::Yes;
}
} // namespace

void PreviewForm::Grabora1_DeviceChange(const QString& category, int action, int index,
                                        const QString& name) {
    ports::CaptureControl& control = *m_screens.services().capture;
    CapturePanel& setup = m_screens.capturePanel();
    // A failing list update or control read is reported and the rest still runs, so that the
    // connection check below is never skipped.
    try {
        if (category == ports::kVideoSources) {
            if (action == 0 && setup.listsNoVideoDevices() && index == 0) {
                // The first camera of a machine that had none: taken without a question.
                setup.removeVideoDevice(0);
                setup.addVideoDevice(name);
                setup.selectVideoDevice(0);
                control.setVideoDeviceIndex(0);
                return;
            }
            VideoDeviceChange(action, index, name);
        } else if (category == ports::kAudioSources) {
            AudioDeviceChange(action, index, name);
        }
    } catch (const ports::ControlError& e) {
        showControlError(e);
    }

    try {
        if (setup.connected() && action == 1 && !control.Connected())
            setup.OnDisconnect();
    } catch (const ports::ControlError& e) {
        showControlError(e);
    }
}

void PreviewForm::VideoDeviceChange(int action, int index, const QString& name) {
    ports::CaptureControl& control = *m_screens.services().capture;
    CapturePanel& setup = m_screens.capturePanel();
    std::optional<ports::ControlError> failure;
    if (action == 0) {
        setup.addVideoDevice(name);
        if (!control.Connected() && control.VideoDeviceIndex() != index &&
            askToUse(*m_screens.services().dialogs, name))
            control.setVideoDeviceIndex(index);
    } else if (action == 1) {
        try {
            setup.removeVideoDevice(index);
        } catch (const ports::ControlError& e) {
            failure = e; // reported after the list is brought back in step
        }
    }
    if (control.VideoDeviceCount() > 0)
        setup.selectVideoDevice(control.VideoDeviceIndex());
    else
        setup.listNoVideoDevices();
    if (failure)
        throw *failure;
}

void PreviewForm::AudioDeviceChange(int action, int index, const QString& name) {
    ports::CaptureControl& control = *m_screens.services().capture;
    CapturePanel& setup = m_screens.capturePanel();
    std::optional<ports::ControlError> failure;
    if (action == 0) {
        setup.addAudioDevice(name);
        if (!control.Connected() && control.AudioDeviceIndex() != index &&
            askToUse(*m_screens.services().dialogs, name))
            control.setAudioDeviceIndex(index);
    } else if (action == 1) {
        try {
            // Entry 0 is the no-device entry; device i is entry i + 1.
            if (index < 0 || index == std::numeric_limits<int>::max())
                throw ports::ControlError(ports::errors::kInvalidIndex,
                                          QStringLiteral("The device list has no entry %1")
                                              .arg(static_cast<qint64>(index) + 1));
            setup.removeAudioDevice(index + 1);
        } catch (const ports::ControlError& e) {
            failure = e;
        }
    }
    if (control.AudioDeviceCount() > 0)
        setup.selectAudioDevice(control.AudioDeviceIndex() + 1);
    else
        setup.selectAudioDevice(0);
    if (failure)
        throw *failure;
}
} // namespace screens
