#pragma once
// The capture control's settings dialogs (video source, compression, sound): a column of
// sliders, each applied the moment it moves. Modal.
#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class QSlider;

namespace av {

struct DialogSetting {
    QString group; // heading above the slider ("Camera", "Effect", ...)
    QString label;
    int minimum = 0;
    int maximum = 100;
    int value = 0;
    std::function<void(int)> apply; // runs on every change
};

class CaptureSettingsDialog : public QDialog {
    Q_OBJECT
public:
    CaptureSettingsDialog(const QString& title, std::vector<DialogSetting> settings,
                          QWidget* parent = nullptr);
    int settingCount() const { return int(m_sliders.size()); }
    QSlider* slider(int i) const { return m_sliders.at(size_t(i)); }
    QString label(int i) const { return m_settings.at(size_t(i)).label; }

private:
    std::vector<DialogSetting> m_settings;
    std::vector<QSlider*> m_sliders; // children
};

} // namespace av
