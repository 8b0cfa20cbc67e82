// The video capture device: filling the lists at load, the connect routine, the disconnected
// state, and the handlers of the device, compressor and frame-rate controls.
#include "ui/screens/setup/MainForm.h"

#include "core/app/Settings.h"
#include "core/app/TextNumbers.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "core/ports/Dialogs.h"
#include "core/ports/SettingsStore.h"
#include "ui/screens/ScreenHub.h"
#include "ui/widgets/MainFormLists.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace screens {
using widgets::fillList;
using widgets::selectEntry;

namespace {
const QString kPreviewOff = QStringLiteral("Preview Off");
const QString kPreviewOn = QStringLiteral("Preview On");

template <typename Count, typename Name> QStringList names(Count count, Name name) {
    QStringList out;
    const int n = count();
    for (int i = 0; i < n; ++i)
        out << name(i);
    return out;
}
} // namespace

// Load: the preview caption and the video device list with the stored device selected.
void MainForm::fillVideoDevices() {
    ports::CaptureControl& c = grabora();
    CmdPreview->setText(c.Preview() ? kPreviewOff : kPreviewOn);
    const int devices = c.VideoDeviceCount();
    if (devices > 0) {
        fillList(Combo1,
                 names([&] { return devices; }, [&](int i) { return c.VideoDeviceName(i); }));
        selectEntry(Combo1, app::settings::readListPosition(store(), app::settings::kDevice,
                                                            devices, true));
    } else {
        fillList(Combo1, {QStringLiteral("No Capture Devices")});
        selectEntry(Combo1, 0);
    }
}

void MainForm::fillVideoCompressors() {
    ports::CaptureControl& c = grabora();
    QStringList compressors{QStringLiteral("None")};
    compressors << names([&] { return c.VideoCompressorCount(); },
                         [&](int i) { return c.VideoCompressorName(i); });
    fillList(CompressionCombo, compressors);
    selectEntry(CompressionCombo, c.VideoCompressor() + 1);
}

void MainForm::fillEffects() {
    ports::CaptureControl& c = grabora();
    const int effects = c.EffectCount(ports::kEffectCategory);
    QStringList effectNames{QStringLiteral("None")};
    if (effects < 1) {
        fillList(Effect, effectNames);
        selectEntry(Effect, 0);
        Effect->setEnabled(false);
    } else {
        Effect->setEnabled(true);
        effectNames << names([&] { return effects; },
                             [&](int i) { return c.EffectName(ports::kEffectCategory, i); });
        fillList(Effect, effectNames);
        selectEntry(Effect, c.CurrentEffect(0) + 1);
    }
}

void MainForm::CmdConnect_Click() {
    ports::CaptureControl& c = grabora();
    try {
        if (c.VideoDeviceCount() < 1) {
            dialogs().message(
                QStringLiteral("No MCI capture devices are installed on this system"));
            return;
        }
        if (!c.Connected()) {
            const int device = Combo1->currentIndex();
            setCursor(Qt::WaitCursor);
            c.Connect(device);
            unsetCursor();
            storeSetting(app::settings::kDevice, QString::number(device));

            CmdPreview->setEnabled(true);
            ResolutionCombo->setEnabled(true);
            ResolLabel->setEnabled(true);
            fillList(ResolutionCombo, names([&] { return c.VideoResolutionCount(); },
                                            [&](int i) { return c.VideoResolutionName(i); }));
            selectEntry(ResolutionCombo, c.VideoResolution());
            {
                const int stored = app::settings::readListPosition(
                    store(), app::settings::kVideoResolution, ResolutionCombo->count(), false);
                if (stored >= 0)
                    selectEntry(ResolutionCombo, stored);
            }

            ColorLabel->setEnabled(true);
            ColorFormatCombo->setEnabled(true);
            fillList(ColorFormatCombo, names([&] { return c.ColorFormatCount(); },
                                             [&](int i) { return c.ColorFormatName(i); }));
            selectEntry(ColorFormatCombo, c.ColorFormat());
            {
                const int stored = app::settings::readListPosition(
                    store(), app::settings::kColorFormat, ColorFormatCombo->count(), false);
                if (stored >= 0)
                    selectEntry(ColorFormatCombo, stored);
            }

            const int inputs = c.VideoInputCount();
            if (inputs > 0) {
                VideoInput->setEnabled(true);
                InputLabel->setEnabled(true);
                fillList(VideoInput,
                         names([&] { return inputs; }, [&](int i) { return c.VideoInputName(i); }));
                selectEntry(VideoInput, app::settings::readListPosition(
                                            store(), app::settings::kVideoInput, inputs, true));
            } else {
                VideoInput->setEnabled(false);
                InputLabel->setEnabled(false);
            }

            if (c.HasChannels()) {
                widgets::clearList(Channel);
                ChannelLabel->setEnabled(true);
                const int lo = c.ChannelMin();
                const int hi = c.ChannelMax();
                QStringList channels;
                for (int ch = lo; ch <= hi && channels.size() < 10000; ++ch)
                    channels << QString::number(ch);
                fillList(Channel, channels);
                Channel->setEnabled(true);
                selectEntry(Channel, c.CurrentChannel() - lo);
            } else {
                Channel->setEnabled(false);
                ChannelLabel->setEnabled(false);
            }

            EdtRate->setText(QString::number(c.FrameRate()));
            EdtLimit->setText(QString::number(c.TimeLimit()));
            CmdCap->setEnabled(true);
            VideoConfig->setEnabled(c.HasDialog(35));
            CmdConnect->setText(QStringLiteral("Disconnect"));

            InitAudioSettings();

            if (CmdPreview->text() == kPreviewOff) {
                c.setPreview(true);
                m_screens.showCapture();
            }
        } else {
            c.Disconnect();
            OnDisconnect();
        }
        if (CaptureType->currentIndex() == 1) {
            EnableAudioConfig();
            EnableVideoCompressionConfig();
        }
    } catch (const ports::ControlError& e) {
        unsetCursor();
        showControlError(QStringLiteral("Eror code: "), e, true);
    }
}

