#include "document/property_edits.h"
#include "document/recording_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vocara;
using namespace vocara::PropertyEdits;

namespace {

class Properties : public ::testing::Test
{
protected:
    explicit Properties(bool asterisk = false)
    {
        doc.setSecondSource([] { return 7; });
        doc.newDocument();
        if (asterisk)
            doc.newDocument(); // File New: an asterisk-mode flow
        else
            doc.setMode(DocumentMode::Flow);
    }
    // A user input node with one branch per key of `keys` (digits, 10 '*', 11 '#').
    NodeId userInput(std::vector<int> keys, bool asr = false, Cell cell = {2, 0})
    {
        return doc.addNode(cell, Kind::UserInput, {true, true, true, std::move(keys), asr});
    }
    std::vector<NodeKind> childKinds(NodeId id) const
    {
        std::vector<NodeKind> kinds;
        for (NodeId child : doc.node(id)->children)
            kinds.push_back(doc.node(child)->kind);
        return kinds;
    }
    const Row &row(const std::vector<Row> &rows, std::string_view label)
    {
        const auto it =
            std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r.label == label; });
        EXPECT_NE(it, rows.end()) << label;
        return *it;
    }
    std::string value(NodeId id, std::string_view key) const { return doc.nodeValue(id, key); }
    // No two nodes on one cell.
    bool cellsDistinct() const
    {
        std::vector<Cell> cells;
        for (NodeId id : doc.nodesInGridOrder())
            cells.push_back(doc.node(id)->cell);
        std::sort(cells.begin(), cells.end());
        return std::adjacent_find(cells.begin(), cells.end()) == cells.end();
    }

    RecordingDialogs dialogs;
    CVocaraDoc doc{dialogs};
};

class AsteriskProperties : public Properties
{
protected:
    AsteriskProperties()
        : Properties(true)
    {}
};

constexpr NodeKind Digit(int key)
{
    return branchKindForKey(key);
}

} // namespace

TEST_F(Properties, RowsComeInTheirCategoriesWithTheirFirstValues)
{
    const NodeId input = userInput({1, 2});
    const std::vector<Row> rows = rowsFor(doc, input);
    ASSERT_GE(rows.size(), 12u);
    EXPECT_EQ(rows[0].label, "Functionality");
    EXPECT_EQ(rows[0].category, "Node Description");
    EXPECT_FALSE(rows[0].editable);
    EXPECT_EQ(rows[0].buttonType, 10);
    EXPECT_EQ(rows[1].label, "Node Name");
    EXPECT_EQ(rows[1].initial.text, doc.node(input)->name);
    // Properties 0-1, then DTMF 2-5, ASR 6-8, and the tooltip under the general ones.
    const char *expected[] = {"Node Properties", "Node Properties",   "DTMF Node", "DTMF Node",
                              "DTMF Node",       "DTMF Node",         "ASR Node",  "ASR Node",
                              "ASR Node",        "General Properties"};
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(rows[i + 2].category, expected[i]) << rows[i + 2].label;
    // Check boxes start ticked and take the stored value when there is one.
    const Row &dtmf = row(rows, "DTMF Enabled");
    EXPECT_EQ(dtmf.initial.type, RowValue::Type::Boolean);
    EXPECT_TRUE(dtmf.initial.flag);
    ASSERT_TRUE(dtmf.set);
    EXPECT_TRUE(dtmf.set->flag);
    const Row &asr = row(rows, "ASR Enabled");
    ASSERT_TRUE(asr.set);
    EXPECT_FALSE(asr.set->flag);
    // The variable list as "$name$", in the flow's order.
    const Row &returnVar = row(rows, "Return Var");
    EXPECT_EQ(returnVar.initial.type, RowValue::Type::Choices);
    EXPECT_EQ(returnVar.initial.choices.front(), "$lang$");
    EXPECT_EQ(returnVar.initial.choices.size(), doc.variables().count());

    // Other kinds: a file chooser's first text, a drop-down's list, the trailing blanks.
    const NodeId wave = doc.addNode({1, 0}, Kind::PlayWave);
    EXPECT_EQ(row(rowsFor(doc, wave), "File Path").initial.text, "Click to Open");
    const NodeId compare = doc.addNode({1, 3}, Kind::Compare);
    const std::vector<Row> compareRows = rowsFor(doc, compare);
    const Row &operation = row(compareRows, "Operation");
    EXPECT_EQ(operation.initial.choices,
              (std::vector<std::string>{">", ">=", "<", "<=", "=", "<>"}));
    EXPECT_FALSE(operation.set);
    const NodeId connection = doc.addNode({1, 6}, Kind::CSConnection);
    std::vector<std::string_view> categories;
    for (const Row &r : rowsFor(doc, connection))
        categories.push_back(r.category);
    EXPECT_NE(std::find(categories.begin(), categories.end(), "Send File "), categories.end());
    EXPECT_NE(std::find(categories.begin(), categories.end(), "Send Message "), categories.end());
    EXPECT_EQ(categories.back(), "General Properties");
    EXPECT_TRUE(rowsFor(doc, NoNode).empty());
}

