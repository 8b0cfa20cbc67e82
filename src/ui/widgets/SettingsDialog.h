#pragma once
// A settings dialog made from a setting list: a column of sliders under their group headings,
// each change reported the moment a slider moves. Modal; "Close" ends it.
#include "core/engine/SettingList.h"

#include <QDialog>
#include <vector>

class QSlider;

namespace widgets {

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(const engine::SettingList& list, QWidget* parent = nullptr);

    int settingCount() const { return int(m_sliders.size()); }
    QSlider* slider(int i) const { return m_sliders.at(size_t(i)); }
    QString label(int i) const { return m_list.settings.at(size_t(i)).label; }

signals:
    // Setting `id` was moved to `value`.
    void changed(const QString& id, int value);

private:
    engine::SettingList m_list;
    std::vector<QSlider*> m_sliders; // children
};

} // namespace widgets