void MainForm::showCameraLists() {
    if (!connected())
        return;
    ports::CaptureControl& c = grabora();
    const QStringList sizes = names([&] { return c.VideoResolutionCount(); },
                                    [&](int i) { return c.VideoResolutionName(i); });
    const QStringList formats =
        names([&] { return c.ColorFormatCount(); }, [&](int i) { return c.ColorFormatName(i); });
    if (sizes != widgets::entries(ResolutionCombo)) {
        fillList(ResolutionCombo, sizes);
        selectEntry(ResolutionCombo, c.VideoResolution());
    }
    if (formats != widgets::entries(ColorFormatCombo)) {
        fillList(ColorFormatCombo, formats);
        selectEntry(ColorFormatCombo, c.ColorFormat());
    }
}

void MainForm::OnDisconnect() {
    CmdConnect->setText(QStringLiteral("Connect"));
    CmdCap->setEnabled(false);
    CmdPreview->setEnabled(false);
    ResolLabel->setEnabled(false);
    widgets::clearList(ResolutionCombo);
    ResolutionCombo->setEnabled(false);
    widgets::clearList(ColorFormatCombo);
    ColorFormatCombo->setEnabled(false);
    ColorLabel->setEnabled(false);
    VideoConfig->setEnabled(false);
    // When the Capture screen was the one on view (a camera unplugged), Setup takes its place.
    m_screens.hideCapture(
        QStringLiteral("The camera was disconnected, so the Capture screen was closed. Connect "
                       "the camera again, or choose another one, before recording."));
    Channel->setEnabled(false);
    ChannelLabel->setEnabled(false);
    VideoInput->setEnabled(false);
    InputLabel->setEnabled(false);
    widgets::clearList(Channel);
    widgets::clearList(VideoInput);
}

void MainForm::EnableVideoCompressionConfig() {
    ports::CaptureControl& c = grabora();
    if (CompressionCombo->currentIndex() >= 1 && c.Connected())
        ComprConfig->setEnabled(c.HasDialog(256));
    else
        ComprConfig->setEnabled(false);
}

namespace {
// The list family: write the position to the control and store it, only when it differs from
// the control's current value (so selections made to mirror the control store nothing).
template <typename Get, typename Set, typename Store>
void applyListChoice(int position, Get get, Set set, Store store, const QString& key) {
    if (position < 0 || position == get())
        return;
    set(position);
    store(key, QString::number(position));
}
} // namespace

