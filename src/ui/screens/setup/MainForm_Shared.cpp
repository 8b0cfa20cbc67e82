// What the other screens read and write on the Setup screen: the barefoot choice, the frame rate
// and video folder as typed, the capture statistics and status, and the two device lists.
#include "ui/screens/setup/MainForm.h"

#include "core/app/TextNumbers.h"
#include "core/ports/ControlError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace screens {
namespace {
const QString kNoDevices = QStringLiteral("No Capture Devices");

void removeEntry(QComboBox& list, int position) {
    if (position < 0 || position >= list.count())
        throw ports::ControlError(ports::errors::kInvalidIndex,
                                  QStringLiteral("The device list has no entry %1").arg(position));
    list.removeItem(position);
}

void selectEntry(QComboBox& list, int position) {
    if (position >= 0 && position < list.count())
        list.setCurrentIndex(position);
}
} // namespace

bool MainForm::barefoot() const {
    return cb15->isChecked();
}

QString MainForm::frameRateText() const {
    return EdtRate->text();
}

QString MainForm::videoDirText() const {
    return txtVideoDir->text();
}

bool MainForm::connected() const {
    return CmdConnect->text() == QStringLiteral("Disconnect");
}

void MainForm::showCaptureCounters(qint64 frames, qint64 dropped, qint64 samples, qint64 time) {
    LblFrames->setText(app::plainNumberText(static_cast<double>(frames)));
    LblFrmDrop->setText(app::plainNumberText(static_cast<double>(dropped)));
    LblSamples->setText(app::plainNumberText(static_cast<double>(samples)));
    LblTime->setText(app::plainNumberText(static_cast<double>(time)));
}

void MainForm::showCaptureStatus(const QString& text) {
    LblStatus->setText(text);
}

void MainForm::showCaptureEnded() {
    CmdCap->setText(QStringLiteral("Capture Stream"));
}

bool MainForm::listsNoVideoDevices() const {
    return Combo1->count() > 0 && Combo1->itemText(0) == kNoDevices;
}

void MainForm::addVideoDevice(const QString& name) {
    Combo1->addItem(name);
}

void MainForm::removeVideoDevice(int position) {
    removeEntry(*Combo1, position);
}

void MainForm::selectVideoDevice(int position) {
    selectEntry(*Combo1, position);
}

void MainForm::listNoVideoDevices() {
    Combo1->addItem(kNoDevices);
    Combo1->setCurrentIndex(0);
}

void MainForm::addAudioDevice(const QString& name) {
    AudioDevice->addItem(name);
}

void MainForm::removeAudioDevice(int position) {
    removeEntry(*AudioDevice, position);
}

void MainForm::selectAudioDevice(int position) {
    selectEntry(*AudioDevice, position);
}
} // namespace screens
