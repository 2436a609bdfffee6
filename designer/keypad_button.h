#pragma once

#include <QAbstractButton>

namespace vocara {

// A telephone key: a rounded key with its digit large and its letters small beneath.
class KeypadButton : public QAbstractButton
{
public:
    KeypadButton(const QString &key, const QString &letters, QWidget *parent = nullptr);
    const QString &key() const { return m_key; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_key;
    QString m_letters;
};

} // namespace vocara
