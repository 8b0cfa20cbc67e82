#pragma once
// The manual viewer: shows SKV04Manual.rtf from the application folder.
#include <QWidget>

class Screens;

class frmManual : public QWidget {
    Q_OBJECT
public:
    explicit frmManual(Screens& screens);
    ~frmManual() override;

private:
    Screens& m_screens;
};
