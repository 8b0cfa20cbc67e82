#pragma once
// A Capture screen on a test environment: real files in a temporary video folder, the scripted
// capture control (connected to its one camera), scripted dialogs and a sound that only
// remembers what it was asked to play.
#include "app/Program.h"
#include "capture/PreviewForm.h"
#include "setup/MainForm.h"
#include "support/TestEnv.h"

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
    void SetUp() override {
        env.control.connected = true;
        env.control.createFileOnStart = true;
        app::program().VideoDirectory = env.videoDir();
        env.setup().EdtRate->setText(QStringLiteral("30"));
    }

    PreviewForm& form() { return env.capture(); }
    MainForm& setup() { return env.setup(); }

    QString video(const QString& name) const { return env.videoDir() + QLatin1Char('/') + name; }
    void touchVideo(const QString& name) { env.writeFile(video(name), QByteArray("earlier run")); }
    void writeSkierNames(const QByteArray& bytes) {
        env.writeFile(env.appDir() + QStringLiteral("/SkierNames.txt"), bytes);
    }

    // The operator arrives from another screen: shown, then the hand-over marker written, then
    // the posted paint step runs.
    void arriveFrom(const QString& source) {
        form().show();
        app::program().NavigationSource = source;
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
