#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;

// The property page of the two persisted properties. It edits the control it is given by
// name, so it works on any object that has BorderStyle and ShowDescription.
class CFieldoraPropPage : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassId", "FIELDORA.FieldoraPropPage.1")

public:
    explicit CFieldoraPropPage(QWidget *parent = nullptr);

    Q_INVOKABLE void SetObject(QObject *control);

private:
    void apply();

    QPointer<QObject> control_;
    QComboBox *border_;
    QCheckBox *description_;
};
