// The disk filling up in the middle of a run recorded through the Capture screen: the recording
// ends by itself, the screen ends the run at once as ESC does and hands over what was recorded
// with one warning naming the file, and the review screen plays it. A disk already full at
// "Start Recording" records nothing.
#include "CaptureFileReader.h"
#include "CaptureTestSupport.h"

#include "support/RealProgramEnv.h"
#include "support/core/FileSizeLimit.h"
#include "ui/screens/capture/PreviewForm.h"
#include "ui/screens/review/frmSetStart.h"
#include "ui/screens/setup/MainForm.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

using testsupport::RealProgramEnv;

TEST(Robustness, FullDiskDuringACaptureScreenRecording) {
    RealProgramEnv env;
    env.chooseTestCamera();
    env.storeVideoDir();
    env.screens.start();
    ASSERT_TRUE(env.realControl.Connected());
    env.setup().CompressionCombo->setCurrentIndex(0); // no compression: the limit comes at once
    env.setup().CompressionCombo_Click();
    env.setup().EdtRate->setText("25");
    env.setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    screens::PreviewForm& form = env.capture();
    ASSERT_TRUE(form.isVisible());
    form.txtSkierName->setText("Ann");
    env.dialogs.clear();

    bool started = false;
    bool ended = false;
    {
        // A file size limit stands in for a full disk: writes beyond it fail (EFBIG).
        const testsupport::FileSizeLimit full(900 * 1024);
        form.cmdStartCapture_Click();
        started = env.realControl.recording();
        if (started)
            form.cmdStartTimer_Click();
        ended = capture_test::waitUntil([&] { return !env.realControl.recording(); });
    }
    ASSERT_TRUE(started) << env.dialogs.texts().join('|').toStdString();
    ASSERT_TRUE(ended) << "the recording went on after the disk was full";
    QCoreApplication::processEvents();

    const QString file = env.videoDir() + "/Annpass1.avi";
    // The screen ended the run at once, as ESC does: countdowns stopped, buttons idle, the run
    // handed over, and one box says what happened and what was kept.
    EXPECT_FALSE(form.Timer40->isActive());
    EXPECT_FALSE(form.passTimer->isActive());
    EXPECT_TRUE(form.cmdStartCapture->isEnabled());
    EXPECT_FALSE(form.cmdStartTimer->isEnabled());
    EXPECT_TRUE(form.cmdGoSetup->isEnabled());
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(env.dialogs.boxes.size(), 1u) << env.dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("Warning: "));
    EXPECT_TRUE(env.dialogs.boxes[0].text.contains("Annpass1.avi"))
        << env.dialogs.boxes[0].text.toStdString();
    EXPECT_TRUE(env.dialogs.boxes[0].text.contains("are kept"))
        << env.dialogs.boxes[0].text.toStdString();
    env.dialogs.clear();

    screens::frmSetStart& review = env.timer();
    EXPECT_EQ(review.Text6->toPlainText(), file);
    const capture_test::Recording r = capture_test::readRecording(file);
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    ASSERT_GE(r.numbers.size(), 2u);
    for (size_t i = 0; i < r.numbers.size(); ++i)
        ASSERT_EQ(r.numbers[i], static_cast<int>(i)) << "picture " << i;
    EXPECT_EQ(env.session().CapturedFrameCount, static_cast<qint16>(r.numbers.size()))
        << "the frame count handed to the review screen is what the file holds";
    EXPECT_EQ(form.LblFrame->text(), QString::number(r.numbers.size()));
    const int last = static_cast<int>(r.numbers.size()) - 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return env.session().NavigationSource.isEmpty(); }));
    ASSERT_NE(env.player(), nullptr);
    // The review screen shows the file's last picture.
    review.MediaPlayer1->setPlayerPosition(last);
    EXPECT_TRUE(QTest::qWaitFor([&] { return env.player()->shownFrame() == last; }, 15000));
}

// A full disk (a small tmpfs filled to the last byte) at "Start Recording": the start is refused
// with the reason, no file is left behind, nothing goes to the review screen and the pass stays.
TEST(Robustness, AFullDiskRefusesTheStartOfARecording) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a small tmpfs needs root";
    RealProgramEnv env;
    const QString disk = env.root() + "/disk";
    ASSERT_TRUE(QDir().mkpath(disk));
    if (mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no tmpfs here";
    struct Unmount {
        QString path;
        ~Unmount() { umount2(QFile::encodeName(path).constData(), MNT_DETACH); }
    } unmount{disk};

    env.chooseTestCamera();
    env.settings->WriteSetting("logpath", disk);
    env.screens.start();
    ASSERT_TRUE(env.realControl.Connected());
    env.setup().EdtRate->setText("25");
    env.setup().cmdGoCapture_Click();
    QCoreApplication::processEvents();
    screens::PreviewForm& form = env.capture();
    ASSERT_TRUE(form.isVisible());
    form.txtSkierName->setText("Ann");
    {
        QFile filler(disk + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    env.dialogs.clear();

    form.cmdStartCapture_Click();
    EXPECT_FALSE(env.realControl.recording());
    form.Timer40->stop();
    ASSERT_EQ(env.dialogs.boxes.size(), 1u) << env.dialogs.texts().join('|').toStdString();
    const QString text = env.dialogs.boxes[0].text;
    EXPECT_EQ(env.dialogs.boxes[0].title, "Error");
    EXPECT_TRUE(text.contains("Cannot write " + disk + "/Annpass1.avi: the disk is full"))
        << text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(disk + "/Annpass1.avi"));
    EXPECT_FALSE(QFileInfo::exists(disk + "/Annpass1.avi.timing"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.cmdStartCapture->isEnabled());
    EXPECT_EQ(form.txtPass->text().trimmed(), "1");
    EXPECT_FALSE(env.screens.timerExists() && env.timer().isVisible());
}
