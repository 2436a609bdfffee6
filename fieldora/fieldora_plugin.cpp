#include "fieldora/fieldora_plugin.h"

#include "fieldora/fieldora_ctrl.h"
#include "fieldora/fieldora_prop_page.h"

namespace {
constexpr char ControlId[] = "FIELDORA.FieldoraCtrl.1";
constexpr char PageId[] = "FIELDORA.FieldoraPropPage.1";
} // namespace

QWidget *FieldoraPlugin::CreateControl(const QString &classId, QWidget *parent)
{
    if (classId.compare(QLatin1String(ControlId), Qt::CaseInsensitive) == 0)
        return new CFieldoraCtrl(parent);
    if (classId.compare(QLatin1String(PageId), Qt::CaseInsensitive) == 0)
        return new CFieldoraPropPage(parent);
    return nullptr;
}

QStringList FieldoraPlugin::ClassIds() const
{
    return {QString::fromLatin1(ControlId), QString::fromLatin1(PageId)};
}
