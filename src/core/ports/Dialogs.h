#pragma once
// Every message box, input box and open-file dialog of the program goes through this
// interface, so that tests can assert each box's text, title, icon and buttons.
#include <QString>
#include <atomic>
#include <functional>

namespace ports {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Information, Exclamation, Question, Stop };
enum class Answer { Ok, Yes, No };

// The title every message box shows when its text names none.
inline const QString kAppTitle = QStringLiteral("Grabora Demo");

struct MessageBoxRequest {
    QString text;
    QString title = kAppTitle;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer defaultButton = Answer::Ok;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Modal message box; returns the button pressed.
    virtual Answer message(const MessageBoxRequest& box) = 0;

    // Modal input box with a prompt, a title and a preset answer; Cancel gives an empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& preset = QString()) = 0;

    // Modal open-file dialog. `filter` is "description|pattern[|description|pattern...]"
    // (for example "*.avi|*.avi"); empty means all files. Returns the full path, or an empty
    // text when cancelled.
    virtual QString openFile(const QString& initialFolder, const QString& filter,
                             const QString& title = QString()) = 0;

    // Modal save-file dialog starting at `initialPath` (a folder, or a folder and a proposed
    // name); `filter` as for openFile. Does not ask about replacing an existing file: the caller
    // asks, through message(). Returns the full path, or an empty text when cancelled (the
    // default, for dialogs without a screen).
    virtual QString saveFile(const QString& /*initialPath*/, const QString& /*filter*/,
                             const QString& /*title*/) {
        return QString();
    }

    // Runs `task.work` off the caller's thread while a modal box shows `task.text`, its
    // progress and a Cancel button; returns when the work has returned. The work's
    // `report(done, total)` moves the bar (total 0: busy, no count) and returns false once the
    // operator has cancelled; `cancel` turns true at the same moment. The default, for dialogs
    // without a screen, runs the work on the calling thread and never cancels.
    struct ProgressTask {
        QString text;
        QString title = kAppTitle;
        std::function<void(const std::function<bool(int done, int total)>& report,
                           const std::atomic<bool>& cancel)>
            work;
    };
    virtual void runWithProgress(const ProgressTask& task) {
        const std::atomic<bool> never{false};
        task.work([](int, int) { return true; }, never);
    }

    // Convenience for the common OK box.
    Answer message(const QString& text, const QString& title = kAppTitle, Icon icon = Icon::None) {
        return message(MessageBoxRequest{text, title, Buttons::Ok, icon, Answer::Ok});
    }
};

} // namespace ports
