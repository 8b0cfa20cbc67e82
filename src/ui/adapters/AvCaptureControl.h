#pragma once
// The real capture control: the capture engine (CaptureService: devices, settings, recording)
// with its screen side, the settings dialogs and the sound heard while Listen is on.
//
// All methods run on the GUI thread. Signals are emitted on the GUI thread.
#include "core/engine/CaptureService.h"

#include <memory>

namespace adapters {

class AudioOutput;

class AvCaptureControl : public engine::CaptureService {
    Q_OBJECT
public:
    explicit AvCaptureControl(QObject* parent = nullptr);
    // With the network and file cameras of Cameras.txt in `appDir`.
    explicit AvCaptureControl(const QString& appDir, QObject* parent = nullptr);
    ~AvCaptureControl() override;

    // Shows the engine's setting list of dialog `code` modally; every change applies at once.
    void ShowDialog(int code, const QString& text) override;

private:
    std::unique_ptr<AudioOutput> m_output; // plays the sound while Listen is on
};

} // namespace adapters
