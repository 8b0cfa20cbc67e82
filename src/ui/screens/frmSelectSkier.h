#pragma once
// "Select A Skier": the list of SkierNames.txt, opened by the Capture screen without blocking
// and owned by it (it stays above the Capture screen). A double-click writes the chosen name
// into the Capture screen's skier-name box and closes the window; closing destroys it, so the
// list is read afresh at each opening.
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class PreviewForm;

namespace platform {
struct Services;
}

class frmSelectSkier : public QWidget {
    Q_OBJECT
public:
    // Creating the window runs its load: placement and the list read from the file.
    frmSelectSkier(PreviewForm& owner, platform::Services& services);
    ~frmSelectSkier() override;

    QLabel* Label1 = nullptr;
    QPushButton* cmdNoSelect = nullptr;
    QListWidget* lstSkiers = nullptr;

    void Form_Load();
    void lstSkiers_DblClick();
    void cmdNoSelect_Click();

private:
    PreviewForm& m_owner;
    platform::Services& m_services;
};
