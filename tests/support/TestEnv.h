#pragma once
// Everything a screen test needs, wired the way main.cpp wires the real program, except for
// what a test machine cannot have: a person answering dialogs, a camera, a full disk.
//
//   TestEnv env;                 // temp folder with app/, videos/, settings.ini
//   env.storeVideoDir();         // optional: a valid "logpath" so the start asks for no folder
//   env.screens.start();         // Setup load, then Setup shown
//   env.setup().cmdGoCapture_Click();
//
// The settings store is the real INI store on env.iniPath(). The clock is fixed (env.clock,
// settable). env.services.makePlayer makes the real player; a test may set another.
#include "core/ports/Services.h"
#include "support/FakeCaptureControl.h"
#include "support/FakeDiskSpace.h"
#include "support/RecordingSound.h"
#include "support/core/FakeDialogs.h"
#include "ui/adapters/AvRunTools.h"
#include "ui/adapters/IniSettingsStore.h"
#include "ui/screens/Screens.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <memory>

namespace screens {
class MainForm;
class PreviewForm;
class frmSetStart;
} // namespace screens

namespace testsupport {

// FakeDialogs that cannot hang a test in a prompt loop: after `unscriptedLimit` input boxes
// with nothing scripted, the test fails and the box answers `escapeAnswer` (the videos folder).
class GuardedDialogs : public FakeDialogs {
public:
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    int unscriptedLimit = 25;
    QString escapeAnswer;

private:
    int m_unscripted = 0;
};

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    // Folders and files (no trailing separator).
    QString root() const { return m_dir.path(); }
    QString appDir() const;
    QString videoDir() const;
    QString iniPath() const;

    // Writes "logpath" = videoDir() so that the start-up finds a valid folder.
    void storeVideoDir();
    // The raw INI text, for asserting what reached the disk.
    QString iniText() const;
    // A fresh store on the same file (what the next program start would read).
    QString storedValue(const QString& key) const;

    // Writes a file (bytes as given) and returns its path.
    QString writeFile(const QString& path, const QByteArray& bytes) const;
    QByteArray readFile(const QString& path) const;

    screens::MainForm& setup();
    screens::PreviewForm& capture();
    screens::frmSetStart& timer();
    // The program-wide values of this run; fresh for every TestEnv.
    ports::Session& session() { return services.session; }

    QTemporaryDir m_dir; // first: the store below lives in it
    GuardedDialogs dialogs;
    FakeCaptureControl control;
    std::unique_ptr<adapters::IniSettingsStore> settings;
    RecordingSound sound;
    FakeDiskSpace disk;
    adapters::AvRunTools tools;
    QDateTime clock; // what services.now returns; 18 January 2005 20:24:14 by default
    int endProgramCalls = 0;
    ports::Services services;
    screens::Screens screens; // last: destroyed first
};

} // namespace testsupport
