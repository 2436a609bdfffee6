// The canvas with real mouse, key, wheel and drop events.
#include "designer/canvas_painter.h"
#include "designer/node_tooltip.h"
#include "tests/designer/designer_fixture.h"

#include <QHelpEvent>
#include <QMimeData>
#include <QUrl>

using namespace vocara;
using namespace vocara::test;

namespace {

class Canvas : public DesignerFixture
{
protected:
    Canvas()
    {
        makeFrame();
        openFlow(MenuFlow);
    }
    NodeId at(Cell cell) const { return doc().nodeAt(cell); }
};

} // namespace

TEST_F(Canvas, ClicksSelectNodesBordersSelectNothing)
{
    click(cellCentre({1, 0}));
    EXPECT_EQ(view().selectedNode(), at({1, 0}));
    // x mod 50 = 4: the border, which clears the selection.
    click(view().viewportPoint({4, 70}));
    EXPECT_EQ(view().selectedNode(), NoNode);
    click(view().viewportPoint({5, 70}));
    EXPECT_EQ(view().selectedNode(), at({1, 0}));
    click(view().viewportPoint({46, 70}));
    EXPECT_EQ(view().selectedNode(), NoNode);

    // Ctrl gathers a multi-selection; a plain click on empty canvas lets it go.
    click(cellCentre({1, 0}));
    click(cellCentre({2, 0}), Qt::ControlModifier);
    click(cellCentre({3, 0}), Qt::ControlModifier);
    EXPECT_EQ(view().multiSelection(), (std::vector<NodeId>{at({1, 0}), at({2, 0}), at({3, 0})}));
    click(cellCentre({5, 5}));
    EXPECT_TRUE(view().multiSelection().empty());

    // A right click on empty canvas clears the selection too.
    click(cellCentre({2, 0}));
    click(cellCentre({6, 6}), {}, Qt::RightButton);
    EXPECT_EQ(view().selectedNode(), NoNode);
}

TEST_F(Canvas, SweepingGathersTheNodesPassedOver)
{
    QTest::mousePress(canvas(), Qt::LeftButton, {}, view().viewportPoint({80, 160}));
    for (Cell cell : {Cell{1, 0}, Cell{2, 0}, Cell{2, 1}, Cell{3, 0}}) {
        QMouseEvent move(QEvent::MouseMove, cellCentre(cell),
                         canvas()->mapToGlobal(cellCentre(cell)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(canvas(), &move);
    }
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, cellCentre({3, 0}));
    EXPECT_EQ(view().multiSelection(), (std::vector<NodeId>{at({1, 0}), at({2, 0}), at({3, 0})}));
}

TEST_F(Canvas, LinksAreSelectedByTheirRoute)
{
    // Below the compare node both links leave by the same stub: the first child's wins.
    click(view().viewportPoint({24, 148}));
    EXPECT_EQ(view().selectedLink(), (vocara::Canvas::LinkHit{at({2, 0}), at({3, 0})}));
    // The leg across to the "False" branch two columns over.
    click(view().viewportPoint({100, 149}));
    EXPECT_EQ(view().selectedLink(), (vocara::Canvas::LinkHit{at({2, 0}), at({3, 2})}));
    click(cellCentre({1, 0}));
    EXPECT_EQ(view().selectedLink(), vocara::Canvas::LinkHit{});
}

TEST_F(Canvas, KeysWalkTheFlowAndScrollByPages)
{
    QScrollBar *v = view().verticalScrollBar();
    QScrollBar *h = view().horizontalScrollBar();
    // With nothing selected, Tab takes the flow's top node; keys walk on from there.
    view().setFocus();
    QTest::keyClick(&view(), Qt::Key_Tab);
    EXPECT_EQ(view().selectedNode(), doc().startNode());
    click(cellCentre({2, 0}));
    QTest::keyClick(&view(), Qt::Key_Down);
    EXPECT_EQ(view().selectedNode(), at({3, 0}));
    EXPECT_EQ(v->value(), v->pageStep());
    // Up selects the first parent and scrolls a page back up.
    QTest::keyClick(&view(), Qt::Key_Up);
    EXPECT_EQ(view().selectedNode(), at({2, 0}));
    EXPECT_EQ(v->value(), 0);
    // Tab from the first branch goes to its parent's second child; from there to its child.
    view().selectNode(at({3, 0}));
    QTest::keyClick(&view(), Qt::Key_Tab);
    EXPECT_EQ(view().selectedNode(), at({3, 2}));
    QTest::keyClick(&view(), Qt::Key_Left);
    EXPECT_EQ(view().selectedNode(), at({3, 0}));
    EXPECT_EQ(h->value(), 0);
    QTest::keyClick(&view(), Qt::Key_Right);
    EXPECT_EQ(view().selectedNode(), at({3, 2}));
    EXPECT_EQ(h->value(), std::min(h->pageStep(), h->maximum()));
    EXPECT_GT(h->value(), 0);
    // Esc lets go of everything and returns to the pointer.
    view().setTool(Kind::Wait);
    QTest::keyClick(&view(), Qt::Key_Escape);
    EXPECT_EQ(view().selectedNode(), NoNode);
    EXPECT_EQ(view().tool(), 50);
    EXPECT_TRUE(frame->action("Arrow")->isChecked());
}

TEST_F(Canvas, TheWheelScrollsPagesAndSidewaysWithTheRightButtonHeld)
{
    QScrollBar *v = view().verticalScrollBar();
    QScrollBar *h = view().horizontalScrollBar();
    auto wheel = [&](int delta, Qt::MouseButtons buttons) {
        QWheelEvent event(QPointF(100, 100), canvas()->mapToGlobal(QPointF(100, 100)), QPoint(),
                          QPoint(0, delta), buttons, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas(), &event);
    };
    wheel(-120, Qt::NoButton);
    EXPECT_EQ(v->value(), v->pageStep());
    wheel(120, Qt::NoButton);
    EXPECT_EQ(v->value(), 0);
    wheel(-120, Qt::RightButton);
    EXPECT_EQ(h->value(), std::min(h->pageStep(), h->maximum()));
    EXPECT_GT(h->value(), 0);
    EXPECT_EQ(v->value(), 0);
}

TEST_F(Canvas, TheTooltipWindowShowsWhileThePointerRestsOnANode)
{
    view().setTooltipDelay(0);
    NodeTooltip *window = view().tooltipWindow();
    // The pointer comes to rest on a node box: the timer shows the window.
    auto rest = [&](QPoint at) {
        QTest::mouseMove(canvas(), at);
        QCoreApplication::processEvents(); // the timer's zero wait
        return view().shownTooltip();
    };
    EXPECT_EQ(rest(cellCentre({1, 0})), QStringLiteral("       greets the caller"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->text(), QStringLiteral("       greets the caller"));
    EXPECT_EQ(window->font().pixelSize(), 15);
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    // The tooltip colour fills it inside a black frame.
    const QImage picture = window->grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(2, 2),
              storedColor(settings->number(vocara::Setting::ToolTipColor)));
    // Out of the box it goes; a node with no tooltip text shows nothing.
    EXPECT_EQ(rest(view().viewportPoint({2, 2})), QString());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(rest(cellCentre({2, 0})), QString()); // an empty "Write ToolTip"
    EXPECT_FALSE(window->isVisible());
    rest(cellCentre({1, 0}));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(canvas(), &leave);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Canvas, ADroppedFileAsksBeforeItReplacesAnEditedFlow)
{
    writeText(temp / "other.qfl", MenuFlow);
    auto drop = [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString((temp / "ignored.qfl").string())),
                      QUrl::fromLocalFile(QString::fromStdString((temp / "other.qfl").string()))});
        // The drop goes to the widget that took the drag when it entered.
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(canvas(), &enter);
        QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &event);
    };
    adapter->mutableDoc().setModified(true);
    dialogs.queueAnswer(Answer::Cancel);
    drop();
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{"Save changes to menu.qfl?"});
    EXPECT_EQ(doc().title(), "menu.qfl"); // cancelled: the flow stays

    dialogs.clear();
    dialogs.queueAnswer(Answer::No);
    drop();
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(doc().title(), "other.qfl"); // the last file dropped
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("other.qfl - Vocara"));
}