TEST_F(Properties, EmptyCheckBoxesShowTickedAndOthersByTheirNumber)
{
    const NodeId value = doc.addNode({1, 0}, Kind::PlayValue);
    EXPECT_FALSE(row(rowsFor(doc, value), "Digits").set); // empty: stays ticked
    doc.setNodeValue(value, "digits", "2");
    EXPECT_TRUE(row(rowsFor(doc, value), "Digits").set->flag);
    doc.setNodeValue(value, "digits", "false");
    EXPECT_FALSE(row(rowsFor(doc, value), "Digits").set->flag);
}

TEST_F(Properties, RenamingKeepsNamesUnique)
{
    const NodeId a = doc.addNode({1, 0}, Kind::PlayWave);
    const NodeId b = doc.addNode({1, 1}, Kind::Hang);
    EXPECT_TRUE(apply(doc, a, "Node Name", "Welcome").changed);
    EXPECT_EQ(doc.node(a)->name, "Welcome");
    // Taken by another node: silently refused.
    EXPECT_FALSE(apply(doc, b, "Node Name", "Welcome").changed);
    EXPECT_NE(doc.node(b)->name, "Welcome");
    EXPECT_FALSE(apply(doc, a, "Node Name", "Welcome").changed);
    // An unknown label or node changes nothing.
    EXPECT_FALSE(apply(doc, a, "No Such Row", "x").changed);
    EXPECT_FALSE(apply(doc, NoNode, "Node Name", "x").changed);
}

TEST_F(Properties, ClearingDtmfTakesTheKeypadBranchesAndKeepsRecognition)
{
    const NodeId input = userInput({1, 2, 11}, true);
    ASSERT_EQ(childKinds(input),
              (std::vector<NodeKind>{Digit(1), Digit(2), Kind::BranchIfHash, Kind::BranchIfEndKeys,
                                     Kind::BranchIfTimeOut, Kind::BranchIfError,
                                     Kind::BranchIfRecognize}));
    const Change off = apply(doc, input, "DTMF Enabled", "0");
    EXPECT_EQ(off.removed.size(), 6u);
    EXPECT_TRUE(off.created.empty());
    EXPECT_EQ(childKinds(input), (std::vector<NodeKind>{Kind::BranchIfRecognize}));
    EXPECT_EQ(doc.nodeCount(), 1u + 1u + 1u); // start, input, recognition

    // On again: end keys, time-out and error in the row below, after the node's children;
    // then the digit branches of "Allowed Keys" (still "12#", one key) come back.
    const Change on = apply(doc, input, "DTMF Enabled", "1");
    EXPECT_TRUE(on.removed.empty());
    EXPECT_EQ(childKinds(input),
              (std::vector<NodeKind>{Kind::BranchIfRecognize, Kind::BranchIfEndKeys,
                                     Kind::BranchIfTimeOut, Kind::BranchIfError, Digit(1), Digit(2),
                                     Kind::BranchIfHash}));
    const Cell at = doc.node(input)->cell;
    EXPECT_EQ(doc.node(doc.node(input)->children[1])->cell, (Cell{at.row + 1, at.column + 1}));
    EXPECT_EQ(doc.node(doc.node(input)->children[3])->cell, (Cell{at.row + 1, at.column + 3}));
    EXPECT_TRUE(cellsDistinct());

    // ASR off and on.
    apply(doc, input, "ASR Enabled", "0");
    const std::vector<NodeKind> kinds = childKinds(input);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::BranchIfRecognize), 0);
    apply(doc, input, "ASR Enabled", "1");
    EXPECT_EQ(childKinds(input).back(), Kind::BranchIfRecognize);
}

TEST_F(AsteriskProperties, DtmfOnAddsNoEndKeysBranchInAsteriskMode)
{
    const NodeId input = userInput({5});
    apply(doc, input, "DTMF Enabled", "0");
    EXPECT_TRUE(doc.node(input)->children.empty());
    apply(doc, input, "DTMF Enabled", "1");
    EXPECT_EQ(childKinds(input),
              (std::vector<NodeKind>{Kind::BranchIfTimeOut, Kind::BranchIfError, Digit(5)}));
}

