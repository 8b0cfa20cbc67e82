#pragma once
// A Capture screen on a started program: real files in a temporary video folder, the scripted
// capture control (connected to its one camera), scripted dialogs and a sound that only
// remembers what it was asked to play.
#include "FakePlayerForReview.h"
#include "support/TestEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class CaptureScreenTest : public ::testing::Test {
protected:
    // The program's own start: the Setup load creates the Capture screen hidden (its load runs
    // then) and connects the camera.
    void SetUp() override {
        env.services.makePlayer = [](QWidget* parent) {
            return new reviewtest::FakePlayer(parent);
        };
        env.storeVideoDir();
        env.screens.start();
        env.control.createFileOnStart = true;
        env.setup().EdtRate->setText(QStringLiteral("30"));
        takeBoxes();
    }

    screens::PreviewForm& form() { return env.capture(); }
    screens::MainForm& setup() { return env.setup(); }

    QString video(const QString& name) const { return env.videoDir() + QLatin1Char('/') + name; }
    void touchVideo(const QString& name) { env.writeFile(video(name), QByteArray("earlier run")); }
    void writeSkierNames(const QByteArray& bytes) {
        env.writeFile(env.appDir() + QStringLiteral("/SkierNames.txt"), bytes);
    }

    // The operator arrives from another screen: the screen left is hidden, the Capture screen
    // shown, the hand-over marker written, then the posted paint step runs.
    void arriveFrom(const QString& source) {
        setup().hide();
        if (env.screens.timerExists())
            env.timer().hide();
        form().show();
        env.session().NavigationSource = source;
        QCoreApplication::processEvents();
    }

    // Message box texts shown so far, then forgotten.
    QStringList takeBoxes() {
        const QStringList t = env.dialogs.texts();
        env.dialogs.clear();
        return t;
    }

    testsupport::TestEnv env;
};
