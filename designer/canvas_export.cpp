#include "designer/canvas_export.h"

#include "designer/canvas_painter.h"
#include "designer/designer_text.h"
#include "designer/qt_text.h"
#include "document/vocara_doc.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace vocara {

namespace {

// Beyond this a PNG would take gigabytes; SVG and PDF have no such limit.
constexpr qint64 MaxImagePixels = qint64(16384) * 16384;

QSize extentOf(const CVocaraDoc &doc)
{
    const CanvasExtent extent = doc.canvasExtent();
    return QSize(extent.width, extent.height);
}

void paintWhole(QPainter &painter, const CVocaraDoc &doc, const QSize &size, GridStyle grid)
{
    Canvas::LinkIndex links;
    links.rebuild(doc);
    paintCanvas(painter, doc, links, QRect(QPoint(0, 0), size), CanvasMarks{}, CanvasColors{},
                grid);
}

} // namespace

QImage canvasImage(const CVocaraDoc &doc)
{
    const QSize size = extentOf(doc);
    if (qint64(size.width()) * size.height() > MaxImagePixels)
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintWhole(painter, doc, size, GridStyle::Tiles);
    return image;
}

bool exportCanvasImage(const CVocaraDoc &doc, const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = path + QStringLiteral(": ") + why;
        return false;
    };
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = extentOf(doc);
    // Written under a temporary name and renamed: an old picture is replaced whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(qt(doc.title().empty() ? Ui::Untitled : doc.title()));
        QPainter painter(&svg);
        paintWhole(painter, doc, size, GridStyle::Lines);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&file);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Unit(QPageSize::Point)));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(qt(doc.title().empty() ? Ui::Untitled : doc.title()));
        QPainter painter(&pdf);
        // 96 dots to the inch on a page measured in points.
        const double scale = pdf.width() / double(std::max(1, size.width()));
        painter.scale(scale, scale);
        paintWhole(painter, doc, size, GridStyle::Lines);
    } else if (suffix == QLatin1String("png")) {
        const QImage image = canvasImage(doc);
        if (image.isNull())
            return fail(QStringLiteral("the flow is too large for a PNG picture; "
                                       "export it as SVG or PDF"));
        if (!image.save(&file, "PNG"))
            return fail(QStringLiteral("the picture could not be written"));
    } else {
        file.cancelWriting();
        return fail(QStringLiteral("give the picture a .png, .svg or .pdf name"));
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace vocara
