#include "document/flow_format.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vocara;

namespace {

class FlowModel : public ::testing::Test
{
protected:
    FlowModel()
    {
        doc.setSecondSource([] { return 42; });
        doc.newDocument(); // the start-up document
        doc.newDocument(); // File New: asterisk mode
    }

    std::vector<NodeKind> childKinds(NodeId id) const
    {
        std::vector<NodeKind> kinds;
        for (NodeId child : doc.node(id)->children)
            kinds.push_back(doc.node(child)->kind);
        return kinds;
    }

    std::vector<Cell> childCells(NodeId id) const
    {
        std::vector<Cell> cells;
        for (NodeId child : doc.node(id)->children)
            cells.push_back(doc.node(child)->cell);
        return cells;
    }

    RecordingDialogs dialogs;
    CVocaraDoc doc{dialogs};
};

// Counts what the observers hear.
struct CountingObserver : DocumentObserver
{
    int added = 0;
    int removed = 0;
    int linked = 0;
    int unlinked = 0;
    int changed = 0;
    std::vector<bool> modified;

    void nodeAdded(NodeId, Cell) override { ++added; }
    void nodeRemoved(NodeId, Cell) override { ++removed; }
    void linkAdded(NodeId, NodeId) override { ++linked; }
    void linkRemoved(NodeId, NodeId) override { ++unlinked; }
    void nodeChanged(NodeId) override { ++changed; }
    void modifiedChanged(bool value) override { modified.push_back(value); }
};

} // namespace

TEST_F(FlowModel, NewDocumentHoldsOnlyTheStartNode)
{
    EXPECT_TRUE(doc.isAsteriskMode());
    EXPECT_EQ(doc.nodeCount(), 1u);
    const NodeData *start = doc.node(doc.startNode());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->kind, Kind::Start);
    EXPECT_EQ(start->cell, (Cell{0, 0}));
    EXPECT_EQ(start->imageClass, 184);
    EXPECT_EQ(doc.nodeAt({0, 0}), doc.startNode());
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.removeNode(doc.startNode()));
    EXPECT_EQ(doc.createNode({3, 3}, Kind::Start), NoNode);
    EXPECT_EQ(doc.createNode({3, 3}, Kind::BranchTo), NoNode);
    EXPECT_EQ(doc.createNode({3, 3}, 45), NoNode);
    EXPECT_EQ(doc.createNode({3, 3}, Kind::SubTree), NoNode);
    EXPECT_EQ(doc.createNode({3, 3}, -1), NoNode);
}

TEST_F(FlowModel, CreatedNodesCarryTheirKindsShape)
{
    const NodeId db = doc.createNode({2, 1}, Kind::DbTransaction);
    const NodeData *data = doc.node(db);
    EXPECT_EQ(data->imageClass, 168);
    EXPECT_EQ(data->propertyCount, 8);
    EXPECT_GE(data->values.size(), 12u); // the password slot exists
    EXPECT_EQ(data->primaryParent, -1);
    EXPECT_TRUE(data->children.empty());
    EXPECT_TRUE(data->parents.empty());
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(doc.setNodeValue(db, PasswordSlot, "secret"));
    EXPECT_FALSE(doc.setNodeValue(db, 12, "x"));
    EXPECT_FALSE(doc.setNodeValue(db, -1, "x"));
    EXPECT_FALSE(doc.setNodeValue(db, "nokey", "x"));
    EXPECT_TRUE(doc.setNodeValue(db, "query", "select 1"));
    EXPECT_EQ(doc.nodeValue(db, "query"), "select 1");
    EXPECT_EQ(doc.node(db)->values[3], "select 1");
}

TEST_F(FlowModel, DefaultNamesCountTheKindAndAvoidTakenNames)
{
    const NodeId first = doc.createNode({1, 0}, Kind::PlayWave);
    EXPECT_EQ(doc.node(first)->name, "PlayWave No1");
    const NodeId second = doc.createNode({2, 0}, Kind::PlayWave);
    EXPECT_EQ(doc.node(second)->name, "PlayWave No2");
    EXPECT_EQ(doc.node(doc.createNode({1, 1}, Kind::Hang))->name, "Hang No1");

    // With only one PlayWave left, which a rename called No2, the next gets the second.
    doc.removeNode(first);
    const NodeId third = doc.createNode({3, 0}, Kind::PlayWave);
    EXPECT_EQ(doc.node(third)->name, "PlayWave No2 S 42");

    // Removing and renaming frees a name again.
    doc.removeNode(third);
    doc.setNodeName(second, "Welcome");
    EXPECT_FALSE(doc.isNameTaken("PlayWave No2"));
    EXPECT_EQ(doc.node(doc.createNode({4, 0}, Kind::PlayWave))->name, "PlayWave No2");
    EXPECT_TRUE(doc.isNameTaken("Welcome"));
}

