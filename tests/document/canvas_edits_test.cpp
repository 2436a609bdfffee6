#include "document/canvas_edits.h"
#include "document/messages.h"
#include "document/recording_dialogs.h"

#include <gtest/gtest.h>

using namespace vocara;
using namespace vocara::CanvasEdits;

namespace {

class Edits : public ::testing::Test
{
protected:
    Edits()
    {
        doc.setSecondSource([] { return 7; });
        doc.newDocument();
        doc.newDocument(); // asterisk mode
        wave = doc.addNode({1, 0}, Kind::PlayWave);
        compare = doc.addNode({2, 0}, Kind::Compare);
        input = doc.addNode({4, 3}, Kind::UserInput, {true, true, true, {1, 2, 11}, false});
        doc.linkUnchecked(doc.startNode(), wave);
        doc.linkUnchecked(wave, compare);
    }
    std::vector<NodeId> ids(const std::vector<Removal> &plan)
    {
        std::vector<NodeId> out;
        for (const Removal &r : plan)
            out.push_back(r.id);
        return out;
    }

    RecordingDialogs dialogs;
    CVocaraDoc doc{dialogs};
    NodeId wave = NoNode;
    NodeId compare = NoNode;
    NodeId input = NoNode;
};

} // namespace

TEST_F(Edits, DeletionPlansFollowTheRules)
{
    const std::vector<NodeId> branches = doc.node(compare)->children;
    ASSERT_EQ(branches.size(), 2u);
    // A node with built-in branches loses them first.
    EXPECT_EQ(ids(planDeletion(doc, compare, {})),
              (std::vector<NodeId>{branches[0], branches[1], compare}));
    // A branch under its node, the start node, nothing selected: nothing.
    EXPECT_TRUE(planDeletion(doc, branches[0], {}).empty());
    EXPECT_TRUE(planDeletion(doc, doc.startNode(), {}).empty());
    EXPECT_TRUE(planDeletion(doc, NoNode, {}).empty());
    // The UserInput node (branches 1, 2, #, time-out, error) keeps its branch count.
    const std::vector<Removal> inputPlan = planDeletion(doc, input, {});
    EXPECT_TRUE(inputPlan.back().recordBranchCount);
    EXPECT_EQ(inputPlan.size(), doc.node(input)->children.size() + 1);

    // A group: in order up to the start node, branches with parents skipped, the first
    // node of the group unmarked and every later one marked to come back with it.
    const std::vector<Removal> group =
        planDeletion(doc, wave, {wave, branches[0], compare, doc.startNode(), input});
    EXPECT_EQ(ids(group), (std::vector<NodeId>{wave, branches[0], branches[1], compare}));
    EXPECT_EQ(group[0].mode, RemoveMode::KeepForUndo);
    EXPECT_EQ(group[3].mode, RemoveMode::KeepForUndoInGroup);
}

TEST_F(Edits, MovesMenusAndGroupOffsets)
{
    EXPECT_TRUE(moveAllowed(doc, compare, {5, 5}));
    EXPECT_FALSE(moveAllowed(doc, compare, {1, 0})); // its first parent's cell
    EXPECT_FALSE(moveAllowed(doc, compare, {2, 0})); // where it is
    EXPECT_FALSE(moveAllowed(doc, compare, {0, 0}));
    EXPECT_FALSE(moveAllowed(doc, compare, {-1, 3}));
    EXPECT_FALSE(moveAllowed(doc, doc.startNode(), {3, 3}));

    ContextMenuState state = contextMenuState(doc, wave, 0, wave);
    EXPECT_TRUE(state.createLink && state.deleteLink && state.selectLink && state.copyCutDelete);
    state = contextMenuState(doc, compare, 0, compare);
    EXPECT_FALSE(state.deleteLink); // built-in branches
    EXPECT_TRUE(state.selectLink);
    state = contextMenuState(doc, wave, 2, wave);
    EXPECT_FALSE(state.createLink || state.deleteLink || state.selectLink);
    state = contextMenuState(doc, NoNode, 0, NoNode);
    EXPECT_FALSE(state.createLink || state.copyCutDelete);
    EXPECT_TRUE(state.paste);

    // Dragging the compare node from (2,0) to (0,1): everything two rows up and a column
    // right, the start stays, the dragged node first of the list taken from its end, and
    // nothing goes above row 0.
    const auto targets =
        groupMoveTargets(doc, {doc.startNode(), wave, compare, input}, compare, {0, 1});
    EXPECT_EQ(targets, (std::vector<std::pair<NodeId, Cell>>{
                           {compare, {0, 1}}, {input, {2, 4}}, {wave, {0, 1}}}));
}

