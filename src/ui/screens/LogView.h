#pragma once
// The log viewer: lists a session log's run entries and reopens a logged run for review.
#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace screens {
class ScreenHub;
class LogView : public QWidget {
    Q_OBJECT
public:
    // A top-level window owned by `owner` (it stays above it); loads the day's log.
    LogView(ScreenHub& screens, QWidget* owner);
    ~LogView() override;

    // --- Handlers ---
    void Form_Load();
    void cmdSelectLogFile_Click();
    void lstLog_Click();
    void lstLog_DblClick();
    void cmdView_Click();
    void cmdDismiss_Click();
    // "Export…": the CSV of the log shown (the day's log when none is shown).
    void cmdExport_Click();

    // Fills lstLog from a log file: every line without "Skivane" (session lines), in file order.
    // A missing file gives an empty list; one that cannot be read is reported and gives an empty
    // list.
    void LoadLog(const QString& path);

    // A line is listed unless it holds "Skivane" anywhere (case-sensitive).
    static bool isListed(const QString& line);
    // The video path of a run line: the rest of the line from six characters after the first
    // "File:"; empty when the line has no "File:".
    static QString videoFileOf(const QString& line);

    // Width in pixels to which lstLog scrolls: its longest entry plus one space in the window's
    // font (the first of equally long entries; an empty list gives the width of one space).
    int horizontalExtent() const { return m_horizontalExtent; }

    // --- Controls ---
    QLabel* Label1 = nullptr;
    QTextEdit* txtLogFile = nullptr;
    QPushButton* cmdSelectLogFile = nullptr;
    QPushButton* cmdDismiss = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* lstLog = nullptr;
    QTextEdit* txtFileToView = nullptr;
    QPushButton* cmdView = nullptr;
    QPushButton* cmdExport = nullptr;

private:
    void setHorizontalExtent();

    ScreenHub& m_screens;
    QString m_dialogFileName; // the open-file dialog's last answer, kept across cancels
    int m_horizontalExtent = 0;
};
} // namespace screens