TEST_F(FlowModel, CheckedLinkRulesInOrder)
{
    const NodeId wave = doc.createNode({1, 0}, Kind::PlayWave);
    const NodeId hang = doc.createNode({2, 0}, Kind::Hang);
    const NodeId other = doc.createNode({2, 1}, Kind::SetVar);
    const NodeId compare = doc.createNode({1, 2}, Kind::Compare);

    EXPECT_EQ(doc.link(wave, wave).message(), "Can't Link this Node To ItSelf");
    EXPECT_EQ(doc.link(compare, hang).message(),
              "Can't Link this Node, It has its built in Children");
    EXPECT_TRUE(doc.link(wave, hang).linked());
    EXPECT_EQ(doc.link(wave, other).message(), "Node already has a Child");
    EXPECT_TRUE(doc.link(hang, other).linked()); // a Hang with no child accepts a link
    // Self comes before built-in children: rule order decides the message.
    EXPECT_EQ(doc.link(compare, compare).outcome, LinkOutcome::ToItself);

    // Into the start node: refused without a word, by both operations.
    const NodeId lonely = doc.createNode({5, 5}, Kind::Wait);
    const LinkResult intoStart = doc.link(lonely, doc.startNode());
    EXPECT_EQ(intoStart.outcome, LinkOutcome::IntoStart);
    EXPECT_TRUE(intoStart.message().empty());
    EXPECT_FALSE(doc.linkUnchecked(lonely, doc.startNode()));
    EXPECT_TRUE(doc.node(doc.startNode())->parents.empty());

    EXPECT_EQ(doc.link(lonely, 9999).outcome, LinkOutcome::NoSuchNode);
    EXPECT_EQ(doc.node(wave)->children, std::vector<NodeId>{hang});
    EXPECT_EQ(doc.node(hang)->parents, std::vector<NodeId>{wave});
    EXPECT_EQ(doc.node(other)->parents, std::vector<NodeId>{hang});
    EXPECT_TRUE(dialogs.texts().empty()); // the caller shows the messages
}

TEST_F(FlowModel, UncheckedLinksServeLoadingAndKeepPairsUnique)
{
    const NodeId compare = doc.createNode({1, 0}, Kind::Compare);
    const NodeId yes = doc.createNode({2, 0}, Kind::BranchIfTrue);
    const NodeId target = doc.createNode({3, 0}, Kind::PlayWave);
    EXPECT_TRUE(doc.linkUnchecked(compare, yes));
    EXPECT_FALSE(doc.linkUnchecked(compare, yes));
    EXPECT_EQ(doc.node(compare)->children.size(), 1u);
    EXPECT_EQ(doc.node(yes)->parents.size(), 1u);
    // Cross links give a node several parents, and a loop back to itself is a legal flow.
    const NodeId again = doc.createNode({3, 1}, Kind::Wait);
    EXPECT_TRUE(doc.linkUnchecked(yes, target));
    EXPECT_TRUE(doc.linkUnchecked(again, target));
    EXPECT_TRUE(doc.linkUnchecked(target, target));
    EXPECT_EQ(doc.node(target)->parents, (std::vector<NodeId>{yes, again, target}));
}

