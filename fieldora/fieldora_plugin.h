#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

// The factory a host finds with QPluginLoader. The class ids the plugin serves are in its
// metadata ("ClassIds"), so a host can pick the plugin before loading it.
class FieldoraPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.vocara.Fieldora/1.0" FILE "fieldora.json")

public:
    // A new control of the class, or null for a class id this plugin does not serve.
    Q_INVOKABLE QWidget *CreateControl(const QString &classId, QWidget *parent);
    Q_INVOKABLE QStringList ClassIds() const;
};
