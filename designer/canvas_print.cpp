#include "designer/canvas_print.h"

#include "designer/canvas_painter.h"
#include "designer/kind_icons.h"
#include "document/vocara_doc.h"

#include <QPainter>
#include <QPrinter>
#include <QSvgRenderer>

namespace vocara {

namespace {

QRect toQt(const Canvas::Rect &r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

CanvasPrint::CanvasPrint(const CVocaraDoc &doc, Canvas::Point reportedPage)
    : m_doc(doc)
    , m_page(Canvas::Print::pageSize(reportedPage.x, reportedPage.y))
{
    int rows = 0;
    int columns = 0;
    for (NodeId id : doc.nodesInGridOrder()) {
        rows = std::max(rows, doc.node(id)->cell.row);
        columns = std::max(columns, doc.node(id)->cell.column);
    }
    m_grid = Canvas::Print::pageGrid(rows, columns, m_page);
}

void CanvasPrint::paintPage(QPainter &painter, int page, const QRectF &target) const
{
    using namespace Canvas::Print;
    painter.save();
    const double scale = std::min(target.width() / m_page.x, target.height() / m_page.y);
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);

    // The faint grid and the page frame, in the page's own units.
    painter.setPen(QPen(QColor(200, 200, 200), 0, Qt::DotLine));
    for (int y = Origin; y + 190 <= m_page.y; y += CellUnits) {
        for (int x = Origin; x + 190 <= m_page.x; x += CellUnits)
            painter.drawRect(x + 5, y + 5, 190, 190);
    }
    painter.setPen(QPen(Qt::black, 4));
    painter.drawRect(QRect(QPoint(25, 20), QPoint(m_page.x - 25, m_page.y - 20)));

    // The flow stays inside the page frame; what runs on goes on the next page.
    painter.setClipRect(QRect(QPoint(25, 20), QPoint(m_page.x - 25, m_page.y - 20)));
    const Canvas::Rect area = pageArea(m_grid, page, m_page);
    painter.translate(-area.left, -area.top);
    for (NodeId id : m_doc.nodesInGridOrder()) {
        const NodeData *parent = m_doc.node(id);
        for (NodeId childId : parent->children) {
            const NodeData *child = m_doc.node(childId);
            if (!child)
                continue;
            const Canvas::LinkRoute route = linkRoute(parent->cell, child->cell);
            if (!route.bounds.intersects(area))
                continue;
            paintRoute(painter, route, Qt::black, Scale);
        }
    }
    for (NodeId id : m_doc.nodesInGridOrder()) {
        const NodeData *node = m_doc.node(id);
        if (!cellSquare(node->cell).intersects(area))
            continue;
        painter.setPen(QPen(Qt::black, Scale));
        painter.drawRect(toQt(nodeFrame(node->cell)));
        QSvgRenderer(kindIconPath(node->kind)).render(&painter, QRectF(toQt(icon(node->cell))));
        painter.fillRect(toQt(outPort(node->cell)), QColor(255, 0, 0));
        painter.fillRect(toQt(inPort(node->cell)), QColor(0, 0, 90));
    }
    painter.restore();
}

void CanvasPrint::print(QPrinter &printer) const
{
    QPainter painter(&printer);
    const int first = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount()) : pageCount();
    for (int page = first; page < last; ++page) {
        if (page > first)
            printer.newPage();
        paintPage(painter, page, printer.pageRect(QPrinter::DevicePixel));
    }
}

} // namespace vocara