TEST_F(FlowModel, BuiltInBranchesInTheRowBelow)
{
    struct Row
    {
        NodeKind kind;
        std::vector<NodeKind> branches;
    };
    const std::vector<Row> rows = {
        {Kind::DbTransaction, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::Transfer, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::TransferPBX, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::CSConnection, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::REGEDIT, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::ACCESSFILES, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::SendDTMF, {Kind::BranchIfSuccess, Kind::BranchIfFail}},
        {Kind::Compare, {Kind::BranchIfTrue, Kind::BranchIfFalse}},
        {Kind::MultiDTMF, {Kind::BranchIfSuccess, Kind::BranchIfTimeOutRead}},
        {Kind::PlayWave, {}},
        {Kind::Hang, {}},
    };
    int column = 1;
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(elementName(row.kind)));
        const NodeId id = doc.addNode({4, column}, row.kind);
        EXPECT_EQ(childKinds(id), row.branches);
        for (size_t i = 0; i < row.branches.size(); ++i) {
            const NodeId child = doc.node(id)->children[i];
            EXPECT_EQ(doc.node(child)->cell, (Cell{5, column + static_cast<int>(i)}));
            EXPECT_EQ(doc.node(child)->parents, std::vector<NodeId>{id});
            EXPECT_EQ(doc.nodeAt({5, column + static_cast<int>(i)}), child);
        }
        column += 3;
    }
}

TEST_F(FlowModel, NewDatabaseNodeDefaultsInAsteriskModeOnly)
{
    const NodeId db = doc.addNode({1, 1}, Kind::DbTransaction);
    EXPECT_EQ(doc.nodeValue(db, "rettype"), "Words");
    EXPECT_EQ(doc.nodeValue(db, "retlang"), "Arabic");

    CVocaraDoc flowDoc(dialogs);
    flowDoc.setMode(DocumentMode::Flow);
    flowDoc.resetContent();
    const NodeId plain = flowDoc.addNode({1, 1}, Kind::DbTransaction);
    EXPECT_EQ(flowDoc.node(plain)->propertyCount, 4);
    for (const std::string &value : flowDoc.node(plain)->values)
        EXPECT_TRUE(value.empty());
}

TEST_F(FlowModel, UserInputBranchesFollowTheDialog)
{
    // Asterisk mode, keys 1 and 2: no end-key branch.
    const NodeId menu = doc.addNode({1, 1}, Kind::UserInput, {true, true, true, {1, 2}, false});
    EXPECT_EQ(childKinds(menu),
              (std::vector<NodeKind>{Kind::BranchIf0 + 1, Kind::BranchIf0 + 2,
                                     Kind::BranchIfTimeOut, Kind::BranchIfError}));
    EXPECT_EQ(childCells(menu), (std::vector<Cell>{{2, 1}, {2, 2}, {2, 3}, {2, 4}}));
    EXPECT_EQ(doc.nodeValue(menu, "dtmf"), "1");
    EXPECT_EQ(doc.nodeValue(menu, "numKeys"), "1");
    EXPECT_EQ(doc.nodeValue(menu, "allowed"), "12");
    EXPECT_EQ(doc.nodeValue(menu, "asr"), "0");
    EXPECT_EQ(doc.node(menu)->savedChildCount, 4);

    // Flow mode, keys 1, 2 and # with speech too.
    CVocaraDoc flowDoc(dialogs);
    flowDoc.setMode(DocumentMode::Flow);
    flowDoc.resetContent();
    const NodeId keys =
        flowDoc.addNode({1, 1}, Kind::UserInput, {true, true, true, {1, 2, 11, 10}, true});
    std::vector<NodeKind> kinds;
    for (NodeId child : flowDoc.node(keys)->children)
        kinds.push_back(flowDoc.node(child)->kind);
    EXPECT_EQ(kinds, (std::vector<NodeKind>{23, 24, Kind::BranchIfHash, Kind::BranchIfStar,
                                            Kind::BranchIfEndKeys, Kind::BranchIfTimeOut,
                                            Kind::BranchIfError, Kind::BranchIfRecognize}));
    EXPECT_EQ(flowDoc.nodeValue(keys, "allowed"), "12#*");
    EXPECT_EQ(flowDoc.nodeValue(keys, "asr"), "1");

    // DTMF without per-key branches allows every key.
    const NodeId any = doc.addNode({5, 1}, Kind::UserInput, {true, true, false, {3}, false});
    EXPECT_EQ(childKinds(any), (std::vector<NodeKind>{Kind::BranchIfTimeOut, Kind::BranchIfError}));
    EXPECT_EQ(doc.nodeValue(any, "allowed"), "0123456789#*");
    EXPECT_EQ(doc.nodeValue(any, "numKeys"), "");

    // Speech only.
    const NodeId speech = doc.addNode({8, 1}, Kind::UserInput, {true, false, false, {}, true});
    EXPECT_EQ(childKinds(speech), std::vector<NodeKind>{Kind::BranchIfRecognize});
    EXPECT_EQ(doc.nodeValue(speech, "dtmf"), "0");

    // Cancelled: no branches, both switches off.
    const NodeId cancelled = doc.addNode({11, 1}, Kind::UserInput, {false, true, true, {1}, true});
    EXPECT_TRUE(doc.node(cancelled)->children.empty());
    EXPECT_EQ(doc.nodeValue(cancelled, "dtmf"), "0");
    EXPECT_EQ(doc.nodeValue(cancelled, "asr"), "0");
    EXPECT_EQ(doc.nodeValue(cancelled, "allowed"), "");
}

