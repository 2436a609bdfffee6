#include "document/canvas_geometry.h"

#include "document/vocara_doc.h"

#include <algorithm>
#include <cstdlib>

namespace vocara::Canvas {

namespace {

Rect offset(const Rect &r, Point by)
{
    return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

Rect unite(const Rect &a, const Rect &b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The route between a parent's out-port (centre px, bottom pb) and a child's in-port (centre
// cx, top ct) at `s` times the screen's size. The ports' rectangles give the stubs' hit areas.
LinkRoute route(Cell parent, Cell child, int px, int pb, int cx, int ct, const Rect &outPort,
                const Rect &inPort, int s)
{
    LinkRoute r;
    const int d = child.column >= parent.column ? 1 : -1;
    const int stub = 6 * s;
    // The two stubs with their arrowheads pointing down into the child.
    r.segments.push_back({{px, outPort.top + (outPort.bottom - outPort.top) / 2}, {px, pb + stub}});
    r.arrows.push_back({Point{px - 2 * s, pb + 2 * s}, {px + 2 * s, pb + 2 * s}, {px, pb + 4 * s}});
    r.segments.push_back({{cx, inPort.top + (inPort.bottom - inPort.top) / 2}, {cx, ct - stub}});
    r.arrows.push_back({Point{cx - 2 * s, ct - 4 * s}, {cx + 2 * s, ct - 4 * s}, {cx, ct - 2 * s}});
    const int widen = 4 * s;
    r.hitAreas.push_back(
        Rect{outPort.left - widen, outPort.top, outPort.right + widen, outPort.bottom + stub}
            .normalized());
    r.hitAreas.push_back(
        Rect{inPort.left - widen, inPort.top - stub, inPort.right + widen, inPort.bottom}
            .normalized());

    const bool straightBelow = child.column == parent.column && child.row == parent.row + 1;
    if (!straightBelow) {
        const int jogY = pb + stub;
        const int legY = ct - stub;
        const int gutter = px + 25 * s * d;
        const int step = 50 * s;
        r.segments.push_back({{px, jogY}, {px + 26 * s * d, jogY}});
        r.arrows.push_back({Point{px + 12 * s * d, jogY - 2 * s},
                            {px + 12 * s * d, jogY + 2 * s},
                            {px + 14 * s * d, jogY}});
        r.segments.push_back({{gutter, jogY}, {gutter, legY}});
        const int down = legY >= jogY ? 1 : -1;
        const int alongLeg = std::abs(pb - ct) / step;
        for (int i = 0; i < alongLeg; ++i) {
            const int y = jogY + down * (16 * s + i * step);
            r.arrows.push_back(
                {Point{gutter - 2 * s, y}, {gutter + 2 * s, y}, {gutter, y + down * 2 * s}});
        }
        r.segments.push_back({{gutter, legY}, {cx, legY}});
        const int toChild = cx >= gutter ? 1 : -1;
        const int alongChildLeg =
            std::abs((child.column - parent.column) * step + 25 * s * d) / step - 1;
        for (int i = 0; i < alongChildLeg; ++i) {
            const int x = cx - toChild * (8 * s + i * step);
            r.arrows.push_back({Point{x - toChild * 2 * s, legY - 2 * s},
                                {x - toChild * 2 * s, legY + 2 * s},
                                {x, legY}});
        }
        const int band = 4 * s;
        r.hitAreas.push_back(Rect{px, jogY - band, px + 26 * s * d, jogY + band}.normalized());
        r.hitAreas.push_back(Rect{cx, legY - band, gutter, legY + band}.normalized());
        r.hitAreas.push_back(Rect{gutter - 2 * s, jogY, gutter + 2 * s, legY}.normalized());
    }
    r.bounds = r.hitAreas.front();
    for (const Rect &area : r.hitAreas)
        r.bounds = unite(r.bounds, area);
    return r;
}

} // namespace

Rect Rect::normalized() const
{
    return {std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
}

Rect nodeBox(Cell cell)
{
    const int left = cell.column * CellSize + NodeBoxOffset;
    const int top = cell.row * CellSize + NodeBoxOffset;
    return {left, top, left + NodeBoxSize, top + NodeBoxSize};
}

Cell cellAt(Point p)
{
    return cellAtPixel(std::max(p.x, 0), std::max(p.y, 0));
}

bool onNodeBox(Point p)
{
    if (p.x < 0 || p.y < 0)
        return false;
    const int x = p.x % CellSize;
    const int y = p.y % CellSize;
    return x > 4 && x < 46 && y > 4 && y < 46;
}

bool onOutPort(Point p)
{
    if (!onNodeBox(p))
        return false;
    const Rect box = nodeBox(cellAt(p));
    const int x = p.x - box.left;
    const int y = p.y - box.top;
    return x >= OutPort.left - 1 && x <= OutPort.right + 1 && y >= OutPort.top - 1 &&
           y <= OutPort.bottom + 1;
}

LinkRoute linkRoute(Cell parent, Cell child)
{
    const Rect from = nodeBox(parent);
    const Rect to = nodeBox(child);
    const Rect out = offset(OutPort, {from.left, from.top});
    const Rect in =
        offset(Rect{InPort.left, InPort.top, InPort.right, InPort.bottom - 1}, {to.left, to.top});
    return route(parent, child, (out.left + out.right) / 2, out.bottom, (in.left + in.right) / 2,
                 in.top, out, in, 1);
}

LinkHit linkAt(const CVocaraDoc &doc, Point p)
{
    for (NodeId id : doc.nodesInGridOrder()) {
        const NodeData *parent = doc.node(id);
        for (NodeId childId : parent->children) {
            const NodeData *child = doc.node(childId);
            if (!child)
                continue;
            const LinkRoute r = linkRoute(parent->cell, child->cell);
            if (!r.bounds.contains(p))
                continue;
            for (const Rect &area : r.hitAreas) {
                if (area.contains(p))
                    return {id, childId};
            }
        }
    }
    return {};
}

namespace {

std::uint64_t bucketKey(int row, int column)
{
    return (std::uint64_t(std::uint32_t(row)) << 32) | std::uint32_t(column);
}

// The rectangle of cells a link's route stays within (a cell's margin all round).
Rect linkReach(Cell from, Cell to)
{
    return {std::min(from.column, to.column) * CellSize - CellSize,
            std::min(from.row, to.row) * CellSize - CellSize,
            (std::max(from.column, to.column) + 2) * CellSize,
            (std::max(from.row, to.row) + 2) * CellSize};
}

int bucketOf(int pixel, int bucketCells)
{
    const int size = bucketCells * CellSize;
    return pixel >= 0 ? pixel / size : -((-pixel + size - 1) / size);
}

} // namespace

void LinkIndex::rebuild(const CVocaraDoc &doc)
{
    m_links.clear();
    m_buckets.clear();
    for (NodeId id : doc.nodesInGridOrder()) {
        const NodeData *parent = doc.node(id);
        for (NodeId childId : parent->children) {
            if (const NodeData *child = doc.node(childId))
                m_links.push_back({id, childId, parent->cell, child->cell});
        }
    }
    for (std::uint32_t i = 0; i < m_links.size(); ++i) {
        const Rect reach = linkReach(m_links[i].from, m_links[i].to);
        for (int row = bucketOf(reach.top, BucketCells); row <= bucketOf(reach.bottom, BucketCells);
             ++row) {
            for (int column = bucketOf(reach.left, BucketCells);
                 column <= bucketOf(reach.right, BucketCells); ++column)
                m_buckets[bucketKey(row, column)].push_back(i);
        }
    }
}

std::vector<const LinkIndex::Link *> LinkIndex::linksNear(const Rect &area) const
{
    const Rect a = area.normalized();
    std::vector<std::uint32_t> found;
    for (int row = bucketOf(a.top, BucketCells); row <= bucketOf(a.bottom, BucketCells); ++row) {
        for (int column = bucketOf(a.left, BucketCells); column <= bucketOf(a.right, BucketCells);
             ++column) {
            const auto it = m_buckets.find(bucketKey(row, column));
            if (it != m_buckets.end())
                found.insert(found.end(), it->second.begin(), it->second.end());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::vector<const Link *> links;
    links.reserve(found.size());
    for (std::uint32_t i : found) {
        if (linkReach(m_links[i].from, m_links[i].to).intersects(a))
            links.push_back(&m_links[i]);
    }
    return links;
}

CellRange cellsIn(const Rect &area)
{
    const Rect a = area.normalized();
    CellRange range;
    range.firstRow = std::clamp(a.top / CellSize, 0, MaxGridCoordinate);
    range.lastRow = std::clamp(a.bottom / CellSize, -1, MaxGridCoordinate);
    range.firstColumn = std::clamp(a.left / CellSize, 0, MaxGridCoordinate);
    range.lastColumn = std::clamp(a.right / CellSize, -1, MaxGridCoordinate);
    if (a.bottom < 0)
        range.lastRow = -1;
    if (a.right < 0)
        range.lastColumn = -1;
    return range;
}

NodeId firstParent(const CVocaraDoc &doc, NodeId id)
{
    const NodeData *node = doc.node(id);
    return node && !node->parents.empty() ? node->parents.front() : NoNode;
}

NodeId firstChild(const CVocaraDoc &doc, NodeId id)
{
    const NodeData *node = doc.node(id);
    return node && !node->children.empty() ? node->children.front() : NoNode;
}

NodeId tabTarget(const CVocaraDoc &doc, NodeId id)
{
    const NodeData *parent = doc.node(firstParent(doc, id));
    if (parent && parent->children.size() >= 2 && parent->children[1] != id)
        return parent->children[1];
    return firstChild(doc, id);
}

NodeId siblingTarget(const CVocaraDoc &doc, NodeId id, int step)
{
    const NodeData *parent = doc.node(firstParent(doc, id));
    if (!parent)
        return NoNode;
    const auto it = std::find(parent->children.begin(), parent->children.end(), id);
    if (it == parent->children.end())
        return NoNode;
    const long at = static_cast<long>(it - parent->children.begin()) + step;
    if (at < 0 || at >= static_cast<long>(parent->children.size()))
        return NoNode;
    return parent->children[static_cast<size_t>(at)];
}

std::string tooltipText(const CVocaraDoc &doc, NodeId id)
{
    const NodeData *node = doc.node(id);
    const KindDescriptor *kind = node ? doc.catalogue().descriptor(node->kind) : nullptr;
    if (!kind)
        return {};
    for (size_t i = 0; i < kind->properties.size(); ++i) {
        if (kind->properties[i].label != GridText::TooltipLabel)
            continue;
        if (i >= node->values.size() || node->values[i].empty())
            return {};
        return "       " + node->values[i];
    }
    return {};
}

namespace Print {

Point pageSize(int reportedWidth, int reportedHeight)
{
    if ((reportedWidth == 4772 && reportedHeight == 6824) ||
        (reportedWidth == 6824 && reportedHeight == 4772))
        return {reportedWidth, reportedHeight};
    return {4750, 6000};
}

PageGrid pageGrid(int largestRow, int largestColumn, Point page)
{
    PageGrid grid;
    grid.across = (std::max(largestColumn, 0) * CellUnits + 50) / std::max(page.x, 1) + 1;
    grid.down = (std::max(largestRow, 0) * CellUnits + 51) / std::max(page.y, 1) + 1;
    return grid;
}

Rect pageArea(const PageGrid &grid, int page, Point size)
{
    const int across = std::max(grid.across, 1);
    const int left = (page % across) * size.x;
    const int top = (page / across) * size.y;
    return {left, top, left + size.x, top + size.y};
}

Rect cellSquare(Cell cell)
{
    const int left = Origin + cell.column * CellUnits;
    const int top = Origin + cell.row * CellUnits;
    return {left, top, left + CellUnits, top + CellUnits};
}

Rect nodeFrame(Cell cell)
{
    const Rect c = cellSquare(cell);
    return {c.left + 20, c.top + 20, c.right - 20, c.bottom - 20};
}

Rect icon(Cell cell)
{
    const Rect c = cellSquare(cell);
    return {c.left + 48, c.top + 48, c.left + 148, c.top + 148};
}

Rect outPort(Cell cell)
{
    const Rect c = cellSquare(cell);
    return {c.left + 92, c.top + 175, c.left + 108, c.top + 185};
}

Rect inPort(Cell cell)
{
    const Rect c = cellSquare(cell);
    return {c.left + 92, c.top + 15, c.left + 108, c.top + 25};
}

LinkRoute linkRoute(Cell parent, Cell child)
{
    const Rect out = outPort(parent);
    const Rect in = inPort(child);
    return route(parent, child, (out.left + out.right) / 2, out.bottom, (in.left + in.right) / 2,
                 in.top, out, in, Scale);
}

} // namespace Print

} // namespace vocara::Canvas
