// Renders an SVG icon into PNG files of the given sizes, for the desktop's icon theme:
// render_icon ICON.svg THEME CONTEXT NAME SIZE... writes THEME/SIZExSIZE/CONTEXT/NAME.png
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 6) {
        std::fprintf(stderr, "usage: render_icon ICON.svg THEME CONTEXT NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_icon: %s is no SVG drawing\n", argv[1]);
        return 1;
    }
    for (int i = 5; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "render_icon: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString folder = QString::fromLocal8Bit(argv[2]) +
                               QStringLiteral("/%1x%1/").arg(size) +
                               QString::fromLocal8Bit(argv[3]);
        const QString file =
            folder + QLatin1Char('/') + QString::fromLocal8Bit(argv[4]) + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.save(file)) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
