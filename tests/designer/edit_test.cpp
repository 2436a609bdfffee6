// Editing on the canvas through the undo stack: deletes, links, moves, the right-click menu,
// and undo then redo of long random sequences of edits.
#include "designer/edit_commands.h"
#include "designer/property_commands.h"
#include "designer/user_input_dialog.h"
#include "tests/designer/designer_fixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

#include <cstdlib>
#include <random>

using namespace vocara;
using namespace vocara::test;

namespace {

class Editing : public DesignerFixture
{
protected:
    Editing()
    {
        makeFrame();
        openFlow(MenuFlow);
    }
    NodeId at(Cell cell) const { return doc().nodeAt(cell); }
    QUndoStack &stack() { return *adapter->undoStack(); }
    // The flow as a save writes it.
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(canvas(), Qt::LeftButton, modifiers, from);
        QMouseEvent move(QEvent::MouseMove, to, canvas()->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(canvas(), &move);
        QTest::mouseRelease(canvas(), Qt::LeftButton, modifiers, to);
    }
};

std::string withoutEmptyOrphans(std::string text)
{
    const std::string empty = "    <Orphans/>\n";
    if (const size_t at = text.find(empty); at != std::string::npos)
        text.erase(at, empty.size());
    return text;
}

} // namespace

TEST_F(Editing, DeleteTakesANodeWithItsBranchesAndUndoBringsBackTheSameFlow)
{
    const std::string before = flowText();
    const NodeId compare = at({2, 0});
    // A branch under its node is not deleted on its own.
    click(cellCentre({3, 0}));
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_TRUE(doc().exists(at({3, 0})));
    EXPECT_EQ(stack().count(), 0);

    click(cellCentre({2, 0}));
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_FALSE(doc().exists(compare));
    EXPECT_EQ(at({3, 0}), NoNode); // both branches went with it
    EXPECT_EQ(at({3, 2}), NoNode);
    EXPECT_EQ(doc().undoList().size(), 3u);
    EXPECT_EQ(frame->action("&Undo")->text(), QStringLiteral("&Undo Delete"));

    frame->action("&Undo")->trigger();
    EXPECT_EQ(flowText(), before);
    EXPECT_TRUE(doc().exists(compare)); // under its own id
    EXPECT_TRUE(doc().undoList().empty());
    EXPECT_FALSE(doc().isModified()); // back where it was opened
    frame->action("&Redo")->trigger();
    EXPECT_FALSE(doc().exists(compare));
    EXPECT_TRUE(doc().isModified());

    // Not while a simulation runs.
    stack().undo();
    adapter->setSimulatorRunning(true);
    click(cellCentre({1, 0}));
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_EQ(dialogs.texts().back(), "Can not Delete any node while simulator running");
    EXPECT_TRUE(doc().exists(at({1, 0})));
}

TEST_F(Editing, LinkDragsFollowTheRulesAndLinksAreDeletedByDel)
{
    // A new node, linked by a drag from the Hang node's out-port... which is refused:
    // the Hang node at row 30 has no child, the compare node has built-in branches.
    frame->action("Wait")->trigger();
    click(cellCentre({5, 5}));
    const NodeId wait = at({5, 5});
    drag(view().viewportPoint({24, 2 * CellSize + 37}), cellCentre({5, 5}));
    EXPECT_EQ(dialogs.texts().back(), "Can't Link this Node, It has its built in Children");
    EXPECT_TRUE(doc().node(wait)->parents.empty());

    // From the first branch's out-port: it already has a child.
    drag(view().viewportPoint({24, 3 * CellSize + 37}), cellCentre({5, 5}));
    EXPECT_EQ(dialogs.texts().back(), "Node already has a Child");

    // The "False" branch has none: Ctrl+drag from anywhere on it links.
    drag(cellCentre({3, 2}), cellCentre({5, 5}), Qt::ControlModifier);
    EXPECT_EQ(doc().node(wait)->parents, std::vector<NodeId>{at({3, 2})});
    // A drag back onto the node it started from does nothing.
    const int edits = stack().count();
    drag(cellCentre({5, 5}), cellCentre({5, 5}), Qt::ControlModifier);
    EXPECT_EQ(stack().count(), edits);

    // Select the new link by its route and take it away with Del.
    view().selectLink({at({3, 2}), wait});
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_TRUE(doc().node(wait)->parents.empty());
    stack().undo();
    EXPECT_EQ(doc().node(wait)->parents, std::vector<NodeId>{at({3, 2})});
}