void MainForm::ResolutionCombo_Click() {
    ports::CaptureControl& c = grabora();
    const auto keep = [this](const QString& key, const QString& value) {
        storeSetting(key, value);
    };
    try {
        applyListChoice(
            ResolutionCombo->currentIndex(), [&] { return c.VideoResolution(); },
            [&](int i) { c.setVideoResolution(i); }, keep, app::settings::kVideoResolutionWritten);
    } catch (const ports::ControlError& e) {
        showControlError(QStringLiteral("Eror code: "), e, false);
    }
}

void MainForm::ColorFormatCombo_Click() {
    ports::CaptureControl& c = grabora();
    const auto keep = [this](const QString& key, const QString& value) {
        storeSetting(key, value);
    };
    try {
        applyListChoice(
            ColorFormatCombo->currentIndex(), [&] { return c.ColorFormat(); },
            [&](int i) { c.setColorFormat(i); }, keep, app::settings::kColorFormat);
    } catch (const ports::ControlError& e) {
        showControlError(QStringLiteral("Eror code: "), e, false);
    }
}

void MainForm::VideoInput_Click() {
    ports::CaptureControl& c = grabora();
    const auto keep = [this](const QString& key, const QString& value) {
        storeSetting(key, value);
    };
    try {
        applyListChoice(
            VideoInput->currentIndex(), [&] { return c.VideoInputIndex(); },
            [&](int i) { c.setVideoInputIndex(i); }, keep, app::settings::kVideoInput);
    } catch (const ports::ControlError& e) {
        showControlError(QStringLiteral("Eror code: "), e, false);
    }
}

void MainForm::Channel_Click() {
    ports::CaptureControl& c = grabora();
    try {
        const int position = Channel->currentIndex();
        if (position < 0)
            return;
        const int channel = position + c.ChannelMin();
        if (channel != c.CurrentChannel())
            c.setCurrentChannel(channel);
    } catch (const ports::ControlError& e) {
        showControlError(QStringLiteral("Error code: "), e, false);
    }
}

void MainForm::Effect_Click() {
    ports::CaptureControl& c = grabora();
    try {
        const int position = Effect->currentIndex();
        if (position < 0)
            return;
        int effect = -1;
        if (position > 0) {
            const QString name = Effect->itemText(position);
            effect = c.FindEffect(ports::kEffectCategory, name);
            if (effect < 0) {
                dialogs().message(QStringLiteral("Cannot find ") + name +
                                  QStringLiteral(" effect"));
                selectEntry(Effect, 0); // its handler removes the effect
                return;
            }
        }
        c.SetEffect(0, ports::kEffectCategory, effect);
    } catch (const ports::ControlError& e) {
        showControlError(QStringLiteral("Eror code: "), e, false);
    }
}

void MainForm::VideoConfig_Click() {
    ports::CaptureControl& c = grabora();
    if (c.HasDialog(35)) {
        const int code = 35 + (Effect->currentIndex() > 0 ? 4096 : 0);
        c.ShowDialog(code, QString());
    }
    // Show what the dialog changed; the handlers find the control equal and store nothing.
    selectEntry(ColorFormatCombo, c.ColorFormat());
    selectEntry(ResolutionCombo, c.VideoResolution());
    if (c.HasChannels())
        selectEntry(Channel, c.CurrentChannel() - c.ChannelMin());
    if (c.VideoInputCount() > 0)
        selectEntry(VideoInput, c.VideoInputIndex());
}

void MainForm::CompressionCombo_Click() {
    ports::CaptureControl& c = grabora();
    const int position = CompressionCombo->currentIndex();
    if (position < 0 || position - 1 == c.VideoCompressor())
        return;
    c.setVideoCompressor(position - 1);
    EnableVideoCompressionConfig();
    storeSetting(app::settings::kCompression, QString::number(position));
}

void MainForm::ComprConfig_Click() {
    grabora().ShowDialog(256, QString());
}

void MainForm::EdtRate_Change() {
    const QString text = EdtRate->text();
    if (text.trimmed().isEmpty())
        return; // an empty box changes nothing (the control refuses a rate of 0)
    storeSetting(app::settings::kFrameRate, text);
    // Leading number, a half to the even neighbour; beyond the int range is clamped (the
    // control refuses what it cannot use).
    const double r = app::roundHalfEven(app::numericValue(text));
    const double lo = std::numeric_limits<int>::min();
    const double hi = std::numeric_limits<int>::max();
    grabora().setFrameRate(static_cast<int>(r < lo ? lo : (r > hi ? hi : r)));
    UpdateConfigLabel();
}
} // namespace screens
