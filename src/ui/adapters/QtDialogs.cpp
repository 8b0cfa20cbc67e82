#include "ui/adapters/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStringList>
#include <thread>

namespace adapters {

namespace {

QMessageBox::Icon qtIcon(ports::Icon icon) {
    switch (icon) {
    case ports::Icon::Information:
        return QMessageBox::Information;
    case ports::Icon::Exclamation:
        return QMessageBox::Warning;
    case ports::Icon::Question:
        return QMessageBox::Question;
    case ports::Icon::Stop:
        return QMessageBox::Critical;
    case ports::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOrDefault(const QString& title) {
    return title.isEmpty() ? ports::kAppTitle : title;
}

} // namespace

ports::Answer QtDialogs::message(const ports::MessageBoxRequest& request) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(titleOrDefault(request.title));
    box.setText(request.text);
    box.setIcon(qtIcon(request.icon));
    if (request.buttons == ports::Buttons::YesNo) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(request.defaultButton == ports::Answer::Yes ? yes : no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? ports::Answer::Yes : ports::Answer::No;
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return ports::Answer::Ok;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& preset) {
    QInputDialog dlg(QApplication::activeWindow());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(titleOrDefault(title));
    dlg.setLabelText(prompt);
    dlg.setTextValue(preset);
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return dlg.textValue();
}

QString QtDialogs::openFile(const QString& initialFolder, const QString& filter,
                            const QString& title) {
    const QString path = QFileDialog::getOpenFileName(
        QApplication::activeWindow(), title.isEmpty() ? QStringLiteral("Open") : title,
        initialFolder, toQtFilter(filter));
    return path.isEmpty() ? QString() : QDir::toNativeSeparators(path);
}

QString QtDialogs::saveFile(const QString& initialPath, const QString& filter,
                            const QString& title) {
    // The caller asks before replacing a file, through its own message box.
    const QString path = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), title.isEmpty() ? QStringLiteral("Save") : title, initialPath,
        toQtFilter(filter), nullptr, QFileDialog::DontConfirmOverwrite);
    return path.isEmpty() ? QString() : QDir::toNativeSeparators(path);
}

void QtDialogs::runWithProgress(const ProgressTask& task) {
    QProgressDialog box(task.text, QStringLiteral("Cancel"), 0, 0, QApplication::activeWindow());
    box.setWindowTitle(titleOrDefault(task.title));
    box.setWindowModality(Qt::ApplicationModal);
    box.setAutoClose(false);
    box.setAutoReset(false);
    box.setMinimumDuration(0);
    std::atomic<bool> cancel{false};
    QObject::connect(&box, &QProgressDialog::canceled, &box, [&cancel] { cancel = true; });
    QEventLoop loop;
    // Updates reach the box through its own thread's queue; any still queued when the box is
    // gone are dropped with it.
    auto report = [&box, &cancel](int done, int total) {
        QMetaObject::invokeMethod(
            &box,
            [&box, done, total] {
                box.setMaximum(total > 0 ? total : 0);
                if (total > 0)
                    box.setValue(done);
            },
            Qt::QueuedConnection);
        return !cancel.load();
    };
    box.show();
    std::thread worker([&] {
        task.work(report, cancel);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

QString QtDialogs::toQtFilter(const QString& filter) {
    if (filter.trimmed().isEmpty())
        return QStringLiteral("All files (*)");
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (pattern.isEmpty())
            pattern = QStringLiteral("*");
        pattern.replace(u';', u' ');
        out << (desc.isEmpty() ? pattern : desc) + QStringLiteral(" (") + pattern +
                   QStringLiteral(")");
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace adapters