TEST_F(Properties, AllowedKeysBringTheDigitBranchesInLine)
{
    const NodeId input = userInput({1, 2});
    const NodeId two = doc.node(input)->children[1];
    const Cell twoCell = doc.node(two)->cell;
    const Change change = apply(doc, input, "Allowed Keys", "23");
    ASSERT_EQ(change.removed.size(), 1u);
    EXPECT_EQ(change.removed[0].data.kind, Digit(1));
    ASSERT_EQ(change.created.size(), 1u);
    EXPECT_EQ(doc.node(change.created[0])->kind, Digit(3));
    EXPECT_TRUE(doc.exists(two));
    // One column to the right of the last branch looked at (the kept "2"); what sat there
    // was pushed down a row.
    EXPECT_EQ(doc.node(change.created[0])->cell, (Cell{twoCell.row, twoCell.column + 1}));
    EXPECT_FALSE(change.moves.empty());
    EXPECT_TRUE(cellsDistinct());

    // More than one key: no digit branches at all; empty keys likewise.
    apply(doc, input, "No Of Keys", "4");
    EXPECT_EQ(std::count_if(doc.node(input)->children.begin(), doc.node(input)->children.end(),
                            [&](NodeId c) { return doc.node(c)->kind <= Kind::BranchIfHash; }),
              0);
    // Below 1 is written as 1, and the branches of "23" come back with "*" and "#" after them.
    apply(doc, input, "Allowed Keys", "23*#x");
    EXPECT_EQ(value(input, "numKeys"), "4");
    apply(doc, input, "No Of Keys", "0");
    EXPECT_EQ(value(input, "numKeys"), "1");
    std::vector<NodeKind> digits;
    for (NodeKind kind : childKinds(input)) {
        if (kind <= Kind::BranchIfHash)
            digits.push_back(kind);
    }
    EXPECT_EQ(digits,
              (std::vector<NodeKind>{Digit(2), Digit(3), Kind::BranchIfStar, Kind::BranchIfHash}));
    apply(doc, input, "Allowed Keys", "");
    EXPECT_EQ(
        childKinds(input),
        (std::vector<NodeKind>{Kind::BranchIfEndKeys, Kind::BranchIfTimeOut, Kind::BranchIfError}));
    EXPECT_TRUE(cellsDistinct());
}

TEST_F(Properties, VariablesStandForTheirDefaults)
{
    doc.addOrUpdateVariable("keys", "1", "");
    doc.addOrUpdateVariable("menu", "78", "");
    EXPECT_EQ(resolveVariable(doc, "$keys$"), "1");
    EXPECT_EQ(resolveVariable(doc, "$nobody$"), "nobody");
    EXPECT_EQ(resolveVariable(doc, "$"), "$");
    EXPECT_EQ(resolveVariable(doc, "12"), "12");

    const NodeId input = userInput({1});
    apply(doc, input, "No Of Keys", "$keys$");
    apply(doc, input, "Allowed Keys", "$menu$");
    EXPECT_EQ(value(input, "allowed"), "$menu$");
    std::vector<NodeKind> digits;
    for (NodeKind kind : childKinds(input)) {
        if (kind <= Kind::BranchIfHash)
            digits.push_back(kind);
    }
    EXPECT_EQ(digits, (std::vector<NodeKind>{Digit(7), Digit(8)}));
    // A variable whose default is not a number counts as below 1.
    doc.addOrUpdateVariable("keys", "many", "");
    apply(doc, input, "Return Var", "$keys$");
    EXPECT_EQ(value(input, "numKeys"), "1");
}

TEST_F(AsteriskProperties, DatabaseAndFileFollowUps)
{
    const NodeId db = doc.addNode({1, 0}, Kind::DbTransaction);
    apply(doc, db, "User Password", "abc");
    EXPECT_EQ(value(db, "password"), "***");
    EXPECT_EQ(doc.node(db)->values[PasswordSlot], "abc");
    apply(doc, db, "User Password", "pässwörd");
    EXPECT_EQ(value(db, "password"), "********");
    apply(doc, db, "Return Type", "Digits");
    EXPECT_EQ(value(db, "retlang"), "English");
    // While the type is "Digits" every change brings English back.
    apply(doc, db, "Return Language", "Arabic");
    EXPECT_EQ(value(db, "retlang"), "English");
    apply(doc, db, "Return Type", "Words");
    apply(doc, db, "Return Language", "Arabic");
    EXPECT_EQ(value(db, "retlang"), "Arabic");

    const NodeId files = doc.addNode({1, 4}, Kind::ACCESSFILES);
    apply(doc, files, "Access Type", "Read");
    apply(doc, files, "Operation", "Create File");
    EXPECT_EQ(value(files, "AccessType"), "Write");
}
