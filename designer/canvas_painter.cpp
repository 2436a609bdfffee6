#include "designer/canvas_painter.h"

#include "designer/kind_icons.h"
#include "document/ivr_settings.h"
#include "document/vocara_doc.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace vocara {

namespace {

bool contains(const std::vector<NodeId> &list, NodeId id)
{
    return std::find(list.begin(), list.end(), id) != list.end();
}

// One cell of the background grid: a dotted square 5 to 45 pixels into it. Made once and
// kept for the program's life (a pixmap must not outlive the application object).
const QPixmap &gridTile()
{
    static const QPixmap *tile = [] {
        QImage image(CellSize, CellSize, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
        painter.drawRect(5, 5, 40, 40);
        painter.end();
        return new QPixmap(QPixmap::fromImage(image));
    }();
    return *tile;
}

void paintLink(QPainter &painter, Cell parent, Cell child, const QColor &color)
{
    paintRoute(painter, Canvas::linkRoute(parent, child), color);
}

} // namespace

void paintRoute(QPainter &painter, const Canvas::LinkRoute &route, const QColor &color, int width)
{
    painter.setPen(QPen(color, width));
    for (const Canvas::Segment &s : route.segments)
        painter.drawLine(s.from.x, s.from.y, s.to.x, s.to.y);
    painter.setBrush(color);
    for (const Canvas::Triangle &t : route.arrows) {
        const QPoint points[3] = {{t[0].x, t[0].y}, {t[1].x, t[1].y}, {t[2].x, t[2].y}};
        painter.drawPolygon(points, 3);
    }
    painter.setBrush(Qt::NoBrush);
}

long long storedValue(const QColor &color)
{
    return (static_cast<long long>(color.blue()) << 16) | (color.green() << 8) | color.red();
}

QColor storedColor(long long value)
{
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

CanvasColors CanvasColors::fromSettings(const IvrSettings *settings)
{
    CanvasColors colors;
    if (!settings)
        return colors;
    colors.nodeSelected = storedColor(settings->number(Setting::NodeColorSel));
    colors.nodeNotSelected = storedColor(settings->number(Setting::NodeColorNotSel));
    colors.lineSelected = storedColor(settings->number(Setting::LineColorSel));
    colors.lineNotSelected = storedColor(settings->number(Setting::LineColorNotSel));
    colors.simulatorNode = storedColor(settings->number(Setting::SimulatorNodeColorSel));
    colors.simulatorPath = storedColor(settings->number(Setting::SimulatorPathColorSel));
    return colors;
}

void paintNodeBox(QPainter &painter, const NodeData &node, const QColor &frame)
{
    const Canvas::Rect box = Canvas::nodeBox(node.cell);
    const QPoint at(box.left, box.top);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(QRect(at, QSize(NodeBoxSize - 1, NodeBoxSize - 1)));
    // The two-pixel frame from (2,2) to the far corner.
    painter.setPen(QPen(frame, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRect(at + QPoint(2, 2), at + QPoint(NodeBoxSize - 2, NodeBoxSize - 2)));
    painter.setPen(QPen(Qt::black, 1));
    const Canvas::Rect f = Canvas::IconFrame;
    painter.drawRect(QRect(at + QPoint(f.left, f.top), at + QPoint(f.right - 1, f.bottom - 1)));
    const int dpr = std::max(1, int(painter.device() ? painter.device()->devicePixelRatio() : 1));
    painter.drawImage(at + QPoint(Canvas::IconOrigin.x, Canvas::IconOrigin.y),
                      kindImage(node.kind, Canvas::IconSize, dpr));
    auto port = [&](const Canvas::Rect &r, const QColor &color) {
        painter.fillRect(QRect(at + QPoint(r.left, r.top), at + QPoint(r.right - 1, r.bottom - 1)),
                         color);
    };
    port(Canvas::OutPort, QColor(255, 0, 0));
    port(Canvas::InPort, QColor(0, 0, 90));
}

void paintCanvas(QPainter &painter, const CVocaraDoc &doc, const Canvas::LinkIndex &links,
                 const QRect &area, const CanvasMarks &marks, const CanvasColors &colors,
                 GridStyle grid)
{
    const Canvas::CellRange cells =
        Canvas::cellsIn({area.left(), area.top(), area.right(), area.bottom()});
    if (grid == GridStyle::Tiles) {
        // Tiles line up with the canvas's own cells wherever the area starts.
        const QPoint phase(((area.left() % CellSize) + CellSize) % CellSize,
                           ((area.top() % CellSize) + CellSize) % CellSize);
        painter.drawTiledPixmap(area, gridTile(), phase);
    } else {
        painter.fillRect(area, Qt::white);
        painter.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        for (int row = cells.firstRow; row <= cells.lastRow; ++row) {
            for (int column = cells.firstColumn; column <= cells.lastColumn; ++column)
                painter.drawRect(column * CellSize + 5, row * CellSize + 5, 40, 40);
        }
    }

    // Links: those near the area, then the selected one, then the simulator's path.
    for (const Canvas::LinkIndex::Link *link :
         links.linksNear({area.left(), area.top(), area.right(), area.bottom()}))
        paintLink(painter, link->from, link->to, colors.lineNotSelected);
    const NodeData *linkParent = doc.node(marks.selectedLink.parent);
    const NodeData *linkChild = doc.node(marks.selectedLink.child);
    if (linkParent && linkChild)
        paintLink(painter, linkParent->cell, linkChild->cell, colors.lineSelected);
    if (marks.showSimulatorPath) {
        for (size_t i = 1; i < marks.simulatorPath.size(); ++i) {
            const NodeData *from = doc.node(marks.simulatorPath[i - 1]);
            const NodeData *to = doc.node(marks.simulatorPath[i]);
            if (from && to && contains(from->children, to->id))
                paintLink(painter, from->cell, to->cell, colors.simulatorPath);
        }
    }

    // Node boxes, cell by cell.
    for (int row = cells.firstRow; row <= cells.lastRow; ++row) {
        for (int column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            const NodeId id = doc.nodeAt({row, column});
            const NodeData *node = doc.node(id);
            if (!node)
                continue;
            const bool onPath = marks.showSimulatorPath && contains(marks.simulatorPath, id);
            const bool selected = id == marks.selected || contains(marks.multiSelection, id);
            paintNodeBox(painter, *node,
                         onPath     ? colors.simulatorNode
                         : selected ? colors.nodeSelected
                                    : colors.nodeNotSelected);
        }
    }
}

} // namespace vocara
