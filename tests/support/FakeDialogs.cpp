#include "support/FakeDialogs.h"

namespace testsupport {

platform::Answer FakeDialogs::message(const platform::MessageBoxRequest& box) {
    boxes.push_back(box);
    if (answers.empty())
        return box.defaultButton;
    const platform::Answer a = answers.front();
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
}

} // namespace testsupport