TEST_F(FlowModel, RemovalUnlinksAndKeepsWhatUndoNeeds)
{
    const NodeId a = doc.createNode({1, 0}, Kind::PlayWave);
    const NodeId b = doc.createNode({1, 1}, Kind::Wait);
    const NodeId c = doc.createNode({2, 0}, Kind::Hang);
    doc.linkUnchecked(doc.startNode(), a);
    doc.linkUnchecked(a, c);
    doc.linkUnchecked(b, c);
    doc.setPrimaryParent(c, 1); // b
    doc.setNodeValue(a, "file", "hello.wav");

    ASSERT_TRUE(doc.removeNode(a, RemoveMode::KeepForUndo));
    EXPECT_FALSE(doc.exists(a));
    EXPECT_EQ(doc.nodeAt({1, 0}), NoNode);
    EXPECT_TRUE(doc.node(doc.startNode())->children.empty());
    EXPECT_EQ(doc.node(c)->parents, std::vector<NodeId>{b});
    EXPECT_EQ(doc.node(c)->primaryParent, 0); // still b, now at index 0
    EXPECT_EQ(doc.nodesOfKind(Kind::PlayWave), 0);

    ASSERT_EQ(doc.undoList().size(), 1u);
    const RemovedNode &removed = doc.undoList().back();
    EXPECT_EQ(removed.id, a);
    EXPECT_EQ(removed.cell, (Cell{1, 0}));
    EXPECT_EQ(removed.name, "PlayWave No1");
    EXPECT_EQ(removed.values[0], "hello.wav");
    EXPECT_EQ(removed.parents, std::vector<NodeId>{doc.startNode()});
    EXPECT_EQ(removed.children, std::vector<NodeId>{c});
    EXPECT_FALSE(removed.inGroup);

    doc.removeNode(b, RemoveMode::KeepForUndoInGroup);
    EXPECT_EQ(doc.node(c)->primaryParent, -1); // its primary parent is gone
    EXPECT_TRUE(doc.undoList().back().inGroup);
    doc.removeNode(c); // not kept
    EXPECT_EQ(doc.undoList().size(), 2u);
    EXPECT_EQ(doc.takeLastRemoved()->id, b);
    EXPECT_EQ(doc.takeLastRemoved()->id, a);
    EXPECT_FALSE(doc.takeLastRemoved().has_value());
    EXPECT_FALSE(doc.removeNode(a));
}

TEST_F(FlowModel, IdsAreNeverReused)
{
    const NodeId first = doc.createNode({1, 0}, Kind::PlayWave);
    doc.removeNode(first, RemoveMode::KeepForUndo);
    const NodeId second = doc.createNode({1, 0}, Kind::PlayWave);
    EXPECT_NE(first, second);
    EXPECT_FALSE(doc.exists(doc.undoList().back().id));
    doc.newDocument();
    EXPECT_NE(doc.startNode(), second);
    EXPECT_FALSE(doc.exists(second));
}

TEST_F(FlowModel, GridGrowsToAnyColumnAndClampsWildCoordinates)
{
    EXPECT_EQ(doc.nodeAt({0, -1}), NoNode);
    EXPECT_EQ(doc.nodeAt({-1, 0}), NoNode);
    EXPECT_EQ(doc.nodeAt({0, 500}), NoNode);

    const NodeId far = doc.createNode({2, 40}, Kind::Wait);
    EXPECT_EQ(doc.nodeAt({2, 40}), far);
    EXPECT_GE(doc.gridColumnCount(), 41);
    EXPECT_GE(doc.canvasExtent().width - (40 * 50 + 43), 100);

    const NodeId negative = doc.createNode({-3, -7}, Kind::Wait);
    EXPECT_EQ(doc.node(negative)->cell, (Cell{0, 0}));
    EXPECT_EQ(doc.nodeAt({0, 0}), doc.startNode()); // the start node was there first

    const NodeId huge = doc.createNode({2000000000, 2000000000}, Kind::Wait);
    EXPECT_EQ(doc.node(huge)->cell, (Cell{MaxGridCoordinate, MaxGridCoordinate}));
    EXPECT_LE(doc.gridColumnCount(), MaxGridCoordinate + 1);
    EXPECT_LE(doc.canvasExtent().width, (MaxGridCoordinate + 5) * 50);
}