TEST_F(Editing, DragsAndCtrlArrowsMoveNodesPushingOccupantsDown)
{
    const NodeId welcome = at({1, 0});
    drag(cellCentre({1, 0}), cellCentre({4, 3}));
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{4, 3}));
    // Onto the start's cell: refused.
    drag(cellCentre({4, 3}), cellCentre({0, 0}));
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{4, 3}));

    view().selectNode(welcome);
    QTest::keyClick(&view(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{3, 3}));
    EXPECT_EQ(view().selectedNode(), welcome);
    // Ctrl+Left onto the "False" branch's cell pushes it down a row.
    QTest::keyClick(&view(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{3, 2}));
    EXPECT_EQ(doc().node(at({4, 2}))->name, "No");

    // The cell of the node's first parent is refused.
    const NodeId compare = at({2, 0});
    ASSERT_EQ(doc().node(compare)->parents, std::vector<NodeId>{welcome});
    drag(cellCentre({2, 0}), cellCentre({3, 2}));
    EXPECT_EQ(doc().node(compare)->cell, (Cell{2, 0}));

    while (stack().canUndo())
        stack().undo();
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{1, 0}));
    EXPECT_EQ(doc().node(at({3, 2}))->name, "No");
}

TEST_F(Editing, GroupDragsMoveEveryNodeByTheSameOffset)
{
    click(cellCentre({1, 0}));
    click(cellCentre({30, 0}), Qt::ControlModifier);
    const NodeId welcome = at({1, 0});
    const NodeId bye = at({30, 0});
    view().verticalScrollBar()->setValue(0);
    drag(cellCentre({1, 0}), cellCentre({1, 4}));
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{1, 4}));
    EXPECT_EQ(doc().node(bye)->cell, (Cell{30, 4}));
    stack().undo();
    EXPECT_EQ(doc().node(welcome)->cell, (Cell{1, 0}));
    EXPECT_EQ(doc().node(bye)->cell, (Cell{30, 0}));
}

TEST_F(Editing, TheRightClickMenuEnablesWhatTheNodeAllows)
{
    QStringList enabled;
    QMenu *shown = nullptr;
    frame->setMenuRunner([&](QMenu &menu) {
        shown = &menu;
        enabled.clear();
        for (QAction *action : menu.actions()) {
            if (!action->isSeparator() && action->isEnabled())
                enabled << action->text();
        }
    });
    auto rightClick = [&](Cell cell) {
        click(cellCentre(cell), {}, Qt::RightButton);
    };
    rightClick({2, 0}); // a compare node: branches it cannot lose by hand
    EXPECT_EQ(enabled, (QStringList{"Create Link to Child", "Select Link to Child", "Copy", "Cut",
                                    "Delete", "Paste"}));
    rightClick({1, 0});
    EXPECT_EQ(enabled, (QStringList{"Create Link to Child", "Delete Link to Child",
                                    "Select Link to Child", "Copy", "Cut", "Delete", "Paste"}));
    rightClick({3, 2}); // a branch without children
    EXPECT_EQ(enabled, (QStringList{"Create Link to Child", "Paste"}));
    rightClick({7, 7}); // empty canvas
    EXPECT_EQ(enabled, QStringList{"Paste"});
    EXPECT_EQ(view().selectedNode(), NoNode);
    ASSERT_NE(shown, nullptr);

    // "Select Link to Child" selects the link alone; "Delete Link to Child" takes it away.
    frame->setMenuRunner([&](QMenu &menu) {
        for (QAction *action : menu.actions()) {
            if (action->text() == "Select Link to Child")
                action->trigger();
        }
    });
    rightClick({1, 0});
    EXPECT_EQ(view().selectedLink(), (vocara::Canvas::LinkHit{at({1, 0}), at({2, 0})}));
    EXPECT_EQ(view().selectedNode(), NoNode);
    frame->setMenuRunner([&](QMenu &menu) {
        for (QAction *action : menu.actions()) {
            if (action->text() == "Delete Link to Child")
                action->trigger();
        }
    });
    rightClick({1, 0});
    EXPECT_TRUE(doc().node(at({1, 0}))->children.empty());
}

