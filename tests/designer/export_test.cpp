// Pictures of the canvas, from the window and from the command line.
#include "designer/canvas_export.h"
#include "designer/canvas_print.h"
#include "document/autosave_timer.h"
#include "tests/designer/designer_fixture.h"

#include <QImage>
#include <QPainter>
#include <QProcess>

#include <cstdlib>

using namespace vocara;
using namespace vocara::test;

namespace {

class Export : public DesignerFixture
{
protected:
    Export()
    {
        makeFrame();
        openFlow(MenuFlow);
    }
};

QString path(const TempFolder &temp, const std::string &name)
{
    return QString::fromStdString((temp / name).string());
}

} // namespace

TEST_F(Export, ThePngIsTheWholeCanvasAsTheScreenDrawsIt)
{
    ASSERT_TRUE(frame->exportImage(path(temp, "flow.png")));
    const QImage image = QImage(path(temp, "flow.png")).convertToFormat(QImage::Format_RGB32);
    const CanvasExtent extent = doc().canvasExtent();
    EXPECT_EQ(image.size(), QSize(extent.width, extent.height));
    // The screen at (0, 0) with nothing selected shows the same pixels.
    view().clearSelection();
    view().horizontalScrollBar()->setValue(0);
    view().verticalScrollBar()->setValue(0);
    const QImage screen = canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The viewport's last pixel row is left out: Qt starts a dotted line that runs off the
    // device at another phase.
    const QRect shared = QRect(QPoint(0, 0), screen.size() - QSize(0, 1)).intersected(image.rect());
    EXPECT_EQ(image.copy(shared), screen.copy(shared));
    // The start node's out-port is pure red: no antialiasing.
    EXPECT_EQ(image.pixelColor(5 + 19, 5 + 35), QColor(255, 0, 0));

    for (const char *name : {"flow.svg", "flow.pdf"}) {
        QString error;
        EXPECT_TRUE(frame->exportImage(path(temp, name), &error)) << error.toStdString();
        EXPECT_GT(std::filesystem::file_size(temp / name), 100u);
    }
    QString error;
    EXPECT_FALSE(frame->exportImage(path(temp, "flow.bmp"), &error));
    EXPECT_FALSE(std::filesystem::exists(temp / "flow.bmp"));
}

TEST_F(Export, TheCommandLineDrawsWithoutAWindow)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VOCARA_USER_DIR", path(temp, "user"));
    environment.insert("VOCARA_REGISTRY_DIR", path(temp, "registry"));
    program.setProcessEnvironment(environment);
    program.start(VOCARA_PROGRAM,
                  {"--export-image", path(temp, "cli.png"), path(temp, "menu.qfl")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(path(temp, "cli.png")).convertToFormat(QImage::Format_RGB32),
              canvasImage(doc()));

    writeText(temp / "broken.qfl", "not a flow");
    program.start(VOCARA_PROGRAM,
                  {"--export-image", path(temp, "no.png"), path(temp, "broken.qfl")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().trimmed().endsWith("Invalid QEN IVR File"));
    EXPECT_FALSE(std::filesystem::exists(temp / "no.png"));

    // The version and the help answer without any display.
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("DISPLAY", "");
    environment.remove("WAYLAND_DISPLAY");
    program.setProcessEnvironment(environment);
    program.start(VOCARA_PROGRAM, {"--version"});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(),
              "Vocara " + std::string(vocara::programVersion()) + "\n");
}

TEST_F(Export, PrintedPagesHoldEveryNodeAtFourTimesTheScale)
{
    const CanvasPrint layout(doc(), {});
    EXPECT_EQ(layout.pageSize(), (Canvas::Point{4750, 6000}));
    // Row 30 is 6,051 units down: two pages, one above the other.
    ASSERT_EQ(layout.pageCount(), 2);
    QImage page(950, 1200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        layout.paintPage(painter, 0, QRectF(0, 0, 950, 1200));
    }
    // The start node's out-port: 92..108 across and 175..185 down in its cell at (50, 50).
    // At a fifth of the scale the port is blended with its surroundings: red, not pure red.
    auto reddish = [](QColor c) {
        return c.red() > 200 && c.green() < 160 && c.blue() < 160;
    };
    EXPECT_TRUE(reddish(page.pixelColor(30, 46)));
    if (const char *keep = std::getenv("VOCARA_KEEP_PRINT_PAGE"))
        page.save(QString::fromLocal8Bit(keep));
    QImage second(950, 1200, QImage::Format_RGB32);
    second.fill(Qt::white);
    {
        QPainter painter(&second);
        layout.paintPage(painter, 1, QRectF(0, 0, 950, 1200));
    }
    // The last node, at row 30, lands near the top of the second page.
    EXPECT_TRUE(reddish(second.pixelColor(30, 46)));
    EXPECT_FALSE(reddish(second.pixelColor(30, 86)));
    EXPECT_EQ(CanvasPrint(doc(), {6824, 4772}).pageCount(), 2);
}
