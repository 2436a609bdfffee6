#include "document/canvas_geometry.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <gtest/gtest.h>

#include <set>

using namespace vocara;
using namespace vocara::Canvas;

namespace {

using Arrows = std::vector<Triangle>;

} // namespace

TEST(CanvasGeometry, BoxesBordersAndPorts)
{
    EXPECT_EQ(nodeBox({0, 0}), (Rect{5, 5, 43, 43}));
    EXPECT_EQ(nodeBox({2, 3}), (Rect{155, 105, 193, 143})); // row 2 is y, column 3 is x
    struct Case
    {
        Point p;
        bool onBox;
        bool onPort;
        Cell cell;
    };
    const Case cases[] = {
        {{4, 20}, false, false, {0, 0}},  // on the border: x mod 50 = 4
        {{5, 20}, true, false, {0, 0}},   // first pixel inside
        {{45, 45}, true, false, {0, 0}},  // last pixel inside
        {{46, 20}, false, false, {0, 0}}, // border again
        {{50, 50}, false, false, {1, 1}}, // a cell's corner
        {{20, 36}, true, false, {0, 0}},  // left of the out-port's zone
        {{21, 36}, true, true, {0, 0}},   // the out-port grown by a pixel
        {{27, 44}, true, true, {0, 0}},   // its far corner
        {{28, 44}, true, false, {0, 0}},  {{24, 37}, true, true, {0, 0}},
        {{124, 186}, true, true, {3, 2}}, // the same spot three rows and two columns on
        {{-3, 20}, false, false, {0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(onNodeBox(c.p), c.onBox);
        EXPECT_EQ(onOutPort(c.p), c.onPort);
        EXPECT_EQ(cellAt(c.p), c.cell);
    }
}

TEST(CanvasGeometry, RoutesOfEveryShape)
{
    // Straight below: the two stubs meet, nothing more.
    LinkRoute r = linkRoute({0, 0}, {1, 0});
    EXPECT_EQ(r.segments, (std::vector<Segment>{{{24, 40}, {24, 49}}, {{24, 57}, {24, 49}}}));
    EXPECT_EQ(r.arrows,
              (Arrows{{Point{22, 45}, {26, 45}, {24, 47}}, {Point{22, 51}, {26, 51}, {24, 53}}}));
    EXPECT_EQ(r.hitAreas, (std::vector<Rect>{{18, 37, 30, 49}, {18, 49, 30, 60}}));

    // Far to the right and down: jog, leg down the gutter, leg across to the child.
    r = linkRoute({0, 0}, {2, 2});
    ASSERT_EQ(r.segments.size(), 5u);
    EXPECT_EQ(r.segments[2], (Segment{{24, 49}, {50, 49}}));
    EXPECT_EQ(r.segments[3], (Segment{{49, 49}, {49, 99}}));
    EXPECT_EQ(r.segments[4], (Segment{{49, 99}, {124, 99}}));
    EXPECT_EQ(Arrows(r.arrows.begin() + 2, r.arrows.end()),
              (Arrows{{Point{36, 47}, {36, 51}, {38, 49}},        // on the jog
                      {Point{47, 65}, {51, 65}, {49, 67}},        // 16 down the leg
                      {Point{114, 97}, {114, 101}, {116, 99}}})); // 8 before the child
    EXPECT_EQ(std::vector<Rect>(r.hitAreas.begin() + 2, r.hitAreas.end()),
              (std::vector<Rect>{{24, 45, 50, 53}, {49, 95, 124, 103}, {47, 49, 51, 99}}));
    EXPECT_EQ(r.bounds, (Rect{18, 37, 130, 110}));

    // To the left, one row down: the gutter is left of the parent, arrows point left.
    r = linkRoute({0, 2}, {1, 0});
    EXPECT_EQ(r.segments[2], (Segment{{124, 49}, {98, 49}}));
    EXPECT_EQ(r.segments[4], (Segment{{99, 49}, {24, 49}}));
    EXPECT_EQ(
        Arrows(r.arrows.begin() + 2, r.arrows.end()),
        (Arrows{{Point{112, 47}, {112, 51}, {110, 49}}, {Point{34, 47}, {34, 51}, {32, 49}}}));

    // Same column two rows down: into the gutter and back, one arrow down the leg.
    r = linkRoute({0, 1}, {2, 1});
    EXPECT_EQ(r.segments[3], (Segment{{99, 49}, {99, 99}}));
    EXPECT_EQ(r.arrows.size(), 4u);

    // A child above its parent: the leg runs up and its arrows point up.
    r = linkRoute({3, 1}, {1, 2});
    EXPECT_EQ(r.segments[3], (Segment{{99, 199}, {99, 49}}));
    EXPECT_EQ(r.arrows[3], (Triangle{Point{97, 183}, {101, 183}, {99, 181}}));
    EXPECT_EQ(r.arrows[4], (Triangle{Point{97, 133}, {101, 133}, {99, 131}}));
    EXPECT_EQ(r.hitAreas.back(), (Rect{97, 49, 101, 199}));
}

TEST(CanvasGeometry, LinksAreHitInNodeOrderThenChildOrder)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    const NodeId a = doc.createNode({1, 0}, Kind::PlayWave);
    const NodeId b = doc.createNode({2, 0}, Kind::Hang);
    const NodeId c = doc.createNode({3, 2}, Kind::Hang);
    ASSERT_TRUE(doc.linkUnchecked(doc.startNode(), a));
    ASSERT_TRUE(doc.linkUnchecked(a, b));
    ASSERT_TRUE(doc.linkUnchecked(a, c));

    EXPECT_EQ(linkAt(doc, {24, 45}), (LinkHit{doc.startNode(), a})); // the start's stub
    EXPECT_EQ(linkAt(doc, {24, 96}), (LinkHit{a, b}));               // a's stub: b comes first
    EXPECT_EQ(linkAt(doc, {49, 120}), (LinkHit{a, c}));              // the gutter leg to c
    EXPECT_EQ(linkAt(doc, {100, 149}), (LinkHit{a, c}));             // the leg across to c
    EXPECT_EQ(linkAt(doc, {200, 10}), LinkHit{});
    EXPECT_EQ(linkAt(doc, {30, 20}), LinkHit{});
}

TEST(CanvasGeometry, VisibleCellsAndThePrintLayout)
{
    const CellRange range = cellsIn({120, 40, 1919 + 120, 1079 + 40});
    EXPECT_EQ(range.firstColumn, 2);
    EXPECT_EQ(range.lastColumn, 40);
    EXPECT_EQ(range.firstRow, 0);
    EXPECT_EQ(range.lastRow, 22);

    EXPECT_EQ(Print::pageSize(4772, 6824), (Point{4772, 6824}));
    EXPECT_EQ(Print::pageSize(6824, 4772), (Point{6824, 4772}));
    EXPECT_EQ(Print::pageSize(4960, 7016), (Point{4750, 6000}));
    // (column x 200 + 50) div 6824 + 1 across, (row x 200 + 51) div 4772 + 1 down.
    EXPECT_EQ(Print::pageGrid(0, 0).count(), 1);
    EXPECT_EQ(Print::pageGrid(0, 33).count(), 1);
    EXPECT_EQ(Print::pageGrid(0, 34).count(), 2);
    EXPECT_EQ(Print::pageGrid(23, 0).count(), 1);
    EXPECT_EQ(Print::pageGrid(24, 0).count(), 2);
    EXPECT_EQ(Print::pageGrid(48, 0).count(), 3);
    // Wide and deep: every page of the grid, none of the nodes left off.
    EXPECT_EQ(Print::pageGrid(48, 34).count(), 6);
    // On the default page the same rule with its own size.
    EXPECT_EQ(Print::pageGrid(0, 23, {4750, 6000}).across, 1);
    EXPECT_EQ(Print::pageGrid(0, 24, {4750, 6000}).across, 2);
    EXPECT_EQ(Print::pageGrid(29, 0, {4750, 6000}).down, 1);
    EXPECT_EQ(Print::pageGrid(30, 0, {4750, 6000}).down, 2);
    EXPECT_EQ(Print::pageArea(Print::pageGrid(48, 34), 3, {6824, 4772}),
              (Rect{6824, 4772, 13648, 9544}));

    EXPECT_EQ(Print::nodeFrame({0, 0}), (Rect{70, 70, 230, 230}));
    EXPECT_EQ(Print::icon({1, 0}), (Rect{98, 298, 198, 398}));
    EXPECT_EQ(Print::outPort({0, 1}), (Rect{342, 225, 358, 235}));
    EXPECT_EQ(Print::inPort({0, 1}), (Rect{342, 65, 358, 75}));
    const LinkRoute printed = Print::linkRoute({0, 0}, {2, 2});
    // Arrowheads every 200 units down the gutter.
    EXPECT_EQ(printed.arrows[3][0].y - printed.segments[3].from.y, 64);
}

TEST(CanvasGeometry, TheLinkIndexFindsEveryLinkAViewCanShow)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    // Short links, long ones down the page and far across, and links that run back up.
    std::vector<NodeId> nodes{doc.startNode()};
    for (int i = 1; i < 120; ++i)
        nodes.push_back(doc.createNode({(i * 7) % 90 + 1, (i * 13) % 70}, Kind::Wait));
    for (size_t i = 1; i < nodes.size(); ++i)
        doc.linkUnchecked(nodes[(i * 31) % i], nodes[i]);
    LinkIndex index;
    index.rebuild(doc);
    size_t links = 0;
    for (NodeId id : doc.nodesInGridOrder())
        links += doc.node(id)->children.size();
    EXPECT_EQ(index.size(), links);
    for (int top = -100; top < 4600; top += 370) {
        for (int left = -100; left < 3600; left += 410) {
            const Rect view{left, top, left + 640, top + 480};
            std::set<std::pair<NodeId, NodeId>> near;
            for (const LinkIndex::Link *link : index.linksNear(view))
                near.insert({link->parent, link->child});
            // Whatever a link draws inside the view, the index hands it over.
            for (NodeId id : doc.nodesInGridOrder()) {
                for (NodeId child : doc.node(id)->children) {
                    const LinkRoute route = linkRoute(doc.node(id)->cell, doc.node(child)->cell);
                    if (route.bounds.intersects(view)) {
                        EXPECT_TRUE(near.count({id, child})) << left << "," << top;
                    }
                }
            }
        }
    }
}