TEST_F(Editing, UndoingEverythingAndRedoingItGivesTheSameFlowByteForByte)
{
    std::mt19937 random(20261209);
    auto pick = [&](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(random);
    };
    auto anyNode = [&] {
        const std::vector<NodeId> nodes = doc().nodesInGridOrder();
        return nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))];
    };
    const std::string opened = flowText();
    for (int edit = 0; edit < 200; ++edit) {
        const Cell cell{pick(12), pick(8)};
        switch (pick(8)) {
        case 0: {
            const NodeKind kinds[] = {Kind::Wait,     Kind::Compare,   Kind::Transfer,
                                      Kind::PlayWave, Kind::MultiDTMF, Kind::Hang};
            if (cell != Cell{0, 0})
                stack().push(new AddNodeCommand(*adapter, cell, kinds[pick(6)]));
            break;
        }
        case 5: {
            // User input nodes, whose property changes add and remove branches.
            if (cell != Cell{0, 0})
                stack().push(new AddNodeCommand(
                    *adapter, cell, Kind::UserInput,
                    {true, pick(2) == 0, pick(2) == 0, {pick(12), pick(12)}, pick(2) == 0}));
            break;
        }
        case 6: {
            const NodeData *node = doc().node(anyNode());
            const KindDescriptor *kind = doc().catalogue().descriptor(node->kind);
            if (!kind || kind->properties.empty())
                break;
            const std::string texts[] = {"0", "1", "2", "23", "12#", "$lang$", "", "n"};
            const std::string label =
                pick(5) == 0
                    ? std::string("Node Name")
                    : std::string(
                          kind->properties[static_cast<size_t>(pick(int(kind->properties.size())))]
                              .label);
            stack().push(new PropertyCommand(*adapter, node->id, label, texts[pick(8)]));
            break;
        }
        case 7: {
            VariableList variables = doc().variables();
            if (variables.count() == 0 || pick(2) == 0)
                variables.addOrUpdate("v" + std::to_string(pick(5)), std::to_string(edit), "");
            else
                variables.remove(variables.at(size_t(pick(int(variables.count())))).name);
            stack().push(new VariablesCommand(*adapter, "Variables", variables));
            break;
        }
        case 1: {
            auto *command = new DeleteNodesCommand(*adapter, anyNode(), {});
            if (command->isEmpty())
                delete command;
            else
                stack().push(command);
            break;
        }
        case 2: {
            const NodeId source = anyNode();
            const NodeId target = anyNode();
            if (doc().checkLink(source, target).linked())
                stack().push(new LinkCommand(*adapter, source, target, false));
            break;
        }
        case 3: {
            const NodeData *node = doc().node(anyNode());
            if (!node->children.empty())
                stack().push(new LinkCommand(*adapter, node->id,
                                             node->children[static_cast<size_t>(
                                                 pick(static_cast<int>(node->children.size())))],
                                             true));
            break;
        }
        default:
            stack().push(new MoveNodesCommand(*adapter, {{anyNode(), cell}, {anyNode(), cell}}));
        }
        if (edit % 20 != 19)
            continue;
        // Every twenty edits: all the way back, then all the way forward again.
        const std::string edited = flowText();
        const int count = stack().count();
        stack().setIndex(0);
        // Once orphans were written the file keeps an (empty) Orphans element.
        ASSERT_EQ(withoutEmptyOrphans(flowText()), withoutEmptyOrphans(opened))
            << "after " << edit + 1 << " edits";
        stack().setIndex(count);
        ASSERT_EQ(flowText(), edited) << "after " << edit + 1 << " edits";
    }
}