TEST_F(Edits, SnapshotsRestoreIdsLinksAndTheirOrder)
{
    const NodeId other = doc.createNode({1, 3}, Kind::Hang);
    const NodeId shared = doc.createNode({3, 3}, Kind::Hang);
    doc.linkUnchecked(other, shared);
    const NodeId middle = doc.createNode({5, 5}, Kind::Wait);
    doc.linkUnchecked(middle, shared); // shared's parents: other, middle
    const NodeId tail = doc.createNode({6, 5}, Kind::Hang);
    doc.linkUnchecked(middle, tail);
    const std::vector<NodeId> order = doc.nodesInGridOrder();

    const CVocaraDoc::NodeSnapshot snapshot = *doc.snapshotNode(middle);
    ASSERT_TRUE(doc.removeNode(middle));
    EXPECT_EQ(doc.node(shared)->parents, std::vector<NodeId>{other});
    ASSERT_TRUE(doc.restoreNode(snapshot));
    EXPECT_FALSE(doc.restoreNode(snapshot)); // the id is taken again
    EXPECT_EQ(doc.node(shared)->parents, (std::vector<NodeId>{other, middle}));
    EXPECT_EQ(doc.node(middle)->children, (std::vector<NodeId>{shared, tail}));
    EXPECT_EQ(doc.nodesInGridOrder(), order);
}

TEST_F(Edits, CopiedNodesPasteWithTheirBranchesAndValues)
{
    doc.setNodeValue(compare, "var1", "$x$");
    // A group walk ends at the start node, here first in the list.
    EXPECT_TRUE(copyGroups(doc, wave, {doc.startNode(), wave}).empty());
    const auto single = copyGroups(doc, compare, {});
    ASSERT_EQ(single.size(), 1u);
    ASSERT_EQ(single[0].size(), 3u); // True, False, then the compare node
    EXPECT_EQ(single[0][0].kind, Kind::BranchIfTrue);
    EXPECT_EQ(single[0][2].kind, Kind::Compare);

    std::vector<ClipRecord> list = single[0];
    // A cut takes the nodes away: the snapshots still paste.
    ASSERT_TRUE(doc.removeNode(doc.node(compare)->children[0]));
    ASSERT_TRUE(doc.removeNode(compare));
    const PasteResult pasted = paste(doc, list, {6, 2});
    ASSERT_EQ(pasted.created.size(), 3u);
    const NodeData *copy = doc.node(pasted.created[0]);
    EXPECT_EQ(copy->kind, Kind::Compare);
    EXPECT_EQ(copy->cell, (Cell{6, 2}));
    EXPECT_EQ(doc.nodeValue(copy->id, "var1"), "$x$");
    EXPECT_EQ(copy->name.rfind("Compare No", 0), 0u); // a default name of its own
    // Branches linked in their copied order, at their copied distance.
    ASSERT_EQ(copy->children.size(), 2u);
    EXPECT_EQ(doc.node(copy->children[0])->kind, Kind::BranchIfTrue);
    EXPECT_EQ(doc.node(copy->children[0])->cell, (Cell{7, 2}));
    EXPECT_EQ(doc.node(copy->children[1])->kind, Kind::BranchIfFalse);

    // Pasted onto an occupied cell: the occupant goes down a row.
    const NodeId occupant = doc.createNode({9, 9}, Kind::Hang);
    const PasteResult again = paste(doc, {list.back()}, {9, 9});
    EXPECT_EQ(doc.node(occupant)->cell, (Cell{10, 9}));
    EXPECT_EQ(again.moves.size(), 1u);
}

TEST_F(Edits, UndoDeleteBringsNodesBackWithTheirBranchesAndSaysWhatIsMissing)
{
    const std::vector<NodeId> branches = doc.node(compare)->children;
    for (const Removal &removal : planDeletion(doc, compare, {}))
        ASSERT_TRUE(doc.removeNode(removal.id, removal.mode));
    const UndoDeleteResult back = undoDelete(doc);
    EXPECT_EQ(back.restored, (std::vector<NodeId>{branches[0], branches[1], compare}));
    EXPECT_TRUE(back.messages.empty());
    EXPECT_EQ(doc.node(compare)->children, branches); // in their old order
    EXPECT_EQ(doc.node(compare)->parents, std::vector<NodeId>{wave});
    EXPECT_EQ(doc.node(compare)->cell, (Cell{2, 0}));
    EXPECT_TRUE(doc.undoList().empty());
    EXPECT_TRUE(undoDelete(doc).restored.empty()); // nothing left

    // A parent deleted meanwhile: the node comes back unlinked and says so.
    const NodeId hang = doc.createNode({6, 6}, Kind::Hang);
    doc.linkUnchecked(wave, hang); // wave now has two children: fine for this test
    ASSERT_TRUE(doc.removeNode(hang, RemoveMode::KeepForUndo));
    ASSERT_TRUE(doc.removeNode(wave));
    const UndoDeleteResult orphan = undoDelete(doc);
    EXPECT_EQ(orphan.restored, std::vector<NodeId>{hang});
    EXPECT_EQ(orphan.messages, std::vector<std::string_view>{Msg::ParentsNotFound});

    // An entry asking for more branches than the list holds stops at the list's start.
    const NodeId menu = doc.createNode({8, 8}, Kind::UserInput);
    doc.setSavedCounts(menu, 9, 0);
    ASSERT_TRUE(doc.removeNode(menu, RemoveMode::KeepForUndo));
    EXPECT_EQ(undoDelete(doc).restored, std::vector<NodeId>{menu});
}