TEST_F(Canvas, TheSimulatorPathScrollsTheRunningNodeIntoView)
{
    view().selectNode(at({1, 0}));
    view().highlightRunningNode(at({1, 0}), true);
    view().highlightRunningNode(at({2, 0}), false);
    EXPECT_EQ(view().simulatorPath(), (std::vector<NodeId>{at({1, 0}), at({2, 0})}));
    EXPECT_EQ(view().selectedNode(), NoNode);
    // Row 30 is far below: the view goes down a page at a time until it shows.
    view().highlightRunningNode(at({30, 0}), false);
    const QPoint bottom = view().viewportPoint({43, 30 * CellSize + 43});
    EXPECT_TRUE(canvas()->rect().contains(bottom));
    view().highlightRunningNode(at({1, 0}), true);
    EXPECT_EQ(view().simulatorPath(), std::vector<NodeId>{at({1, 0})});
}

TEST_F(Canvas, NodeToolsPlaceNodesPushingOccupantsDownAndUndoRestores)
{
    frame->action("Wait")->trigger();
    click(cellCentre({0, 0})); // the start's cell takes nothing
    EXPECT_EQ(doc().nodeAt({0, 0}), doc().startNode());
    EXPECT_EQ(view().tool(), 50);

    const size_t before = doc().nodeCount();
    frame->action("Compare")->trigger();
    click(cellCentre({2, 0})); // occupied: the column below moves down a row
    const NodeId placed = at({2, 0});
    ASSERT_NE(placed, NoNode);
    EXPECT_EQ(doc().node(placed)->kind, Kind::Compare);
    EXPECT_EQ(doc().node(at({3, 0}))->name, "Check"); // pushed down
    EXPECT_EQ(doc().node(at({3, 1}))->kind, Kind::BranchIfFalse);
    EXPECT_EQ(view().selectedNode(), placed);
    EXPECT_EQ(doc().nodeCount(), before + 3);

    adapter->undoStack()->undo();
    EXPECT_EQ(doc().nodeCount(), before);
    EXPECT_EQ(doc().node(at({2, 0}))->name, "Check");
    EXPECT_EQ(view().selectedNode(), NoNode);
    adapter->undoStack()->redo();
    EXPECT_EQ(doc().node(at({2, 0}))->kind, Kind::Compare);

    // Not while a simulation runs.
    adapter->setSimulatorRunning(true);
    frame->action("Wait")->trigger();
    click(cellCentre({8, 8}));
    EXPECT_EQ(dialogs.texts().back(), "Can not Add any node while simulator running");
    EXPECT_EQ(at({8, 8}), NoNode);
    EXPECT_EQ(view().tool(), 50);
}
