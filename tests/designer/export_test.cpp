// Pictures of the canvas, from the window and from the command line.
#include "designer/canvas_export.h"
#include "tests/designer/designer_fixture.h"

#include <QImage>
#include <QProcess>

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
}
