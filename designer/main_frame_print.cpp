// Printing the flow from the main window.
#include "designer/canvas_print.h"
#include "designer/document_adapter.h"
#include "designer/main_frame.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace vocara {

namespace {

// The layout knows A4 both ways; every other paper prints on its default page.
Canvas::Point reportedPage(const QPrinter &printer)
{
    const QPageLayout layout = printer.pageLayout();
    if (layout.pageSize().id() != QPageSize::A4)
        return {};
    return layout.orientation() == QPageLayout::Landscape ? Canvas::Point{6824, 4772}
                                                          : Canvas::Point{4772, 6824};
}

} // namespace

QPrinter &CMainFrame::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CMainFrame::filePrint()
{
    const CanvasPrint layout(m_adapter.doc(), reportedPage(printer()));
    printer().setFromTo(1, layout.pageCount());
    QPrintDialog dialog(&printer(), this);
    dialog.setMinMax(1, layout.pageCount());
    if (dialog.exec() == QDialog::Accepted)
        CanvasPrint(m_adapter.doc(), reportedPage(printer())).print(printer());
}

void CMainFrame::filePrintPreview()
{
    QPrintPreviewDialog preview(&printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *target) {
        target->setFromTo(0, 0);
        CanvasPrint(m_adapter.doc(), reportedPage(*target)).print(*target);
    });
    preview.resize(900, 700);
    preview.exec();
}

void CMainFrame::filePrintSetup()
{
    QPageSetupDialog dialog(&printer(), this);
    dialog.exec();
}

} // namespace vocara
