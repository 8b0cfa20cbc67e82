#include "ui/screens/frmSelectSkier.h"
#include "ui/widgets/FitCaption.h"

#include "core/app/Paths.h"
#include "core/app/Twips.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/run/RunNaming.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace screens {
using app::twips;

frmSelectSkier::frmSelectSkier(QWidget& owner, ports::Services& services,
                               std::function<void(const QString&)> chosen)
    : QWidget(&owner, Qt::Window), m_services(services), m_chosen(std::move(chosen)) {
    setObjectName(QStringLiteral("frmSelectSkier"));
    setWindowTitle(QStringLiteral("Select A Skier"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Double Click on Skier Name to select it"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmdNoSelect = new QPushButton(QStringLiteral("No Selection"), this);
    cmdNoSelect->setObjectName(QStringLiteral("cmdNoSelect"));
    lstSkiers = new QListWidget(this);
    lstSkiers->setObjectName(QStringLiteral("lstSkiers"));
    lstSkiers->setSortingEnabled(false);

    Label1->setGeometry(twips(240, 120, 3855, 375));
    cmdNoSelect->setGeometry(twips(3240, 120, 1335, 255));
    lstSkiers->setGeometry(twips(120, 720, 3975, 6105));
    setFixedSize(twips(0, 0, 4680, 7260).size());

    connect(lstSkiers, &QListWidget::itemDoubleClicked, this, [this] { lstSkiers_DblClick(); });
    connect(cmdNoSelect, &QPushButton::clicked, this, [this] { cmdNoSelect_Click(); });
    Form_Load();
    widgets::fitCaptions(*this);
}

frmSelectSkier::~frmSelectSkier() = default;

void frmSelectSkier::Form_Load() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    move(origin + twips(2280, 120, 0, 0).topLeft());

    lstSkiers->clear();
    // Read afresh at each opening. A file that vanished since the Capture screen's check, or
    // cannot be read, leaves the list empty and says why.
    QFile file(app::joinPath(m_services.appDir, run::kSkierNamesFile));
    if (!file.open(QIODevice::ReadOnly)) {
        m_services.dialogs->message(
            QStringLiteral("The skier list SkierNames.txt could not be read from the "
                           "application directory, so the list is empty"),
            ports::kAppTitle, ports::Icon::Exclamation);
        return;
    }
    lstSkiers->addItems(run::skierListFromText(file.readAll()));
}

void frmSelectSkier::lstSkiers_DblClick() {
    const QListWidgetItem* item = lstSkiers->currentItem();
    if (!item || !item->isSelected())
        return; // nothing chosen: nothing to write
    if (m_chosen)
        m_chosen(item->text());
    close();
}

void frmSelectSkier::cmdNoSelect_Click() {
    close();
}
} // namespace screens
