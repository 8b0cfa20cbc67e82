#pragma once
// The manual viewer: shows SKV04Manual.rtf from the application folder. The file is read once,
// the first time the window is shown; hiding keeps the text, so later showings do not read it
// again.
#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace screens {
class ScreenHub;
class frmManual : public QWidget {
    Q_OBJECT
public:
    explicit frmManual(ScreenHub& screens);
    ~frmManual() override;

    // Widens the viewer and reads the manual. Runs once, on the first showing; a missing,
    // unreadable or malformed file puts a message into the viewer instead of the manual.
    void Form_Load();
    // "Done": shows the Setup screen, then hides this window.
    void cmdDone_Click();

    bool loaded() const { return m_loaded; }

    QLabel* Label1 = nullptr;
    QPushButton* cmdDone = nullptr;
    QTextBrowser* RichTextBox1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showProblem(const QString& text);

    ScreenHub& m_screens;
    bool m_loaded = false;
};
} // namespace screens
