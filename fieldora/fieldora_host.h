#pragma once

// For hosts of the property grid: finds the plugin that serves a class id and creates the
// control, using nothing but Qt. The control is then driven by name (QMetaObject).

#include <QJsonArray>
#include <QJsonObject>
#include <QMetaObject>
#include <QPluginLoader>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace fieldora_host {

// Tries each plugin file in turn; the first whose metadata lists the class id makes the
// control. On failure why (if given) says what went wrong with the last file tried.
inline QWidget *createControl(const QString &classId, const QStringList &pluginFiles,
                              QWidget *parent, QString *why = nullptr)
{
    QString reason = QStringLiteral("no plugin file to try");
    for (const QString &file : pluginFiles) {
        QPluginLoader loader(file);
        const QJsonArray ids = loader.metaData()
                                   .value(QStringLiteral("MetaData"))
                                   .toObject()
                                   .value(QStringLiteral("ClassIds"))
                                   .toArray();
        if (!ids.contains(classId)) {
            reason = loader.metaData().isEmpty()
                         ? loader.errorString()
                         : file + QStringLiteral(" does not serve ") + classId;
            continue;
        }
        QObject *factory = loader.instance();
        if (!factory) {
            reason = loader.errorString();
            continue;
        }
        QWidget *control = nullptr;
        if (QMetaObject::invokeMethod(factory, "CreateControl", Qt::DirectConnection,
                                      Q_RETURN_ARG(QWidget *, control), Q_ARG(QString, classId),
                                      Q_ARG(QWidget *, parent)) &&
            control)
            return control;
        reason = file + QStringLiteral(" could not create ") + classId;
    }
    if (why)
        *why = reason;
    return nullptr;
}

} // namespace fieldora_host
