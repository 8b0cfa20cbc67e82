#pragma once
// "Select A Skier": the list of SkierNames.txt, opened for the Capture screen without blocking
// and owned by it (it stays above the Capture screen). A double-click hands the chosen name to
// the opener (the Capture screen's skier-name box) and closes the window; closing destroys it,
// so the list is read afresh at each opening.
#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace ports {
struct Services;
} // namespace ports

namespace screens {
class frmSelectSkier : public QWidget {
    Q_OBJECT
public:
    // Creating the window runs its load: placement and the list read from the file.
    // `chosen` receives the name double-clicked.
    frmSelectSkier(QWidget& owner, ports::Services& services,
                   std::function<void(const QString&)> chosen);
    ~frmSelectSkier() override;

    QLabel* Label1 = nullptr;
    QPushButton* cmdNoSelect = nullptr;
    QListWidget* lstSkiers = nullptr;

    void Form_Load();
    void lstSkiers_DblClick();
    void cmdNoSelect_Click();

private:
    ports::Services& m_services;
    std::function<void(const QString&)> m_chosen;
};
} // namespace screens
