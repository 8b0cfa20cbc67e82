#pragma once
// Message boxes, input boxes, file dialogs and progress boxes drawn by Qt widgets. Each box is
// modal and owned by the active window, so it stays above the screen that asked.
#include "core/ports/Dialogs.h"

namespace adapters {

class QtDialogs : public ports::Dialogs {
public:
    using ports::Dialogs::message;

    ports::Answer message(const ports::MessageBoxRequest& box) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    QString openFile(const QString& initialFolder, const QString& filter,
                     const QString& title) override;
    QString saveFile(const QString& initialPath, const QString& filter,
                     const QString& title) override;
    void runWithProgress(const ProgressTask& task) override;

    // "description|pattern[|description|pattern...]" to Qt's "description (pattern);;..."
    // Patterns separated by ";" become Qt's blank-separated list. Empty gives "All files (*)".
    static QString toQtFilter(const QString& filter);
};

} // namespace adapters
