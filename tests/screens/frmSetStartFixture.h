#pragma once
// The review screen in a test environment: a temporary video folder, the day's log name, the
// scripted dialogs, scripted free space and a recording player.
#include "FakePlayerForReview.h"
#include "support/TestEnv.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace reviewtest {

// A real AVI file of `frames` frames at `rate` fps, made by the ffmpeg tool (tiny MJPEG).
inline bool makeAvi(const QString& path, int frames, int rate) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i",
                  QStringLiteral("testsrc=size=32x32:rate=%1").arg(rate), "-frames:v",
                  QString::number(frames), "-c:v", "mjpeg", path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

class ReviewScreen : public ::testing::Test {
protected:
    ReviewScreen() {
        env.services.makePlayer = [this](QWidget* parent) {
            player = new FakePlayer(parent);
            return player;
        };
        env.setup().txtVideoDir->setText(env.videoDir());
        env.session().LogFileName = QStringLiteral("SkivaneLog011805.txt");
    }

    screens::frmSetStart& screen() { return env.timer(); }
    QString video(const QString& name) const { return env.videoDir() + u'/' + name; }
    QString logPath() const { return video(QStringLiteral("SkivaneLog011805.txt")); }
    void setBarefoot(bool on) { env.setup().cb15->setChecked(on); }
    // Shows the screen and lets the posted arrival step run.
    void showAndArrive() {
        screen().show();
        QCoreApplication::processEvents();
    }

    testsupport::TestEnv env;
    FakePlayer* player = nullptr;
};

} // namespace reviewtest
