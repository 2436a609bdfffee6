#pragma once

#include "document/canvas_geometry.h"
#include "document/node_data.h"

#include <QColor>
#include <QRect>

#include <set>
#include <vector>

class QPainter;

namespace vocara {

class CVocaraDoc;
class IvrSettings;

// The canvas colours, read from the designer settings each time a canvas is painted.
struct CanvasColors
{
    QColor nodeSelected{0xfa, 0x5a, 0x00};
    QColor nodeNotSelected{Qt::white};
    QColor lineSelected{Qt::red};
    QColor lineNotSelected{Qt::black};
    QColor simulatorNode{Qt::blue};
    QColor simulatorPath{Qt::green};

    static CanvasColors fromSettings(const IvrSettings *settings);
};

// A stored colour value (0x00BBGGRR) as Qt's colour.
QColor storedColor(long long value);
// A colour as the settings store it: 0x00BBGGRR.
long long storedValue(const QColor &color);

// What the view shows beside the flow itself.
struct CanvasMarks
{
    NodeId selected = NoNode;
    std::vector<NodeId> multiSelection;
    Canvas::LinkHit selectedLink;
    std::vector<NodeId> simulatorPath;
    bool showSimulatorPath = false;
};

// How the grid is drawn: tiles of a ready-made cell for screens and pictures, lines for
// drawings that scale (SVG, PDF).
enum class GridStyle { Tiles, Lines };

// Paints the part `area` of the canvas (in canvas pixels, before scrolling) as the screen
// shows it: the grid, the links, the node boxes. Work grows with the area, not the flow: node
// boxes are looked up cell by cell and links come from the index by where they run.
void paintCanvas(QPainter &painter, const CVocaraDoc &doc, const Canvas::LinkIndex &links,
                 const QRect &area, const CanvasMarks &marks, const CanvasColors &colors,
                 GridStyle grid = GridStyle::Tiles);

// A link's segments and arrowheads in one colour, `width` pixels (or units) wide.
void paintRoute(QPainter &painter, const Canvas::LinkRoute &route, const QColor &color,
                int width = 1);

// One node box at its cell.
void paintNodeBox(QPainter &painter, const NodeData &node, const QColor &frame);

} // namespace vocara
