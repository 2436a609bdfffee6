#pragma once

#include <QObject>
#include <QVariant>

namespace fieldora {

// The by-reference value of a button click: a host fills "value" while it handles
// ButtonClicked, and the grid uses that value instead of the button's own action.
class FieldoraValue : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant value READ value WRITE setValue)

public:
    using QObject::QObject;
    QVariant value() const { return value_; }
    void setValue(const QVariant &value) { value_ = value; }

private:
    QVariant value_;
};

} // namespace fieldora
