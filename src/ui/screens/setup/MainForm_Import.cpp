// Import of the skier names file: any text or rich-text file becomes SkierNames.txt in the
// application folder (one name per line), and its first name goes to the Capture screen.
#include "ui/screens/setup/MainForm.h"

#include "core/app/Paths.h"
#include "core/media/RichText.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/ScreenLinks.h"

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextEdit>
#include <algorithm>

namespace screens {
namespace {

const QString kImportTitle = QStringLiteral("Skivane Alert");

// Plain text lines, ended by CR LF.
QByteArray skierListBytes(const QString& text) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QByteArray out;
    for (const QString& line : lines)
        out += line.toLocal8Bit() + QByteArrayLiteral("\r\n");
    return out;
}

QString firstLine(const QByteArray& bytes) {
    qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

} // namespace

void MainForm::cmdImport_Click() {
    const QString path = dialogs().openFile(services().appDir, QString(), QString());
    if (path.isEmpty())
        return; // cancelled

    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        dialogs().message(QStringLiteral("The skier names file could not be read: ") + path +
                              QStringLiteral(" (") + source.errorString() + QStringLiteral(")"),
                          kImportTitle, ports::Icon::Exclamation);
        return;
    }
    const QByteArray data = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        dialogs().message(QStringLiteral("The skier names file could not be read: ") + path +
                              QStringLiteral(" (") + source.errorString() + QStringLiteral(")"),
                          kImportTitle, ports::Icon::Exclamation);
        return;
    }
    source.close();

    bool ok = false;
    const QString text = media::rtfToPlainText(data, &ok);
    if (!ok) {
        dialogs().message(QStringLiteral("The skier names file could not be read as text: ") + path,
                          kImportTitle, ports::Icon::Exclamation);
        return;
    }
    // A file that is not text (a picture, a program) would give names of control characters.
    const bool binary = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') ||
               c.unicode() == 0x7f || c == QChar::ReplacementCharacter;
    });
    if (binary) {
        dialogs().message(QStringLiteral("The skier names file is not a text file; nothing was "
                                         "imported and the skier list is unchanged: ") +
                              path,
                          kImportTitle, ports::Icon::Exclamation);
        return;
    }
    RichTextBox1->setPlainText(text);
    const QByteArray bytes = skierListBytes(text);
    if (bytes.trimmed().isEmpty()) {
        dialogs().message(QStringLiteral("The skier names file holds no names; nothing was "
                                         "imported: ") +
                              path,
                          kImportTitle, ports::Icon::Exclamation);
        return;
    }

    // Replaces the list only once the new one is complete on disk.
    const QString listPath = app::joinPath(services().appDir, QStringLiteral("SkierNames.txt"));
    QSaveFile list(listPath);
    if (!list.open(QIODevice::WriteOnly) || list.write(bytes) != bytes.size() || !list.commit()) {
        dialogs().message(QStringLiteral("The skier list could not be written: ") + listPath +
                              QStringLiteral(" (") + list.errorString() + QStringLiteral(")"),
                          kImportTitle, ports::Icon::Exclamation);
        return;
    }

    QFile written(listPath);
    if (!written.open(QIODevice::ReadOnly))
        return;
    QString name = firstLine(written.readLine());
    written.close();
    // One comma at a time, left to right.
    for (qsizetype comma = name.indexOf(QLatin1Char(',')); comma >= 0;
         comma = name.indexOf(QLatin1Char(',')))
        name = name.left(comma) + QLatin1Char(' ') + name.mid(comma + 1);
    m_screens.skierEntry().setSkierName(name);
}
} // namespace screens
