// Prints the user guide: its Markdown source, with the node reference made from the program's
// own catalogue and the pictures the build has just taken, into a PDF of A4 pages.
// Usage: make-guide SOURCE.md PICTURES-FOLDER OUT.pdf
#include "document/kind_catalogue.h"
#include "document/node_kind.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include <cstdio>
#include <cstdlib>

using namespace vocara;

namespace {

const QString ReferenceMark = QStringLiteral("@NODE_REFERENCE@");
// Pictures are at most this wide on the page, in the document's pixels.
constexpr double PictureWidth = 620;

QString text(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString branchesOf(NodeKind kind)
{
    switch (kind) {
    case Kind::Compare:
        return QStringLiteral("True, False");
    case Kind::MultiDTMF:
        return QStringLiteral("Success, TimeOutRead");
    case Kind::UserInput:
        return QStringLiteral("one per allowed key (when chosen), EndKeys (flow files only), "
                              "TimeOut and Error with DTMF; Recognize with ASR");
    default:
        return hasBuiltInChildren(kind) ? QStringLiteral("Success, Fail") : QString();
    }
}

// One section per node kind: what it does, its properties, its branches.
QString nodeReference()
{
    const KindCatalogue &flow = KindCatalogue::forMode(CatalogueMode::Flow);
    const KindCatalogue &asterisk = KindCatalogue::forMode(CatalogueMode::Asterisk);
    QString out;
    for (NodeKind kind = 0; kind <= Kind::LastAction; ++kind) {
        const KindDescriptor *a = asterisk.descriptor(kind);
        const KindDescriptor *f = flow.descriptor(kind);
        const KindDescriptor *d = a ? a : f;
        if (!d)
            continue;
        out += QStringLiteral("### %1\n\n%2.\n\n").arg(text(d->displayName), text(d->description));
        out += QStringLiteral("| Property | What it holds |\n|---|---|\n");
        for (const PropertyDescriptor &p : d->properties) {
            const bool onlyAsterisk = f && flow.propertyIndex(kind, p.key) < 0;
            out +=
                QStringLiteral("| %1%2 | %3 |\n")
                    .arg(text(p.label), onlyAsterisk ? QStringLiteral(" (dialplans)") : QString(),
                         text(p.description).trimmed());
        }
        out += QLatin1Char('\n');
        if (const QString branches = branchesOf(kind); !branches.isEmpty())
            out += QStringLiteral("Branches made with the node: %1.\n\n").arg(branches);
    }
    return out;
}

// Every picture as wide as the page allows, never wider than it was taken.
void fitPictures(QTextDocument &document, const QString &pictures)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QImage image(QDir(pictures).filePath(format.name()));
            if (image.isNull()) {
                std::fprintf(stderr, "make-guide: no picture %s\n", qPrintable(format.name()));
                std::exit(1);
            }
            document.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            const double width = std::min(PictureWidth, double(image.width()));
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

// The document cut into A4 pages, each with its number at the foot.
bool printPages(QTextDocument &document, const QString &file)
{
    QPdfWriter writer(file);
    writer.setTitle(QStringLiteral("Vocara user guide"));
    writer.setCreator(QStringLiteral("Vocara"));
    // Device pixels as the document's own: 96 to the inch.
    writer.setResolution(96);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 14, 18, 12), QPageLayout::Millimeter));
    const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
    const double footer = 28;
    const QSizeF page(area.width(), area.height() - footer);
    document.setPageSize(page);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        document.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
        painter.restore();
        painter.setFont(document.defaultFont());
        painter.setPen(Qt::darkGray);
        painter.drawText(QRectF(0, page.height(), page.width(), footer),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(i + 1));
    }
    return painter.end();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: make-guide SOURCE.md PICTURES-FOLDER OUT.pdf\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make-guide: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString pictures = QString::fromLocal8Bit(argv[2]);
    QString markdown = QString::fromUtf8(source.readAll());
    markdown.replace(ReferenceMark, nodeReference());

    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(pictures + QLatin1Char('/')));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setMarkdown(markdown);
    fitPictures(document, pictures);

    // Written beside the target and renamed: a reader never sees half a guide.
    const QString out = QString::fromLocal8Bit(argv[3]);
    const QString part = out + QStringLiteral(".part");
    if (!printPages(document, part)) {
        std::fprintf(stderr, "make-guide: cannot write %s\n", qPrintable(part));
        return 1;
    }
    QFile::remove(out);
    if (!QFile::rename(part, out)) {
        std::fprintf(stderr, "make-guide: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
