// Capture options: the fixed choice of stream capture and the copy of the stream options to
// the capture control before each recording.
#include "ui/screens/setup/MainForm.h"

#include "core/app/AudioFormat.h"
#include "core/app/TextNumbers.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "ui/widgets/MainFormLists.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace screens {
namespace {

// Error numbers of the strict conversion, as the old runtime raised them.
constexpr qint32 kTypeMismatch = 13;
constexpr qint32 kOverflow = 6;

// The whole text as a 32-bit integer (halves to even); throws for anything else.
int strictInteger(const QString& text) {
    if (const auto v = app::strictToInt32(text))
        return *v;
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (number.match(text).hasMatch())
        throw ports::ControlError(kOverflow, QStringLiteral("Overflow"));
    throw ports::ControlError(kTypeMismatch, QStringLiteral("Type mismatch"));
}

} // namespace

void MainForm::SetCaptureValues() {
    ports::CaptureControl& c = grabora();
    c.setStreamFileName(EdtFile->text());
    c.setFrameRate(strictInteger(EdtRate->text()));
    c.setTimeLimit(strictInteger(EdtLimit->text()));
    // Written whether or not an audio device is chosen.
    const int position = ComboAttrib->currentIndex();
    if (position >= 0)
        applyAudioFormat(position);
}

void MainForm::CaptureType_Click() {
    if (CaptureType->currentIndex() == 1)
        SelectStreamCapture();
}

void MainForm::SelectStreamCapture() {
    widgets::selectEntry(CaptureType, 1);
    CmdCap->setText(QStringLiteral("Capture Stream"));
    EdtFile->setText(grabora().StreamFileName());
    FrmOptions->hide();
    StrmOptions->show();
    EnableAudioConfig();
    EnableVideoCompressionConfig();
}
} // namespace screens