TEST_F(Editing, CopyCutAndPasteThroughTheMenusAndTheSystemClipboard)
{
    click(cellCentre({2, 0}));
    frame->action("C&ut")->trigger();
    EXPECT_FALSE(doc().exists(at({2, 0})));
    // The cut nodes paste from their snapshots at the top-left visible cell.
    view().verticalScrollBar()->setValue(8 * CellSize);
    frame->action("&Paste")->trigger();
    ASSERT_NE(at({8, 0}), NoNode);
    EXPECT_EQ(doc().node(at({8, 0}))->kind, Kind::Compare);
    EXPECT_EQ(doc().node(at({9, 2}))->kind, Kind::BranchIfFalse);
    EXPECT_EQ(view().multiSelection().size(), 3u);
    stack().undo();
    EXPECT_EQ(at({8, 0}), NoNode);

    // Another designer (no copy list of its own) pastes the block from the clipboard.
    frame.reset();
    makeFrame();
    openFlow(MenuFlow);
    view().verticalScrollBar()->setValue(5 * CellSize);
    frame->action("&Paste")->trigger();
    ASSERT_NE(at({5, 0}), NoNode);
    EXPECT_EQ(doc().node(at({5, 0}))->kind, Kind::Compare);
    EXPECT_EQ(doc().node(at({6, 0}))->kind, Kind::BranchIfTrue);

    // A block that is not one: "Not Correct Format", and nothing pasted.
    frame.reset();
    makeFrame();
    openFlow(MenuFlow);
    auto *hostile = new QMimeData;
    hostile->setData("MY_CUSTOM_FORMAT", QByteArray(100, '\xff'));
    QGuiApplication::clipboard()->setMimeData(hostile);
    const size_t count = doc().nodeCount();
    frame->action("&Paste")->trigger();
    EXPECT_EQ(dialogs.texts().back(), "Not Correct Format");
    EXPECT_EQ(doc().nodeCount(), count);
}

TEST_F(Editing, UndoDeleteIsAnEditOfItsOwn)
{
    EXPECT_FALSE(frame->action("&Undo Delete")->isEnabled());
    click(cellCentre({1, 0}));
    QTest::keyClick(&view(), Qt::Key_Delete);
    ASSERT_FALSE(doc().exists(at({1, 0})));
    EXPECT_TRUE(frame->action("&Undo Delete")->isEnabled());
    frame->action("&Undo Delete")->trigger();
    ASSERT_NE(at({1, 0}), NoNode);
    EXPECT_EQ(doc().node(at({1, 0}))->name, "Welcome");
    EXPECT_TRUE(doc().undoList().empty());
    // Ctrl+Z takes the Undo Delete back: the node is gone and on the list again.
    stack().undo();
    EXPECT_EQ(at({1, 0}), NoNode);
    EXPECT_EQ(doc().undoList().size(), 1u);
    stack().redo();
    EXPECT_NE(at({1, 0}), NoNode);
}

TEST_F(Editing, TheUserInputDialogChoosesTheNewNodesBranches)
{
    frame->setDialogRunner([](QDialog &dialog) {
        auto &input = dynamic_cast<UserInputDialog &>(dialog);
        EXPECT_EQ(input.windowTitle(), QStringLiteral("User Input"));
        EXPECT_FALSE(input.keyList()->isEnabled());
        input.branchesBox()->setChecked(true);
        EXPECT_TRUE(input.keyList()->isEnabled());
        input.keyList()->item(11)->setSelected(true); // picked first, listed last
        input.keyList()->item(1)->setSelected(true);
        input.keyList()->item(2)->setSelected(true);
        if (const char *keep = std::getenv("VOCARA_KEEP_SCREENSHOTS"))
            input.grab().save(QString::fromLocal8Bit(keep) + "/user-input.png");
        input.done(QDialog::Accepted);
        return int(QDialog::Accepted);
    });
    frame->action("GetDTMF")->trigger();
    click(cellCentre({6, 4}));
    const NodeData *node = doc().node(at({6, 4}));
    ASSERT_NE(node, nullptr);
    std::vector<NodeKind> kinds;
    for (NodeId child : node->children)
        kinds.push_back(doc().node(child)->kind);
    // 1, 2, #, then end keys (flow mode), time-out and error, in the row below.
    EXPECT_EQ(kinds, (std::vector<NodeKind>{Kind::BranchIf0 + 1, Kind::BranchIf0 + 2,
                                            Kind::BranchIfHash, Kind::BranchIfEndKeys,
                                            Kind::BranchIfTimeOut, Kind::BranchIfError}));
    EXPECT_EQ(doc().node(node->children[0])->cell, (Cell{7, 4}));

    // Clearing DTMF clears and disables the branches; Cancel gives no branches at all.
    frame->setDialogRunner([](QDialog &dialog) {
        auto &input = dynamic_cast<UserInputDialog &>(dialog);
        input.branchesBox()->setChecked(true);
        input.dtmfBox()->setChecked(false);
        EXPECT_FALSE(input.branchesBox()->isChecked());
        EXPECT_FALSE(input.branchesBox()->isEnabled());
        EXPECT_FALSE(input.keyList()->isEnabled());
        input.done(QDialog::Rejected);
        return int(QDialog::Rejected);
    });
    frame->action("GetDTMF")->trigger();
    click(cellCentre({9, 6}));
    EXPECT_TRUE(doc().node(at({9, 6}))->children.empty());
    EXPECT_EQ(doc().nodeValue(at({9, 6}), "dtmf"), "0");
}

