// The Capture screen's handling of capture devices plugged in or unplugged while the program
// runs: keeps the Setup screen's two device lists in step and notices a lost connection.
#include "ui/screens/capture/PreviewForm.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "ui/screens/Screens.h"
#include "ui/screens/setup/MainForm.h"

#include <QComboBox>
#include <QPushButton>

#include <limits>
#include <optional>

namespace {
const QString kNoDevices = QStringLiteral("No Capture Devices");

bool askToUse(platform::Dialogs& dialogs, const QString& name) {
    const platform::Answer answer = dialogs.message(platform::MessageBoxRequest{
        name + QStringLiteral(" is plugged into your computer. Do you want to use it?"),
        platform::kAppTitle, platform::Buttons::YesNo, platform::Icon::None,
        platform::Answer::Yes});
    return answer == platform::Answer::Yes;
}

// Removes entry `position`; a position the list does not have is an error, not a crash.
void removeEntry(QComboBox& list, int position) {
    if (position < 0 || position >= list.count())
        throw platform::ControlError(
            platform::errors::kInvalidIndex,
            QStringLiteral("The device list has no entry %1").arg(position));
    list.removeItem(position);
}

void selectEntry(QComboBox& list, int position) {
    if (position >= 0 && position < list.count())
        list.setCurrentIndex(position);
}
} // namespace

void PreviewForm::Grabora1_DeviceChange(const QString& category, int action, int index,
                                        const QString& name) {
    platform::CaptureControl& control = *m_screens.services().capture;
    MainForm& setup = m_screens.setup();
    // A failing list update or control read is reported and the rest still runs, so that the
    // connection check below is never skipped.
    try {
        if (category == platform::kVideoSources) {
            QComboBox& devices = *setup.Combo1;
            if (action == 0 && devices.count() > 0 && devices.itemText(0) == kNoDevices &&
                index == 0) {
                // The first camera of a machine that had none: taken without a question.
                devices.removeItem(0);
                devices.addItem(name);
                devices.setCurrentIndex(0);
                control.setVideoDeviceIndex(0);
                return;
            }
            VideoDeviceChange(action, index, name);
        } else if (category == platform::kAudioSources) {
            AudioDeviceChange(action, index, name);
        }
    } catch (const platform::ControlError& e) {
        showControlError(e);
    }

    try {
        if (setup.CmdConnect->text() == QStringLiteral("Disconnect") && action == 1 &&
            !control.Connected())
            setup.OnDisconnect();
    } catch (const platform::ControlError& e) {
        showControlError(e);
    }
}

void PreviewForm::VideoDeviceChange(int action, int index, const QString& name) {
    platform::CaptureControl& control = *m_screens.services().capture;
    QComboBox& devices = *m_screens.setup().Combo1;
    std::optional<platform::ControlError> failure;
    if (action == 0) {
        devices.addItem(name);
        if (!control.Connected() && control.VideoDeviceIndex() != index &&
            askToUse(*m_screens.services().dialogs, name))
            control.setVideoDeviceIndex(index);
    } else if (action == 1) {
        try {
            removeEntry(devices, index);
        } catch (const platform::ControlError& e) {
            failure = e; // reported after the list is brought back in step
        }
    }
    if (control.VideoDeviceCount() > 0) {
        selectEntry(devices, control.VideoDeviceIndex());
    } else {
        devices.addItem(kNoDevices);
        devices.setCurrentIndex(0);
    }
    if (failure)
        throw *failure;
}

void PreviewForm::AudioDeviceChange(int action, int index, const QString& name) {
    platform::CaptureControl& control = *m_screens.services().capture;
    QComboBox& devices = *m_screens.setup().AudioDevice; // entry 0 stands for no audio device
    std::optional<platform::ControlError> failure;
    if (action == 0) {
        devices.addItem(name);
        if (!control.Connected() && control.AudioDeviceIndex() != index &&
            askToUse(*m_screens.services().dialogs, name))
            control.setAudioDeviceIndex(index);
    } else if (action == 1) {
        try {
            // Entry 0 is the no-device entry; device i is entry i + 1.
            if (index < 0 || index == std::numeric_limits<int>::max())
                throw platform::ControlError(platform::errors::kInvalidIndex,
                                             QStringLiteral("The device list has no entry %1")
                                                 .arg(static_cast<qint64>(index) + 1));
            removeEntry(devices, index + 1);
        } catch (const platform::ControlError& e) {
            failure = e;
        }
    }
    if (control.AudioDeviceCount() > 0)
        selectEntry(devices, control.AudioDeviceIndex() + 1);
    else
        selectEntry(devices, 0);
    if (failure)
        throw *failure;
}
