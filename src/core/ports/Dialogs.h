#pragma once
// Every message box, input box and open-file dialog of the program goes through this
// interface, so that tests can assert each box's text, title, icon and buttons.
#include <QString>

namespace platform {

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

    // Convenience for the common OK box.
    Answer message(const QString& text, const QString& title = kAppTitle, Icon icon = Icon::None) {
        return message(MessageBoxRequest{text, title, Buttons::Ok, icon, Answer::Ok});
    }
};

} // namespace platform
