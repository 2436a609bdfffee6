#include "fieldora/fieldora_prop_page.h"

#include "fieldora/fieldora_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

CFieldoraPropPage::CFieldoraPropPage(QWidget *parent)
    : QWidget(parent)
    , border_(new QComboBox(this))
    , description_(new QCheckBox(this))
{
    setObjectName(QStringLiteral("FieldoraPropPage"));
    for (const char *name : fieldora::text::BorderStyleNames)
        border_->addItem(QString::fromUtf8(name));
    border_->setObjectName(QStringLiteral("fieldoraBorderStyle"));
    description_->setText(QString::fromUtf8(fieldora::text::PageShowDescription));
    description_->setObjectName(QStringLiteral("fieldoraShowDescription"));
    auto *form = new QFormLayout(this);
    form->addRow(QString::fromUtf8(fieldora::text::PageBorderStyle), border_);
    form->addRow(QString(), description_);
    connect(border_, &QComboBox::activated, this, &CFieldoraPropPage::apply);
    connect(description_, &QCheckBox::toggled, this, &CFieldoraPropPage::apply);
    setEnabled(false);
}

void CFieldoraPropPage::SetObject(QObject *control)
{
    control_ = control;
    setEnabled(control != nullptr);
    if (!control)
        return;
    const QSignalBlocker quietBorder(border_);
    const QSignalBlocker quietDescription(description_);
    const int style = control->property("BorderStyle").toInt();
    border_->setCurrentIndex(style >= 0 && style < border_->count() ? style : -1);
    description_->setChecked(control->property("ShowDescription").toBool());
}

void CFieldoraPropPage::apply()
{
    if (!control_)
        return;
    if (border_->currentIndex() >= 0)
        control_->setProperty("BorderStyle", static_cast<short>(border_->currentIndex()));
    control_->setProperty("ShowDescription", description_->isChecked());
}
