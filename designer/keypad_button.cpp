#include "designer/keypad_button.h"

#include <QPainter>
#include <QPainterPath>

namespace vocara {

KeypadButton::KeypadButton(const QString &key, const QString &letters, QWidget *parent)
    : QAbstractButton(parent)
    , m_key(key)
    , m_letters(letters)
{
    setText(key);
    setFocusPolicy(Qt::NoFocus); // the window takes the keys and hands them on
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(key);
}

QSize KeypadButton::sizeHint() const
{
    return {68, 54};
}

void KeypadButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    QPainterPath shape;
    shape.addRoundedRect(box, 14, 14);
    const bool down = isDown();
    const QPalette colours = palette();
    QLinearGradient face(box.topLeft(), box.bottomLeft());
    face.setColorAt(0, down ? colours.color(QPalette::Mid) : colours.color(QPalette::Light));
    face.setColorAt(1, down ? colours.color(QPalette::Midlight) : colours.color(QPalette::Button));
    painter.fillPath(shape, face);
    painter.setPen(QPen(colours.color(down ? QPalette::Dark : QPalette::Mid), 1.2));
    painter.drawPath(shape);

    painter.setPen(colours.color(isEnabled() ? QPalette::ButtonText : QPalette::PlaceholderText));
    QFont digit = font();
    digit.setPixelSize(22);
    digit.setBold(true);
    painter.setFont(digit);
    const QRectF top = box.adjusted(0, 3, 0, m_letters.isEmpty() ? -3 : -box.height() * 0.36);
    painter.drawText(top.translated(0, down ? 1 : 0), Qt::AlignCenter, m_key);
    if (m_letters.isEmpty())
        return;
    QFont letters = font();
    letters.setPixelSize(10);
    letters.setLetterSpacing(QFont::PercentageSpacing, 115);
    painter.setFont(letters);
    const QRectF bottom(box.left(), top.bottom() - 2, box.width(), box.bottom() - top.bottom());
    painter.drawText(bottom.translated(0, down ? 1 : 0), Qt::AlignHCenter | Qt::AlignTop,
                     m_letters);
}

} // namespace vocara
