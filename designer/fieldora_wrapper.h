#pragma once

#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace vocara {

// The property grid control, made by the plugin that serves its class id and driven by name:
// Clear, AddProperty and SetValue are passed on unchanged, GetValue reads a row back.
class CFieldora
{
public:
    // Tries the plugin files in turn; false (with the reason in `why`) when none made it.
    bool create(const QString &classId, const QStringList &pluginFiles, QWidget *parent,
                QString *why);
    QWidget *control() const { return m_control; }

    void Clear();
    void AddProperty(const QString &category, const QString &caption, const QVariant &value,
                     const QString &description, short buttonType, bool enabled);
    QVariantMap SetValue(const QString &name, const QVariant &value);
    QVariant GetValue(const QString &name) const;

    // Where the designer looks for the plugin: beside the program's own library folder
    // (installed or in the build tree), then the folder it was installed to.
    static QStringList pluginFiles();

private:
    QPointer<QWidget> m_control;
};

} // namespace vocara
