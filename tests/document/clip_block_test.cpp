#include "document/clip_block.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vocara;

namespace {

const KindCatalogue &catalogue()
{
    return KindCatalogue::forMode(CatalogueMode::Asterisk);
}

ClipRecord record(NodeKind kind, Cell cell, std::string name = "n",
                  std::vector<std::string> values = {})
{
    ClipRecord r;
    r.kind = kind;
    r.imageClass = isBranchKind(kind) ? BranchImageClass : ActionImageClass;
    r.cell = cell;
    r.name = std::move(name);
    r.values = std::move(values);
    return r;
}

void putInt(std::string &block, size_t at, std::int32_t value)
{
    std::memcpy(block.data() + at, &value, 4); // the test machine is little-endian
}

} // namespace

TEST(ClipBlock, RecordsRoundTripAtTheirOffsets)
{
    ClipRecord compare = record(Kind::Compare, {2, 3}, "Check", {"$a$", "=", "1"});
    compare.parentCount = 1;
    const std::vector<ClipRecord> group = {record(Kind::BranchIfTrue, {3, 3}, "Yes"),
                                           record(Kind::BranchIfFalse, {3, 4}, "No"), compare};
    const std::string block = ClipBlock::encode({group}, catalogue());
    ASSERT_EQ(block.size(), 23284u);
    EXPECT_EQ(block[0], 3);
    // The third record: kind 11, strip 168, three values, its name at 28, its first value at 48.
    const size_t at = 4 + 2 * 1552;
    EXPECT_EQ(block[at], 11);
    EXPECT_EQ(static_cast<unsigned char>(block[at + 4]), 168);
    EXPECT_EQ(block[at + 8], 3);
    EXPECT_EQ(block[at + 20], 2);
    EXPECT_EQ(block[at + 24], 3);
    EXPECT_EQ(std::string(block.data() + at + 28), "Check");
    EXPECT_EQ(std::string(block.data() + at + 48), "$a$");
    EXPECT_EQ(std::string(block.data() + at + 148), "=");
    const auto decoded = ClipBlock::decode(block, catalogue());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, group);
}

TEST(ClipBlock, OnlyWholeNodesFitAndTextsAreCutAtCharacters)
{
    // Five nodes with two branches each take fifteen records exactly; a sixth does not go.
    std::vector<std::vector<ClipRecord>> groups;
    for (int i = 0; i < 6; ++i)
        groups.push_back({record(Kind::BranchIfSuccess, {2, i}), record(Kind::BranchIfFail, {2, i}),
                          record(Kind::Transfer, {1, i})});
    std::string block = ClipBlock::encode(groups, catalogue());
    EXPECT_EQ(block[0], 15);
    // A node with its two branches does not go in half when two records are left.
    groups.assign(4, {record(Kind::BranchIfSuccess, {2, 0}), record(Kind::BranchIfFail, {2, 1}),
                      record(Kind::Transfer, {1, 0})});
    groups.insert(groups.begin(), {record(Kind::Wait, {1, 1})});
    groups.insert(groups.begin(), {record(Kind::Wait, {1, 2})});
    block = ClipBlock::encode(groups, catalogue());
    EXPECT_EQ(block[0], 14);

    // "é" is two bytes: a name of 19 of them keeps 9 whole characters and its zero byte.
    std::string accents;
    for (int i = 0; i < 19; ++i)
        accents += "\xc3\xa9";
    block = ClipBlock::encode({{record(Kind::Wait, {1, 1}, accents, {std::string(300, 'v')})}},
                              catalogue());
    const auto decoded = ClipBlock::decode(block, catalogue());
    ASSERT_TRUE(decoded);
    EXPECT_EQ((*decoded)[0].name.size(), 18u);
    EXPECT_EQ((*decoded)[0].values[0], std::string(99, 'v'));
}

TEST(ClipBlock, HostileBlocksAreRefusedOrClamped)
{
    const std::string good = ClipBlock::encode({{record(Kind::Wait, {1, 1})}}, catalogue());
    EXPECT_FALSE(ClipBlock::decode(good.substr(0, 23283), catalogue()));
    EXPECT_FALSE(ClipBlock::decode("", catalogue()));
    std::string bad = good;
    putInt(bad, 0, 16);
    EXPECT_FALSE(ClipBlock::decode(bad, catalogue()));
    putInt(bad, 0, -1);
    EXPECT_FALSE(ClipBlock::decode(bad, catalogue()));
    for (std::int32_t kind : {42, 44, 45, 49, 50, -1, 1000}) {
        bad = good;
        putInt(bad, 4, kind);
        EXPECT_FALSE(ClipBlock::decode(bad, catalogue())) << kind;
    }
    bad = good;
    putInt(bad, 4 + 8, catalogue().propertyCount(Kind::Wait) + 1); // more values than the kind
    EXPECT_FALSE(ClipBlock::decode(bad, catalogue()));

    // Texts without their zero byte end at their slot; cells come back onto the grid; a
    // branch count never reaches past the records before it.
    bad = ClipBlock::encode({{record(Kind::Hang, {1, 1}), record(Kind::UserInput, {1, 1})}},
                            catalogue());
    std::memset(bad.data() + 4 + 28, 'x', 20);
    putInt(bad, 4 + 20, -5);
    putInt(bad, 4 + 24, 2000000000);
    putInt(bad, 4 + 1552 + 12, 9);
    const auto clamped = ClipBlock::decode(bad, catalogue());
    ASSERT_TRUE(clamped);
    EXPECT_EQ((*clamped)[0].name, std::string(20, 'x'));
    EXPECT_EQ((*clamped)[0].cell, (Cell{0, MaxGridCoordinate}));
    EXPECT_EQ((*clamped)[1].branchCount, 1);

    // A value slot filled to its end is read whole and written back one byte shorter, so that
    // it ends in its zero byte again (found by fuzzing the round trip).
    bad = ClipBlock::encode({{record(Kind::Wait, {1, 1}, "w", {"5"})}}, catalogue());
    std::memset(bad.data() + 4 + 48, 'v', 100);
    const auto full = ClipBlock::decode(bad, catalogue());
    ASSERT_TRUE(full);
    EXPECT_EQ((*full)[0].values[0].size(), 100u);
    const auto again = ClipBlock::decode(ClipBlock::encode({*full}, catalogue()), catalogue());
    EXPECT_EQ((*again)[0].values[0], std::string(99, 'v'));
}

TEST(ClipBlock, PastedCellsMoveTogetherAndStayOnTheGrid)
{
    // The node copied last lands on the paste point; the rest keep their distance.
    const std::vector<ClipRecord> copied = {record(Kind::BranchIfTrue, {3, 3}),
                                            record(Kind::Wait, {2, 5}),
                                            record(Kind::Compare, {5, 5})};
    EXPECT_EQ(pasteCells(copied, {10, 1}), (std::vector<Cell>{{8, 0}, {7, 1}, {10, 1}}));
    // Pasted near the top left: nothing goes above row 0 or left of column 0, and a node
    // that would land on the start's cell keeps its copied cell.
    EXPECT_EQ(pasteCells(copied, {0, 1}), (std::vector<Cell>{{3, 3}, {0, 1}, {0, 1}}));
}
