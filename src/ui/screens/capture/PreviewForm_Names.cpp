// The Capture screen's naming boxes: the change rule, the run file name, the "X" rule and the
// skier list.
#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/run/RunInfo.h"
#include "core/run/RunNaming.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/capture/PreviewForm.h"

#include <QLabel>
#include <QLineEdit>

namespace screens {
QString PreviewForm::skierName() const {
    return txtSkierName->text();
}

void PreviewForm::setSkierName(const QString& name) {
    txtSkierName->setText(name);
}

void PreviewForm::setPass(const QString& pass) {
    txtPass->setText(pass);
}

bool PreviewForm::nameChangeShown() const {
    return !Label4->isHidden();
}

void PreviewForm::txtSkierName_Change() {
    txtPass->setText(QStringLiteral("1"));
    // The name becomes part of the run's path: a comma, a folder separator or a character no
    // file name may hold is refused and replaced by a space, a leading dot removed, a name too
    // long cut. One box names the first problem; the mended name put back passes the rule.
    if (const auto problem = run::skierNameProblem(txtSkierName->text())) {
        m_screens.services().dialogs->message(problem->message, run::kInputErrorTitle);
        txtSkierName->setText(problem->mended);
    }
}

void PreviewForm::txtPass_Change() {
    // The pass text goes into the run's path too.
    const QString pass = txtPass->text();
    if (const auto bad = run::firstForbiddenPathChar(pass)) {
        m_screens.services().dialogs->message(run::inputErrorText(*bad), run::kInputErrorTitle);
        txtPass->setText(run::replacedBySpace(pass, *bad));
    }
}

void PreviewForm::ComposeCaptureFileName() {
    QString& folder = m_screens.session().VideoDirectory;
    folder = app::withoutTrailingSeparator(folder);
    CaptureFileName = run::composeCaptureFileName(folder, txtSkierName->text(), txtPass->text());
}

void PreviewForm::nameForRecording() {
    ComposeCaptureFileName();
    const run::FreeName free =
        run::freeNameForRecording(m_screens.session().VideoDirectory, txtSkierName->text(),
                                  txtPass->text(), run::runNameTaken);
    NameChanged = free.changed ? 1 : 0;
    if (free.changed) {
        txtSkierName->setText(free.skier); // the change rule puts the pass back to "1"
        CaptureFileName = free.fileName;
        Label4->setText(run::nameChangedWarning(free.skier));
        Label4->show();
    }
}

void PreviewForm::cmdSelect_Click() {
    ports::Services& services = m_screens.services();
    if (!app::FileIsPresent(app::joinPath(services.appDir, run::kSkierNamesFile))) {
        services.dialogs->message(QStringLiteral("No file of skier names called SkierNames.txt "
                                                 "exists in the application directory"));
        return;
    }
    m_screens.openSkierList(*this, [this](const QString& name) { setSkierName(name); });
}

void PreviewForm::txtSkierName_DblClick() {
    cmdSelect_Click();
}
} // namespace screens
