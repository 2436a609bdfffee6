#include "fieldora/fieldora_icons.h"

#include "fieldora/fieldora_row.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace fieldora {
namespace {

const QColor Ink(64, 72, 88);

// Drawn at one and two device pixels per point, so the icons stay sharp on dense screens.
template<typename Draw>
QIcon drawnIcon(Draw draw)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(IconSize * scale, IconSize * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon dotsIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QRectF(2.5 + i * 4, 10, 2.6, 2.6));
    });
}

QIcon pickIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        QPainterPath arrow;
        arrow.moveTo(4, 6);
        arrow.lineTo(12, 6);
        arrow.lineTo(8, 11);
        arrow.closeSubpath();
        p.drawPath(arrow);
    });
}

QIcon folderIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(QPen(QColor(150, 110, 30), 1));
        p.setBrush(QColor(246, 204, 96));
        QPainterPath folder;
        folder.moveTo(1.5, 3.5);
        folder.lineTo(6, 3.5);
        folder.lineTo(7.5, 5);
        folder.lineTo(14.5, 5);
        folder.lineTo(14.5, 13.5);
        folder.lineTo(1.5, 13.5);
        folder.closeSubpath();
        p.drawPath(folder);
    });
}

QIcon linkIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(QPen(QColor(40, 100, 190), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    });
}

QIcon colorIcon()
{
    return drawnIcon([](QPainter &p) {
        const QColor colors[] = {QColor(220, 50, 50), QColor(50, 170, 60), QColor(50, 90, 210),
                                 QColor(240, 200, 40)};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i) {
            p.setBrush(colors[i]);
            p.drawRect(QRectF(2 + (i % 2) * 6.5, 2 + (i / 2) * 6.5, 5.5, 5.5));
        }
    });
}

QIcon mailIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
        p.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
    });
}

QIcon calendarIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(200, 60, 60));
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        for (int i = 0; i < 6; ++i)
            p.drawRect(QRectF(3.5 + (i % 3) * 3.5, 7.5 + (i / 3) * 3.5, 2, 2));
    });
}

QIcon clockIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    });
}

QIcon functionIcon()
{
    return drawnIcon([](QPainter &p) {
        QFont font(QStringLiteral("serif"));
        font.setItalic(true);
        font.setBold(true);
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(QColor(0, 0, 255));
        p.drawText(QRect(0, 0, IconSize, IconSize), Qt::AlignCenter, QStringLiteral("fx"));
    });
}

QIcon pictureIcon()
{
    return drawnIcon([](QPainter &p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(200, 225, 250));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 150, 70));
        QPainterPath hills;
        hills.moveTo(2, 13);
        hills.lineTo(6, 7);
        hills.lineTo(9, 11);
        hills.lineTo(11, 9);
        hills.lineTo(14, 13);
        hills.closeSubpath();
        p.drawPath(hills);
        p.setBrush(QColor(240, 190, 40));
        p.drawEllipse(QRectF(10, 4, 3, 3));
    });
}

} // namespace

QIcon buttonIcon(short buttonType, const QString &value)
{
    switch (buttonType) {
    case button::Pick:
        return pickIcon();
    case button::Open: {
        const QFileInfo file(value);
        if (!value.isEmpty() && file.exists())
            return QFileIconProvider().icon(file);
        return folderIcon();
    }
    case button::Link:
        return linkIcon();
    case button::Color:
        return colorIcon();
    case button::Mail:
        return mailIcon();
    case button::LongDate:
    case button::ShortDate:
        return calendarIcon();
    case button::Time:
        return clockIcon();
    case button::Function:
        return functionIcon();
    case button::Picture:
        return pictureIcon();
    default:
        return dotsIcon();
    }
}

void drawCategoryIcon(QPainter &painter, const QRect &area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(area.center().x() - 5.5, area.center().y() - 5.5, 11, 11);
    painter.setPen(QPen(QColor(255, 255, 255, 230), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box, 1.5, 1.5);
    for (int i = 0; i < 3; ++i) {
        const qreal y = box.top() + 3 + i * 2.5;
        painter.drawLine(QPointF(box.left() + 2.5, y), QPointF(box.right() - 2.5, y));
    }
    painter.restore();
}

void drawExpandGlyph(QPainter &painter, const QRect &area, bool expanded)
{
    painter.save();
    const QRect box(area.center().x() - 4, area.center().y() - 4, 9, 9);
    painter.setPen(QColor(255, 255, 255));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const int middle = box.top() + 4;
    painter.drawLine(box.left() + 2, middle, box.right() - 2, middle);
    if (!expanded)
        painter.drawLine(box.left() + 4, box.top() + 2, box.left() + 4, box.bottom() - 2);
    painter.restore();
}

} // namespace fieldora
