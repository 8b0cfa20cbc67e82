#pragma once
// Dialogs answered by a script instead of a person. Every box shown is recorded with its text,
// title, buttons, icon and default button; answers are taken from queues in order. A box
// shown with no scripted answer gets the default button (message) or an empty text (input,
// open-file), so an unexpected box never hangs a test; tests assert the recorded boxes.
#include "core/ports/Dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace testsupport {

struct InputBoxCall {
    QString prompt;
    QString title;
    QString preset;
};

struct OpenFileCall {
    QString initialFolder;
    QString filter;
    QString title;
};

struct ProgressCall {
    QString text;
    QString title;
    std::vector<std::pair<int, int>> reports; // (done, total) in order
    bool cancelled = false;
};

class FakeDialogs : public ports::Dialogs {
public:
    using ports::Dialogs::message;

    ports::Answer message(const ports::MessageBoxRequest& box) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    QString openFile(const QString& initialFolder, const QString& filter,
                     const QString& title) override;
    QString saveFile(const QString& initialPath, const QString& filter,
                     const QString& title) override;
    // Runs the work on the calling thread. With `cancelAfterReports` set, the operator presses
    // Cancel once that many reports have come in.
    void runWithProgress(const ProgressTask& task) override;

    // Scripted answers, used in order.
    std::deque<ports::Answer> answers;
    std::deque<QString> inputs;
    std::deque<QString> files;
    std::deque<QString> saveFiles;
    int cancelAfterReports = -1; // never

    // What was shown, in order.
    std::vector<ports::MessageBoxRequest> boxes;
    std::vector<InputBoxCall> inputCalls;
    std::vector<OpenFileCall> fileCalls;
    std::vector<OpenFileCall> saveFileCalls; // initialFolder holds the initial path
    std::vector<ProgressCall> progressCalls;

    // Texts of the message boxes shown, in order.
    QStringList texts() const;
    void clear();
};

} // namespace testsupport
