#include "ui/widgets/SettingsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace widgets {

SettingsDialog::SettingsDialog(const engine::SettingList& list, QWidget* parent)
    : QDialog(parent), m_list(list) {
    setWindowTitle(m_list.title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    QFormLayout* form = nullptr;
    QString group;
    for (const engine::Setting& s : m_list.settings) {
        if (!form || s.group != group) {
            group = s.group;
            auto* heading =
                new QLabel(QStringLiteral("<b>%1</b>").arg(group.toHtmlEscaped()), this);
            layout->addWidget(heading);
            form = new QFormLayout;
            layout->addLayout(form);
        }
        // Setting::Kind::Range, the only kind: a slider with its value beside it.
        auto* row = new QHBoxLayout;
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(s.min, s.max);
        slider->setValue(s.value);
        slider->setMinimumWidth(220);
        auto* value = new QLabel(QString::number(s.value), this);
        value->setMinimumWidth(40);
        row->addWidget(slider);
        row->addWidget(value);
        form->addRow(s.label, row);
        connect(slider, &QSlider::valueChanged, this, [this, id = s.id, value](int v) {
            value->setText(QString::number(v));
            emit changed(id, v);
        });
        m_sliders.push_back(slider);
    }
    if (m_list.settings.empty())
        layout->addWidget(new QLabel(tr("This device has no adjustable settings."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace widgets
