#include "capture/PreviewForm.h"

#include "platform/CaptureControl.h"
#include "platform/Services.h"
#include "screens/Screens.h"

#include <QLabel>
#include <QLineEdit>

PreviewForm::PreviewForm(Screens& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Skivane 2004 Capture Screen"));
    txtSkierName = new QLineEdit(QStringLiteral("SkierName"), this);
    txtPass = new QLineEdit(QStringLiteral("1"), this);
    Label4 = new QLabel(QStringLiteral("Label4"), this);
    Label4->hide();
}

PreviewForm::~PreviewForm() {
    try {
        m_screens.services().capture->Disconnect();
    } catch (...) {
        // Ending the program never fails on a device that is already gone.
    }
}