TEST_F(FlowModel, CanvasWidensNearItsEdges)
{
    const CanvasExtent initial = doc.canvasExtent();
    doc.createNode({1, 1}, Kind::Wait);
    EXPECT_EQ(doc.canvasExtent().width, initial.width);
    EXPECT_EQ(doc.canvasExtent().height, initial.height);

    // A box whose right edge is within 100 pixels of the width widens it by 150, with three
    // more grid columns.
    const int columns = doc.gridColumnCount();
    const int column = (initial.width - 100 - 43) / 50 + 1;
    doc.createNode({1, column}, Kind::Wait);
    EXPECT_EQ(doc.canvasExtent().width, initial.width + 150);
    EXPECT_EQ(doc.gridColumnCount(), std::max(columns, column + 1) + 3);
    const int row = (initial.height - 100 - 43) / 50 + 1;
    doc.createNode({row, 1}, Kind::Wait);
    EXPECT_EQ(doc.canvasExtent().height, initial.height + 150);
}

TEST_F(FlowModel, TwoNodesOnOneCellResolveToTheFirstPlaced)
{
    const NodeId first = doc.createNode({3, 3}, Kind::PlayWave);
    const NodeId second = doc.createNode({3, 3}, Kind::Hang);
    EXPECT_EQ(doc.nodeAt({3, 3}), first);
    doc.removeNode(first);
    EXPECT_EQ(doc.nodeAt({3, 3}), second);
    doc.removeNode(second);
    EXPECT_EQ(doc.nodeAt({3, 3}), NoNode);

    // A pile of three: taking one out of the middle or the top leaves the rest in order, and
    // a move out and back puts a node at the pile's end.
    const NodeId a = doc.createNode({4, 4}, Kind::Wait);
    const NodeId b = doc.createNode({4, 4}, Kind::Wait);
    const NodeId c = doc.createNode({4, 4}, Kind::Wait);
    doc.removeNode(b);
    EXPECT_EQ(doc.nodeAt({4, 4}), a);
    doc.moveNode(a, {9, 9});
    EXPECT_EQ(doc.nodeAt({4, 4}), c);
    doc.moveNode(a, {4, 4});
    EXPECT_EQ(doc.nodeAt({4, 4}), c);
    doc.removeNode(c);
    EXPECT_EQ(doc.nodeAt({4, 4}), a);
}

TEST_F(FlowModel, GridOrderIsColumnsThenPlacement)
{
    const NodeId c2 = doc.createNode({1, 2}, Kind::Wait);
    const NodeId c0a = doc.createNode({5, 0}, Kind::Wait);
    const NodeId c1 = doc.createNode({1, 1}, Kind::Wait);
    const NodeId c0b = doc.createNode({2, 0}, Kind::Wait);
    EXPECT_EQ(doc.nodesInGridOrder(), (std::vector<NodeId>{doc.startNode(), c0a, c0b, c1, c2}));

    // Kept up to date through moves, removals and sequence numbers of any size (an undone move
    // brings its old one back).
    const std::uint64_t placed = doc.sequenceOf(c0a);
    doc.moveNode(c0a, {7, 1});
    EXPECT_EQ(doc.nodesInGridOrder(), (std::vector<NodeId>{doc.startNode(), c0b, c1, c0a, c2}));
    doc.moveNode(c0a, {5, 0}, placed);
    EXPECT_EQ(doc.nodesInGridOrder(), (std::vector<NodeId>{doc.startNode(), c0a, c0b, c1, c2}));
    doc.moveNode(c1, {3, 0}, std::uint64_t(1) << 60);
    doc.removeNode(c0b);
    EXPECT_EQ(doc.nodesInGridOrder(), (std::vector<NodeId>{doc.startNode(), c0a, c1, c2}));
    EXPECT_EQ(doc.sequenceOf(c1), std::uint64_t(1) << 60);
    std::vector<NodeId> many;
    for (int i = 0; i < 70000; ++i)
        many.push_back(doc.createNode({i % 5 + 1, 3 + i % 3}, Kind::Wait));
    const std::vector<NodeId> order = doc.nodesInGridOrder();
    ASSERT_EQ(order.size(), 70004u);
    for (size_t i = 1; i < order.size(); ++i) {
        const NodeData &before = *doc.node(order[i - 1]);
        const NodeData &after = *doc.node(order[i]);
        ASSERT_LT(std::pair(before.cell.column, before.sequence),
                  std::pair(after.cell.column, after.sequence));
    }
}

