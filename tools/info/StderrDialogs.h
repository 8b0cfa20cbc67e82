#pragma once
// Dialogs for a command-line tool: each message box's text goes to standard error (with its
// title), and the box counts as answered with its default button. Input and file boxes, which
// the tool never needs, answer empty.
#include "core/ports/Dialogs.h"

class StderrDialogs : public ports::Dialogs {
public:
    using ports::Dialogs::message;

    ports::Answer message(const ports::MessageBoxRequest& box) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    QString openFile(const QString& initialFolder, const QString& filter,
                     const QString& title) override;

    // Number of message boxes shown so far.
    int shown() const { return m_shown; }

private:
    int m_shown = 0;
};