TEST_F(Editing, SelectNodeNameLinksByNameAndStaysOpen)
{
    frame->action("Wait")->trigger();
    click(cellCentre({5, 5}));
    const NodeId wait = at({5, 5});
    int links = 0;
    frame->setDialogRunner([&](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Node Name"));
        auto *names = dialog.findChild<QComboBox *>("names");
        // Action nodes only: the branches are not offered.
        EXPECT_EQ(names->findText("Yes"), -1);
        QPushButton *link = nullptr;
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == "Link")
                link = button;
        }
        names->setCurrentIndex(names->findText("Bye"));
        if (const char *keep = std::getenv("VOCARA_KEEP_SCREENSHOTS"))
            dialog.grab().save(QString::fromLocal8Bit(keep) + "/select-node-name.png");
        link->click();
        links = int(doc().node(wait)->children.size());
        link->click(); // a second child is refused, and the dialog is still there
        return int(QDialog::Rejected);
    });
    frame->setMenuRunner([](QMenu &menu) {
        for (QAction *action : menu.actions()) {
            if (action->text() == "Create Link to Child")
                action->trigger();
        }
    });
    click(cellCentre({5, 5}), {}, Qt::RightButton);
    EXPECT_EQ(links, 1);
    EXPECT_EQ(doc().node(doc().node(wait)->children[0])->name, "Bye");
    EXPECT_EQ(dialogs.texts().back(), "Node already has a Child");
}

TEST_F(Editing, ReadyMadeSamplesGoWhereTheNextClickIs)
{
    adapter->mutableDoc().setInstallFolder(std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) +
                                           "/assets");
    QAction *hello = nullptr;
    for (QAction *action : frame->findChildren<QAction *>()) {
        if (action->text() == "Hello World")
            hello = action;
    }
    ASSERT_NE(hello, nullptr);
    hello->trigger();
    EXPECT_EQ(view().tool(), 48);
    const size_t before = doc().nodeCount();
    click(cellCentre({6, 4}));
    ASSERT_NE(at({6, 4}), NoNode);
    EXPECT_EQ(doc().node(at({6, 4}))->kind, Kind::PlayWave);
    EXPECT_EQ(doc().node(at({7, 4}))->kind, Kind::Hang);
    EXPECT_EQ(doc().nodeCount(), before + 2);
    EXPECT_EQ(view().tool(), 50);
    stack().undo();
    EXPECT_EQ(doc().nodeCount(), before);
    stack().redo();
    EXPECT_EQ(doc().nodeCount(), before + 2);

    // "Browse..........": any script file.
    frame->setFileChooser(
        [&](CMainFrame::FileChoice choice, const QString &, const QString &filter) {
            EXPECT_EQ(choice, CMainFrame::FileChoice::Script);
            EXPECT_EQ(filter, QStringLiteral("QEN IVR Script Files (*.qsc)"));
            return QString::fromStdString(std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) +
                                          "/assets/Samples/Scripts/Bye.qsc");
        });
    for (QAction *action : frame->findChildren<QAction *>()) {
        if (action->text() == "Browse..........")
            action->trigger();
    }
    click(cellCentre({9, 6}));
    EXPECT_EQ(doc().node(at({10, 6}))->kind, Kind::Hang);
}
