#pragma once
// The Setup screen as the program shows it after a start with a valid video folder stored,
// with what the start itself showed and asked (boxes, control calls) forgotten, so that a test
// sees only what its own actions bring about.
//
//   class SetupView : public setuptest::StartedSetup {};          // started before each test
//   class SetupAudio : public setuptest::SetupBeforeStart {};     // each test calls start()
#include "support/TestEnv.h"
#include "ui/screens/setup/MainForm.h"

#include <gtest/gtest.h>

namespace setuptest {

class StartedSetup : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    // Stores the video folder, starts the program and clears the record of the start.
    void start() {
        env.storeVideoDir();
        env.screens.start();
        env.dialogs.clear();
        env.control.clearRecord();
    }
    screens::MainForm& s() { return env.setup(); }
    testsupport::TestEnv env;
};

// The same, for tests that set up the camera or the store first and then call start().
class SetupBeforeStart : public StartedSetup {
protected:
    void SetUp() override {}
};

} // namespace setuptest
