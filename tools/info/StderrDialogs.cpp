#include "StderrDialogs.h"

#include <cstdio>

ports::Answer StderrDialogs::message(const ports::MessageBoxRequest& box) {
    ++m_shown;
    // The box's lines end in CR LF; a terminal wants LF alone.
    QString text = box.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s: %s\n", box.title.toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
    return box.defaultButton;
}

QString StderrDialogs::inputBox(const QString&, const QString&, const QString&) {
    return QString();
}

QString StderrDialogs::openFile(const QString&, const QString&, const QString&) {
    return QString();
}
