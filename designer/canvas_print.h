#pragma once

#include "document/canvas_geometry.h"

#include <QRectF>

class QPainter;
class QPrinter;

namespace vocara {

class CVocaraDoc;

// The flow on paper: four times the screen's scale, a page at a time.
class CanvasPrint
{
public:
    // `reportedPage` is the printer's page in layout units when it reports one of the sizes
    // the layout knows; anything else prints on the default page.
    CanvasPrint(const CVocaraDoc &doc, Canvas::Point reportedPage);

    int pageCount() const { return m_grid.count(); }
    Canvas::Point pageSize() const { return m_page; }
    // Draws one page (0-based) scaled into `target` (device pixels).
    void paintPage(QPainter &painter, int page, const QRectF &target) const;
    // Every page onto the printer, a new sheet for each.
    void print(QPrinter &printer) const;

private:
    const CVocaraDoc &m_doc;
    Canvas::Point m_page;
    Canvas::Print::PageGrid m_grid;
};

} // namespace vocara
