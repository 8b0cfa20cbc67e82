#include "screens/frmManual.h"

#include "screens/Screens.h"

frmManual::frmManual(Screens& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmManual"));
    setWindowTitle(QStringLiteral("Skivane 2004 Manual"));
}

frmManual::~frmManual() = default;
