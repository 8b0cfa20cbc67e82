#include "support/RealProgramEnv.h"

namespace testsupport {

RealProgramEnv::RealProgramEnv() {
    realControl.setDeviceEventSource(nullptr); // no hot-plug from this machine during a test
    realControl.setTestCameraPacing(false);
    realControl.setAudioDeviceIndex(realControl.testToneIndex());
    services.capture = &realControl;
    services.makePlayer = [this](QWidget* parent) {
        auto* made = new adapters::AvPlayer(parent);
        m_player = made;
        return made;
    };
}

RealProgramEnv::~RealProgramEnv() = default;

void RealProgramEnv::chooseTestCamera() {
    settings->WriteSetting(QStringLiteral("device"),
                           QString::number(realControl.testCameraIndex()));
    settings->WriteSetting(QStringLiteral("videoresolution"), QStringLiteral("0"));
}

} // namespace testsupport
