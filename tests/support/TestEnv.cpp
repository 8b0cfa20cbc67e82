#include "support/TestEnv.h"

#include "support/core/Files.h"

#include "ui/adapters/AvPlayer.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace testsupport {

QString GuardedDialogs::inputBox(const QString& prompt, const QString& title,
                                 const QString& preset) {
    if (inputs.empty() && ++m_unscripted > unscriptedLimit) {
        ADD_FAILURE() << "input box \"" << prompt.toStdString()
                      << "\" asked again and again with no scripted answer";
        inputCalls.push_back({prompt, title, preset});
        return escapeAnswer;
    }
    return FakeDialogs::inputBox(prompt, title, preset);
}

TestEnv::TestEnv() : clock(QDate(2005, 1, 18), QTime(20, 24, 14)), screens(services) {
    QDir(root()).mkpath(QStringLiteral("app"));
    QDir(root()).mkpath(QStringLiteral("videos"));
    settings = std::make_unique<adapters::IniSettingsStore>(iniPath());
    dialogs.escapeAnswer = videoDir();
    services.dialogs = &dialogs;
    services.settings = settings.get();
    services.capture = &control;
    services.sound = &sound;
    services.disk = &disk;
    services.tools = &tools;
    services.appDir = appDir();
    services.endProgram = [this] { ++endProgramCalls; };
    // The real player, as the program has it; a test may put another in its place.
    services.makePlayer = [](QWidget* parent) -> ports::MediaPlayer* {
        return new adapters::AvPlayer(parent); // owned by its parent widget
    };
    services.now = [this] { return clock; };
}

TestEnv::~TestEnv() = default;

QString TestEnv::appDir() const {
    return root() + QStringLiteral("/app");
}

QString TestEnv::videoDir() const {
    return root() + QStringLiteral("/videos");
}

QString TestEnv::iniPath() const {
    return root() + QStringLiteral("/settings.ini");
}

void TestEnv::storeVideoDir() {
    settings->WriteSetting(QStringLiteral("logpath"), videoDir());
}

QString TestEnv::iniText() const {
    return QString::fromLocal8Bit(readFile(iniPath()));
}

QString TestEnv::storedValue(const QString& key) const {
    adapters::IniSettingsStore fresh(iniPath());
    return fresh.ReadSetting(key, QStringLiteral("<absent>"));
}

QString TestEnv::writeFile(const QString& path, const QByteArray& bytes) const {
    testsupport::writeFile(path, bytes);
    return path;
}

QByteArray TestEnv::readFile(const QString& path) const {
    return testsupport::readFile(path);
}

screens::MainForm& TestEnv::setup() {
    return screens.setup();
}

screens::PreviewForm& TestEnv::capture() {
    return screens.capture();
}

screens::frmSetStart& TestEnv::timer() {
    return screens.timer();
}

} // namespace testsupport
