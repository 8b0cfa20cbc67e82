#include "ui/widgets/CaptureDialogWidget.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace av {

CaptureSettingsDialog::CaptureSettingsDialog(const QString& title,
                                             std::vector<DialogSetting> settings, QWidget* parent)
    : QDialog(parent), m_settings(std::move(settings)) {
    setWindowTitle(title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    QFormLayout* form = nullptr;
    QString group;
    for (size_t i = 0; i < m_settings.size(); ++i) {
        const DialogSetting& s = m_settings[i];
        if (!form || s.group != group) {
            group = s.group;
            auto* heading =
                new QLabel(QStringLiteral("<b>%1</b>").arg(group.toHtmlEscaped()), this);
            layout->addWidget(heading);
            form = new QFormLayout;
            layout->addLayout(form);
        }
        auto* row = new QHBoxLayout;
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(s.minimum, s.maximum);
        slider->setValue(s.value);
        slider->setMinimumWidth(220);
        auto* value = new QLabel(QString::number(s.value), this);
        value->setMinimumWidth(40);
        row->addWidget(slider);
        row->addWidget(value);
        form->addRow(s.label, row);
        const size_t index = i;
        connect(slider, &QSlider::valueChanged, this, [this, index, value](int v) {
            value->setText(QString::number(v));
            if (m_settings[index].apply)
                m_settings[index].apply(v);
        });
        m_sliders.push_back(slider);
    }
    if (m_settings.empty())
        layout->addWidget(new QLabel(tr("This device has no adjustable settings."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace av
