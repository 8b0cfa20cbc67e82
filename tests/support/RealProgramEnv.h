#pragma once
// The program as main.cpp wires it, on a test machine: the real capture control on its test
// camera (unpaced, 320x240, the test tone as sound), the real player, the real INI store and
// temporary video and application folders. Only the dialogs are scripted, and sound plays into
// a recording fake because the test machine has no audio output.
#include "support/TestEnv.h"
#include "ui/adapters/AvCaptureControl.h"
#include "ui/adapters/AvPlayer.h"

#include <QPointer>

namespace testsupport {

// Holds the control so that it outlives the screens (a base is destroyed after the derived part).
struct RealControlHolder {
    adapters::AvCaptureControl realControl;
};

class RealProgramEnv : private RealControlHolder, public TestEnv {
public:
    RealProgramEnv();
    ~RealProgramEnv();

    // Stores the test camera as the device and the smallest picture size, so that the start
    // connects to it (the operator's device choice; everything else stays a first start).
    void chooseTestCamera();

    // The player the review screen made last.
    adapters::AvPlayer* player() const { return m_player.data(); }

    using RealControlHolder::realControl;

private:
    QPointer<adapters::AvPlayer> m_player;
};

} // namespace testsupport
