#pragma once
// The Capture screen: run naming, recording with countdowns, device arrival and removal.
// Holds the capture control's live picture as Grabora1.
#include <QWidget>

class QLabel;
class QLineEdit;
class Screens;

class PreviewForm : public QWidget {
    Q_OBJECT
public:
    // Creating the screen runs its load (default skier name, PaintBusy reset).
    explicit PreviewForm(Screens& screens);
    ~PreviewForm() override; // disconnects the capture control

    // Controls read or written by other screens.
    QLineEdit* txtSkierName = nullptr;
    QLineEdit* txtPass = nullptr;
    QLabel* Label4 = nullptr; // duplicate-name warning

private:
    Screens& m_screens;
};
