// Audio: the audio device, its format and compressor, and the Listen switch. The device is
// stored by name and chosen again at the next start when it is still there; the rest begins
// from the control's own values and the first format entry.
#include "ui/screens/setup/MainForm.h"

#include "core/app/AudioFormat.h"
#include "core/app/Settings.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "ui/widgets/MainFormLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace screens {
using widgets::fillList;
using widgets::selectEntry;

// Load: the audio device list, the control's device selected.
void MainForm::fillAudioDevices() {
    ports::CaptureControl& c = grabora();
    QStringList devices{QStringLiteral("None")};
    const int count = c.AudioDeviceCount();
    for (int i = 0; i < count; ++i)
        devices << c.AudioDeviceName(i);
    fillList(AudioDevice, devices);
    selectEntry(AudioDevice, count > 0 ? c.AudioDeviceIndex() + 1 : 0);
    // The source chosen last time, when this machine still has it.
    const QString stored = app::settings::readText(store(), app::settings::kAudioDevice);
    const int position = stored.isEmpty() ? -1 : devices.indexOf(stored);
    if (position >= 0)
        selectEntry(AudioDevice, position);
}

void MainForm::fillAudioCompressors() {
    ports::CaptureControl& c = grabora();
    QStringList compressors{QStringLiteral("None")};
    const int n = c.AudioCompressorCount();
    for (int i = 0; i < n; ++i)
        compressors << c.AudioCompressorName(i);
    fillList(AudioCompr, compressors);
    selectEntry(AudioCompr, c.AudioCompressor() + 1);
}

// Load: the Listen switch and the audio format from the control.
void MainForm::copyAudioSettings() {
    Check1->setChecked(grabora().Listen());
    InitAudioSettings();
}

void MainForm::InitAudioSettings() {
    ports::CaptureControl& c = grabora();
    selectEntry(ComboAttrib, 0); // applies the first format when the selection was elsewhere
    const QString text =
        app::audioFormatText(c.AudioSampleRate(), c.AudioBitsPerSample(), c.AudioChannels());
    for (int i = 0; i < ComboAttrib->count(); ++i) {
        if (ComboAttrib->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            selectEntry(ComboAttrib, i);
            return;
        }
    }
    ComboAttrib->addItem(text);
    selectEntry(ComboAttrib, ComboAttrib->count() - 1);
}

void MainForm::EnableAudioConfig() {
    ports::CaptureControl& c = grabora();
    const bool usable = AudioDevice->currentIndex() >= 1 && c.Connected();
    for (QWidget* w : std::initializer_list<QWidget*>{AudioConfig, AttribLabel, ComboAttrib,
                                                      AudioCompLabel, AudioCompr})
        w->setEnabled(usable);
    if (usable)
        AudioConfig->setEnabled(c.HasDialog(1032));
}

void MainForm::AudioDevice_Click() {
    ports::CaptureControl& c = grabora();
    const int position = AudioDevice->currentIndex();
    if (position < 0 || position - 1 == c.AudioDeviceIndex())
        return;
    c.setAudioDeviceIndex(position - 1);
    storeSetting(app::settings::kAudioDevice, AudioDevice->itemText(position));
    EnableAudioConfig();
    if (c.Connected())
        InitAudioSettings();
}

void MainForm::AudioConfig_Click() {
    grabora().ShowDialog(1032, QString());
}

void MainForm::AudioCompr_Click() {
    ports::CaptureControl& c = grabora();
    const int position = AudioCompr->currentIndex();
    if (position < 0 || position - 1 == c.AudioCompressor())
        return;
    c.setAudioCompressor(position - 1);
}

void MainForm::applyAudioFormat(int position) {
    ports::CaptureControl& c = grabora();
    const app::AudioFormat f = app::audioFormatOf(position, ComboAttrib->itemText(position));
    if (f.sampleRate)
        c.setAudioSampleRate(*f.sampleRate);
    c.setAudioChannels(f.channels);
    c.setAudioBitsPerSample(f.bitsPerSample);
}

void MainForm::ComboAttrib_Click() {
    const int position = ComboAttrib->currentIndex();
    if (position < 0)
        return;
    try {
        applyAudioFormat(position);
    } catch (const ports::ControlError& e) {
        // Inside the recovery below a refusal only ends the repetition: the outer call shows
        // the one box.
        if (m_attribRecovering)
            return;
        m_attribRecovering = true;
        try {
            InitAudioSettings(); // the selection shows the control's actual format
        } catch (const ports::ControlError&) {
            // The box below reports the refusal; the control could not even be read back.
        }
        m_attribRecovering = false;
        showControlError(QStringLiteral("Eror code: "), e, false);
    }
}

void MainForm::Check1_Click() {
    grabora().setListen(Check1->isChecked());
}
} // namespace screens
