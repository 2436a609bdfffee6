#include "designer/fieldora_wrapper.h"

#include "designer/designer_text.h"
#include "designer/qt_text.h"
#include "fieldora/fieldora_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vocara {

bool CFieldora::create(const QString &classId, const QStringList &pluginFiles, QWidget *parent,
                       QString *why)
{
    m_control = fieldora_host::createControl(classId, pluginFiles, parent, why);
    return m_control != nullptr;
}

void CFieldora::Clear()
{
    if (m_control)
        QMetaObject::invokeMethod(m_control, "Clear");
}

void CFieldora::AddProperty(const QString &category, const QString &caption, const QVariant &value,
                            const QString &description, short buttonType, bool enabled)
{
    if (m_control)
        QMetaObject::invokeMethod(m_control, "AddProperty", Q_ARG(QString, category),
                                  Q_ARG(QString, caption), Q_ARG(QVariant, value),
                                  Q_ARG(QString, description), Q_ARG(short, buttonType),
                                  Q_ARG(bool, enabled));
}

QVariantMap CFieldora::SetValue(const QString &name, const QVariant &value)
{
    QVariantMap result;
    if (m_control)
        QMetaObject::invokeMethod(m_control, "SetValue", Q_RETURN_ARG(QVariantMap, result),
                                  Q_ARG(QString, name), Q_ARG(QVariant, value));
    return result;
}

QVariant CFieldora::GetValue(const QString &name) const
{
    QVariant value;
    if (m_control)
        QMetaObject::invokeMethod(m_control, "GetValue", Q_RETURN_ARG(QVariant, value),
                                  Q_ARG(QString, name));
    return value;
}

QStringList CFieldora::pluginFiles()
{
    const QString file = qt(Ui::PropertyGridFile);
    const QDir program(QCoreApplication::applicationDirPath());
    QStringList files;
    // bin/vocara beside lib/vocara, build/designer/vocara beside build/lib/vocara, and the
    // test programs one folder deeper.
    for (const QString &relative :
         {QStringLiteral("../lib/vocara/"), QStringLiteral("../../lib/vocara/")})
        files << QFileInfo(program.filePath(relative + file)).absoluteFilePath();
    files.removeDuplicates();
    return files;
}

} // namespace vocara