TEST_F(FlowModel, NameCountsFollowRenamesRemovalsAndRestores)
{
    const NodeId a = doc.createNode({1, 1}, Kind::Wait);
    const NodeId b = doc.createNode({2, 1}, Kind::Wait);
    doc.setNodeName(b, doc.node(a)->name);
    EXPECT_EQ(doc.nameUseCount(*doc.node(a)), 2);
    EXPECT_EQ(doc.nameUseCount(*doc.node(b)), 2);
    const std::optional<CVocaraDoc::NodeSnapshot> snapshot = doc.snapshotNode(b);
    doc.removeNode(b);
    EXPECT_EQ(doc.nameUseCount(*doc.node(a)), 1);
    // A copy knows the count no longer: it is looked up by name.
    EXPECT_EQ(doc.nameUseCount(snapshot->data), 1);
    ASSERT_TRUE(doc.restoreNode(*snapshot));
    EXPECT_EQ(doc.nameUseCount(*doc.node(b)), 2);
    doc.setNodeName(a, "other");
    EXPECT_EQ(doc.nameUseCount(*doc.node(b)), 1);
    EXPECT_EQ(doc.nameUseCount(*doc.node(a)), 1);
    EXPECT_EQ(doc.nameUseCount("other"), 1);
}

TEST_F(FlowModel, ObserversHearEveryChange)
{
    CountingObserver observer;
    doc.addObserver(&observer);
    const NodeId compare = doc.addNode({1, 1}, Kind::Compare);
    EXPECT_EQ(observer.added, 3);
    EXPECT_EQ(observer.linked, 2);
    EXPECT_EQ(observer.modified, std::vector<bool>{true});
    doc.setNodeName(compare, "Check");
    doc.setNodeValue(compare, "op", ">");
    doc.setNodeValue(compare, "op", ">"); // unchanged: no news
    EXPECT_EQ(observer.changed, 2);
    doc.removeNode(compare);
    EXPECT_EQ(observer.removed, 1);
    EXPECT_EQ(observer.unlinked, 2);
    doc.setModified(false);
    doc.removeObserver(&observer);
    doc.createNode({2, 2}, Kind::Hang);
    EXPECT_EQ(observer.added, 3);
    EXPECT_EQ(observer.modified, (std::vector<bool>{true, false}));
}

