#include "review/frmSetStart.h"

#include "screens/Screens.h"

#include <QTextEdit>

frmSetStart::frmSetStart(Screens& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmSetStart"));
    setWindowTitle(QStringLiteral("Skivane 2004 Timer & Review Screen"));
    Text6 = new QTextEdit(this);
}

frmSetStart::~frmSetStart() = default;
