#include "ui/screens/frmManual.h"

#include "core/app/Twips.h"
#include "core/ports/Services.h"
#include "support/core/FakeDialogs.h"
#include "ui/screens/Screens.h"
#include "ui/screens/setup/MainForm.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class ManualViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_appDir.isValid());
        m_services.dialogs = &m_dialogs;
        m_services.appDir = QDir::toNativeSeparators(m_appDir.path());
        m_services.endProgram = [] {};
    }
    void writeManual(const QByteArray& rtf) {
        QFile f(QDir(m_appDir.path()).filePath("SKV04Manual.rtf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(rtf);
    }
    QString shownText() { return m_screens.manual().RichTextBox1->toPlainText(); }

    QTemporaryDir m_appDir;
    testsupport::FakeDialogs m_dialogs;
    ports::Services m_services;
    screens::Screens m_screens{m_services};
};

} // namespace

TEST_F(ManualViewerTest, LayoutFollowsTheDesign) {
    screens::frmManual& m = m_screens.manual();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Skivane 2004 Manual"));
    EXPECT_EQ(m.Label1->text(), QStringLiteral("Skivane 2004 Manual"));
    EXPECT_TRUE(m.Label1->font().bold());
    EXPECT_EQ(m.Label1->font().pointSize(), 18);
    EXPECT_EQ(m.Label1->geometry(), app::twips(360, 120, 8895, 495));
    EXPECT_EQ(m.cmdDone->text(), QStringLiteral("Done"));
    EXPECT_EQ(m.cmdDone->geometry(), app::twips(7200, 240, 1095, 495));
    EXPECT_EQ(m.RichTextBox1->geometry(), app::twips(240, 960, 8655, 7575));
    EXPECT_TRUE(m.RichTextBox1->isReadOnly());
    EXPECT_EQ(m.findChild<QTextBrowser*>("RichTextBox1"), m.RichTextBox1);
    EXPECT_FALSE(m.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(ManualViewerTest, LoadsOnFirstShowingOnlyAndIsWidened) {
    writeManual("{\\rtf1\\ansi {\\b Setting up}\\par First version\\par}");
    screens::frmManual& m = m_screens.manual();
    EXPECT_FALSE(m.loaded());
    EXPECT_TRUE(shownText().isEmpty());

    m.show();
    EXPECT_TRUE(m.loaded());
    EXPECT_TRUE(shownText().contains(QStringLiteral("First version")));
    EXPECT_TRUE(shownText().startsWith(QStringLiteral("Setting up")));
    // Widened towards the window's width, the right edge still inside the window.
    EXPECT_GT(m.RichTextBox1->width(), app::twipsToPixels(8655));
    EXPECT_LE(m.RichTextBox1->geometry().right(), m.width());

    // A change to the file between two showings is not seen.
    m.hide();
    writeManual("{\\rtf1 Second version\\par}");
    m.show();
    EXPECT_TRUE(shownText().contains(QStringLiteral("First version")));
    EXPECT_FALSE(shownText().contains(QStringLiteral("Second version")));
}

TEST_F(ManualViewerTest, MissingOrDamagedManualSaysSoInTheViewer) {
    m_screens.manual().show();
    const QString text = shownText();
    EXPECT_TRUE(text.contains(QStringLiteral("could not be opened"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SKV04Manual.rtf")));
    EXPECT_TRUE(m_dialogs.boxes.empty()); // no box: the message is in the viewer

    screens::Screens other(m_services);
    writeManual("{\\rtf1 Recording a run\\par {\\b unfinished");
    other.manual().show();
    const QString damaged = other.manual().RichTextBox1->toPlainText();
    EXPECT_TRUE(damaged.contains(QStringLiteral("damaged"))) << damaged.toStdString();
    EXPECT_TRUE(damaged.contains(QStringLiteral("Recording a run")));

    screens::Screens third(m_services);
    writeManual("");
    third.manual().show();
    EXPECT_TRUE(third.manual().RichTextBox1->toPlainText().contains(QStringLiteral("empty")));
}

TEST_F(ManualViewerTest, DoneShowsSetupAndHidesTheViewer) {
    writeManual("{\\rtf1 text}");
    screens::frmManual& m = m_screens.manual();
    m.show();
    ASSERT_FALSE(m_screens.setup().isVisible());
    m.cmdDone->click();
    EXPECT_TRUE(m_screens.setup().isVisible());
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(m.loaded()); // hidden, not destroyed
}
