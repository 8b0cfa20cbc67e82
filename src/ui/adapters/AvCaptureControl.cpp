#include "ui/adapters/AvCaptureControl.h"

#include "ui/adapters/AudioOutput.h"
#include "ui/widgets/SettingsDialog.h"

#include <QApplication>

namespace adapters {

AvCaptureControl::AvCaptureControl(QObject* parent) : AvCaptureControl(QString(), parent) {}

AvCaptureControl::AvCaptureControl(const QString& appDir, QObject* parent)
    : engine::CaptureService(appDir, parent) {
    connect(this, &engine::CaptureService::listenStarted, this, [this](int rate, int channels) {
        m_output = std::make_unique<AudioOutput>();
        m_output->start(rate, channels);
    });
    connect(this, &engine::CaptureService::listenStopped, this, [this] { m_output.reset(); });
    connect(this, &engine::CaptureService::heard, this, [this](const QByteArray& pcm) {
        if (m_output)
            m_output->write(pcm);
    });
}

AvCaptureControl::~AvCaptureControl() {
    blockSignals(true);
}

void AvCaptureControl::ShowDialog(int code, const QString&) {
    widgets::SettingsDialog dialog(dialogSettings(code), QApplication::activeWindow());
    connect(&dialog, &widgets::SettingsDialog::changed, this,
            [this](const QString& id, int value) { applySetting(id, value); });
    dialog.exec();
}

} // namespace adapters
