#pragma once
// The Timer & Review screen: loading runs, marking the start, the pass end and replay loops.
#include <QWidget>

class QTextEdit;
class Screens;

class frmSetStart : public QWidget {
    Q_OBJECT
public:
    // Creating the screen runs Form_Load.
    explicit frmSetStart(Screens& screens);
    ~frmSetStart() override;

    // Full path of the loaded run; every part of the screen reads the run's path from here.
    QTextEdit* Text6 = nullptr;

private:
    Screens& m_screens;
};