TEST(NewDocument, ModesAndBuiltInVariablesThroughARun)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    auto names = [&] {
        std::vector<std::string> result;
        for (const Variable &v : doc.variables().items())
            result.push_back(v.name);
        return result;
    };

    // Start-up: neither mode, the flow catalogue, no asterisk-only variables.
    ASSERT_TRUE(doc.newDocument());
    EXPECT_EQ(doc.mode(), DocumentMode::None);
    EXPECT_EQ(doc.catalogue().mode(), CatalogueMode::Flow);
    EXPECT_EQ(names(), (std::vector<std::string>{"lang", "strDate", "strTime", "nCallerId"}));
    EXPECT_EQ(doc.variables().at(0).defaultValue, "Arabic");
    EXPECT_EQ(doc.variables().at(1).description,
              "Include The Date will be Generated in the IVR Player System");

    doc.createNode({1, 1}, Kind::Wait);
    ASSERT_TRUE(doc.newDocument());
    EXPECT_EQ(doc.mode(), DocumentMode::Asterisk);
    EXPECT_EQ(doc.catalogue().mode(), CatalogueMode::Asterisk);
    EXPECT_EQ(doc.nodeCount(), 1u);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(names(), (std::vector<std::string>{"lang", "strDate", "strTime", "nCallerId",
                                                 "RecordPath", "TTSPath"}));
    EXPECT_EQ(doc.variables().at(4).defaultValue, "/home/RecordedFiles/");
    EXPECT_EQ(doc.variables().at(5).description, "the path of the TTS Files");
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST(NewDocument, DefaultFlowIsOpenedOncePerRun)
{
    test::TempFolder temp;
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(temp.path());
    const std::string flow = (temp / "default.qfl").string();
    doc.setDefaultTreePath(flow);

    doc.newDocument();
    EXPECT_EQ(doc.mode(), DocumentMode::None); // never at start-up

    // A default flow that cannot be opened still leaves the user a new flow, and is tried
    // again next time.
    doc.newDocument();
    EXPECT_TRUE(doc.isAsteriskMode());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Invalid QEN IVR File"});

    test::writeText(flow, std::string(FlowXml::DefaultText));
    doc.newDocument();
    EXPECT_TRUE(doc.isFlowMode());
    EXPECT_EQ(doc.path(), flow);

    doc.newDocument();
    EXPECT_TRUE(doc.isAsteriskMode());
    EXPECT_TRUE(doc.path().empty());
    EXPECT_EQ(dialogs.texts().size(), 1u);
}

TEST(NewDocument, RefusedWhileTheSimulatorRuns)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    const NodeId kept = doc.createNode({1, 1}, Kind::Wait);
    doc.setSimulatorRunning(true);
    EXPECT_FALSE(doc.newDocument());
    EXPECT_TRUE(doc.exists(kept));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Please Close The Simulation Window"});
    doc.setSimulatorRunning(false);
    EXPECT_TRUE(doc.newDocument());
    EXPECT_FALSE(doc.exists(kept));
}

TEST(NewDocument, ResetForgetsSettingsFilesAndUndo)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    DialplanSettings settings;
    settings.ServerIP = "127.0.0.1";
    settings.CheckServerSave = true;
    doc.setDialplanSettings(settings);
    doc.setAttachedFiles({"a.wav"});
    doc.removeNode(doc.createNode({1, 1}, Kind::Wait), RemoveMode::KeepForUndo);
    doc.newDocument();
    EXPECT_EQ(doc.dialplanSettings(), DialplanSettings{});
    EXPECT_TRUE(doc.attachedFiles().empty());
    EXPECT_TRUE(doc.undoList().empty());
    EXPECT_EQ(doc.canvasExtent().width, InitialCanvasExtent.width);
}

TEST_F(FlowModel, MakingRoomPushesAColumnDownToItsFirstGap)
{
    const NodeId top = doc.createNode({2, 1}, Kind::Wait);
    const NodeId below = doc.createNode({3, 1}, Kind::Hang);
    const NodeId apart = doc.createNode({5, 1}, Kind::Hang);
    ASSERT_TRUE(doc.linkUnchecked(top, below));
    const std::string name = doc.node(top)->name;
    const std::vector<CVocaraDoc::NodeMove> moves = doc.makeRoomAt({2, 1});
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].id, below); // the lowest first, so no two share a cell
    EXPECT_EQ(moves[1].id, top);
    EXPECT_EQ(doc.nodeAt({2, 1}), NoNode);
    EXPECT_EQ(doc.nodeAt({3, 1}), top);
    EXPECT_EQ(doc.nodeAt({4, 1}), below);
    EXPECT_EQ(doc.nodeAt({5, 1}), apart); // past the gap nothing moves
    EXPECT_EQ(doc.node(top)->name, name);
    EXPECT_EQ(doc.node(top)->children, std::vector<NodeId>{below});
    EXPECT_TRUE(doc.makeRoomAt({7, 7}).empty());

    // The start's cell is never taken, and the start never moves.
    EXPECT_FALSE(doc.moveNode(top, {0, 0}));
    EXPECT_FALSE(doc.moveNode(doc.startNode(), {4, 4}));
    EXPECT_TRUE(doc.makeRoomAt({0, 0}).empty());
    // Back up again: the grid index follows.
    EXPECT_TRUE(doc.moveNode(top, {2, 1}));
    EXPECT_EQ(doc.nodeAt({2, 1}), top);
    EXPECT_EQ(doc.nodeAt({3, 1}), NoNode);
}
