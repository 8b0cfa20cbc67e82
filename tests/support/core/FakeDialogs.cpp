#include "support/core/FakeDialogs.h"

namespace testsupport {

ports::Answer FakeDialogs::message(const ports::MessageBoxRequest& box) {
    boxes.push_back(box);
    if (answers.empty())
        return box.defaultButton;
    const ports::Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString FakeDialogs::inputBox(const QString& prompt, const QString& title, const QString& preset) {
    inputCalls.push_back({prompt, title, preset});
    if (inputs.empty())
        return QString();
    QString a = inputs.front();
    inputs.pop_front();
    return a;
}

QString FakeDialogs::openFile(const QString& initialFolder, const QString& filter,
                              const QString& title) {
    fileCalls.push_back({initialFolder, filter, title});
    if (files.empty())
        return QString();
    QString a = files.front();
    files.pop_front();
    return a;
}

QString FakeDialogs::saveFile(const QString& initialPath, const QString& filter,
                              const QString& title) {
    saveFileCalls.push_back({initialPath, filter, title});
    if (saveFiles.empty())
        return QString();
    QString a = saveFiles.front();
    saveFiles.pop_front();
    return a;
}

void FakeDialogs::runWithProgress(const ProgressTask& task) {
    progressCalls.push_back({task.text, task.title, {}, false});
    const std::size_t call = progressCalls.size() - 1;
    std::atomic<bool> cancel{false};
    auto report = [&](int done, int total) {
        ProgressCall& c = progressCalls[call];
        c.reports.emplace_back(done, total);
        if (cancelAfterReports >= 0 && static_cast<int>(c.reports.size()) >= cancelAfterReports) {
            cancel = true;
            c.cancelled = true;
        }
        return !cancel.load();
    };
    task.work(report, cancel);
}

QStringList FakeDialogs::texts() const {
    QStringList out;
    for (const auto& b : boxes)
        out << b.text;
    return out;
}

void FakeDialogs::clear() {
    answers.clear();
    inputs.clear();
    files.clear();
    boxes.clear();
    inputCalls.clear();
    fileCalls.clear();
    saveFiles.clear();
    saveFileCalls.clear();
    progressCalls.clear();
    cancelAfterReports = -1;
}

} // namespace testsupport
