#include "setup/MainForm.h"

#include "screens/Screens.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

MainForm::MainForm(Screens& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Skivane 2004 Setup"));
    cb15 = new QCheckBox(QStringLiteral("Enable Barefoot Timing (15 sec)"), this);
    EdtRate = new QLineEdit(this);
    txtVideoDir = new QLineEdit(this);
    Combo1 = new QComboBox(this);
    AudioDevice = new QComboBox(this);
    CmdConnect = new QPushButton(QStringLiteral("Connect"), this);
    CmdCap = new QPushButton(QStringLiteral("Capture Stream"), this);
    LblFrames = new QLabel(this);
    LblFrmDrop = new QLabel(this);
    LblSamples = new QLabel(this);
    LblTime = new QLabel(this);
    LblStatus = new QLabel(this);
}

MainForm::~MainForm() = default;

void MainForm::Form_Load() {}

void MainForm::SetCaptureValues() {}

void MainForm::OnDisconnect() {}
