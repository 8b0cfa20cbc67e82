#include "ui/screens/frmManual.h"

#include "core/app/DesignFont.h"

#include "core/app/Paths.h"
#include "core/app/Twips.h"
#include "core/media/RichText.h"
#include "core/ports/Services.h"
#include "ui/screens/ScreenHub.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace screens {
namespace {
const QString kManualFile = QStringLiteral("SKV04Manual.rtf");
}

frmManual::frmManual(ScreenHub& screens)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_screens(screens) {
    setObjectName(QStringLiteral("frmManual"));
    setWindowTitle(QStringLiteral("Skivane 2004 Manual"));
    // The window has no close box: "Done" is the way back to Setup.
    setFixedSize(app::twips(0, 0, 10365, 8895).size());

    Label1 = new QLabel(QStringLiteral("Skivane 2004 Manual"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(app::designFont(18, true));
    Label1->setGeometry(app::twips(360, 120, 8895, 495));

    RichTextBox1 = new QTextBrowser(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setOpenLinks(false);
    RichTextBox1->setGeometry(app::twips(240, 960, 8655, 7575));

    // Created after the label, which is as wide as the window, so that the button stays above it.
    cmdDone = new QPushButton(QStringLiteral("Done"), this);
    cmdDone->setObjectName(QStringLiteral("cmdDone"));
    cmdDone->setGeometry(app::twips(7200, 240, 1095, 495));
    connect(cmdDone, &QPushButton::clicked, this, &frmManual::cmdDone_Click);
}

frmManual::~frmManual() = default;

void frmManual::showEvent(QShowEvent* event) {
    if (!m_loaded)
        Form_Load();
    QWidget::showEvent(event);
}

void frmManual::Form_Load() {
    m_loaded = true;

    // The viewer is widened to the window's outer width less 100 twips, but never past the
    // right edge of the window, where its scroll bar would be cut off.
    const int wanted = frameGeometry().width() - app::twipsToPixels(100);
    const int room = width() - RichTextBox1->x() - app::twipsToPixels(100);
    RichTextBox1->resize(std::max(1, std::min(wanted, room)), RichTextBox1->height());

    const QString path = app::joinPath(m_screens.services().appDir, kManualFile);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showProblem(QStringLiteral("The manual could not be opened.\n\nFile: %1\nReason: %2")
                        .arg(path, file.errorString()));
        return;
    }
    // One byte more than the reader takes, so that an oversized file is reported as such.
    const QByteArray data = file.read(media::kMaxRtfInputBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        showProblem(QStringLiteral("The manual could not be read.\n\nFile: %1\nReason: %2")
                        .arg(path, file.errorString()));
        return;
    }
    if (data.trimmed().isEmpty()) {
        showProblem(QStringLiteral("The manual file is empty.\n\nFile: %1").arg(path));
        return;
    }
    QString error;
    if (!media::rtfToDocument(data, *RichTextBox1->document(), &error)) {
        // Show what could be read, below a note that says why the rest is missing.
        QTextCursor cursor(RichTextBox1->document());
        cursor.movePosition(QTextCursor::Start);
        cursor.insertText(
            QStringLiteral("The manual file is damaged; only part of it can be shown.\n"
                           "File: %1\nReason: %2\n\n")
                .arg(path, error));
    }
    RichTextBox1->moveCursor(QTextCursor::Start);
}

void frmManual::showProblem(const QString& text) {
    RichTextBox1->setPlainText(
        text + QStringLiteral("\n\nThe manual is the file %1 in the application folder. "
                              "Copy it there, or reinstall the program, and start it again.")
                   .arg(kManualFile));
}

void frmManual::cmdDone_Click() {
    m_screens.showSetup();
    hide();
}
} // namespace screens
