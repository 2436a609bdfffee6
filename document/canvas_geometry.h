#pragma once

#include "document/node_data.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vocara {

class CVocaraDoc;

// Where things sit on the flow canvas, in the canvas's own pixels (before scrolling). The
// canvas only paints and hit-tests what these functions compute.
namespace Canvas {

struct Point
{
    int x = 0;
    int y = 0;
    auto operator<=>(const Point &) const = default;
};

// Left, top, right, bottom; right and bottom are the far edges.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    auto operator<=>(const Rect &) const = default;
    Rect normalized() const;
    bool contains(Point p) const
    {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
    bool intersects(const Rect &other) const
    {
        return left <= other.right && other.left <= right && top <= other.bottom &&
               other.top <= bottom;
    }
};

struct Segment
{
    Point from;
    Point to;
    auto operator<=>(const Segment &) const = default;
};

using Triangle = std::array<Point, 3>;

// The node box of a cell: 38 x 38, 5 pixels into the cell.
Rect nodeBox(Cell cell);
// Inside a node box.
inline constexpr Rect IconFrame{5, 5, 33, 33};
inline constexpr Point IconOrigin{7, 7};
inline constexpr int IconSize = 24;
inline constexpr Rect OutPort{17, 32, 21, 38};
inline constexpr Rect InPort{17, 0, 21, 6};

// The cell of a canvas pixel; and whether the pixel is on the cell's node box (both offsets
// strictly between 4 and 46), so that a click on a border selects nothing.
Cell cellAt(Point p);
bool onNodeBox(Point p);
// The out-port grown by a pixel on every side: a press there starts a link.
bool onOutPort(Point p);

// A link as drawn: its segments, its arrowheads, and the rectangles that hit it.
struct LinkRoute
{
    std::vector<Segment> segments;
    std::vector<Triangle> arrows;
    std::vector<Rect> hitAreas; // normalised
    Rect bounds;                // everything drawn, for culling
};

// The right-angle route from a parent's out-port to a child's in-port: two stubs, and unless
// the child sits right below, a jog into the gutter between columns, a leg along it and a leg
// across to the child, with arrowheads every cell.
LinkRoute linkRoute(Cell parent, Cell child);

// The first link (parents in grid order, then children in order) whose hit areas contain the
// point; {NoNode, NoNode} when none does.
struct LinkHit
{
    NodeId parent = NoNode;
    NodeId child = NoNode;
    auto operator<=>(const LinkHit &) const = default;
};
LinkHit linkAt(const CVocaraDoc &doc, Point p);

// Every link of a flow filed by the cells its route can reach, so that painting a view looks
// only at the links near it, however large the flow.
class LinkIndex
{
public:
    struct Link
    {
        NodeId parent = NoNode;
        NodeId child = NoNode;
        Cell from;
        Cell to;
    };

    void rebuild(const CVocaraDoc &doc);
    // The links whose routes may cross `area` (canvas pixels), in node order, then child order.
    std::vector<const Link *> linksNear(const Rect &area) const;
    size_t size() const { return m_links.size(); }

private:
    static constexpr int BucketCells = 8;
    std::vector<Link> m_links;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> m_buckets;
};

// The cells a rectangle of the canvas touches, clamped to the grid (for painting only what
// is visible).
struct CellRange
{
    int firstRow = 0;
    int lastRow = -1;
    int firstColumn = 0;
    int lastColumn = -1;
};
CellRange cellsIn(const Rect &area);

// Keyboard navigation from the selected node; NoNode when there is nowhere to go.
// Tab: the second child of the first parent when that parent has two or more children and
// the node is not that child; otherwise the node's first child.
NodeId tabTarget(const CVocaraDoc &doc, NodeId id);
// Left and Right: the previous or next child of the node's first parent.
NodeId siblingTarget(const CVocaraDoc &doc, NodeId id, int step);
// Up and Down: the first parent, the first child.
NodeId firstParent(const CVocaraDoc &doc, NodeId id);
NodeId firstChild(const CVocaraDoc &doc, NodeId id);

// The node's tooltip: seven spaces and the value of its "Write ToolTip" property; empty when
// its kind has no such property or the value is empty.
std::string tooltipText(const CVocaraDoc &doc, NodeId id);

// Printing: four times the screen's scale, 200 units a cell from (50, 50).
namespace Print {
inline constexpr int Scale = 4;
inline constexpr int CellUnits = 200;
inline constexpr int Origin = 50;
// The printable page, in units: 4750 x 6000, or what the printer reports when it is one of
// the two sizes the layout knows.
Point pageSize(int reportedWidth, int reportedHeight);
// How many pages the flow takes: its farthest node across and down, a page of `page` units
// holding (across) or (down) that many units of the flow. On the 6824 x 4772 landscape page
// a flow that is only wide or only deep takes the larger of the two counts; one that is both
// takes every page of the grid, so that no node is left off the printout.
struct PageGrid
{
    int across = 1;
    int down = 1;
    int count() const { return across * down; }
};
PageGrid pageGrid(int largestRow, int largestColumn, Point page = {6824, 4772});
// The flow's area a page shows, in units.
Rect pageArea(const PageGrid &grid, int page, Point size);
// A cell's square and what is drawn in it, relative to the page's origin.
Rect cellSquare(Cell cell);
Rect nodeFrame(Cell cell);
Rect icon(Cell cell);
Rect outPort(Cell cell);
Rect inPort(Cell cell);
// The route of a link at print scale.
LinkRoute linkRoute(Cell parent, Cell child);
} // namespace Print

} // namespace Canvas
} // namespace vocara
