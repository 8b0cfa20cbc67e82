#include "screens/LogView.h"

#include "screens/Screens.h"

LogView::LogView(Screens& screens, QWidget* owner)
    : QWidget(owner, Qt::Window), m_screens(screens) {
    setObjectName(QStringLiteral("LogView"));
    setWindowTitle(QStringLiteral("Log Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
}

LogView::~LogView() = default;
