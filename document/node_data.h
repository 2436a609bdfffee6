#pragma once

#include "document/node_kind.h"

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

namespace vocara {

// Nodes are known by an id that is never reused within a document, so a link, an undo entry
// or a selection that outlives its node can tell that the node is gone.
using NodeId = std::uint64_t;
inline constexpr NodeId NoNode = 0;

// A grid cell: rows grow downwards, columns to the right; a cell is 50 by 50 canvas pixels.
struct Cell
{
    int row = 0;
    int column = 0;

    auto operator<=>(const Cell &) const = default;
};

inline constexpr int CellSize = 50;
// The node box drawn in a cell: its offset inside the cell and its side.
inline constexpr int NodeBoxOffset = 5;
inline constexpr int NodeBoxSize = 38;
// The last row and column of the grid: far beyond any flow a person draws, and its pixels
// (50 a cell) still fit an int. A file with a node beyond it is refused; an edit that would
// go beyond stops at it.
inline constexpr int MaxGridCoordinate = 1'000'000;

// A cell on the grid: negative rows and columns become 0, large ones the limit.
inline constexpr Cell clampToGrid(Cell cell)
{
    return Cell{cell.row < 0                   ? 0
                : cell.row > MaxGridCoordinate ? MaxGridCoordinate
                                               : cell.row,
                cell.column < 0                   ? 0
                : cell.column > MaxGridCoordinate ? MaxGridCoordinate
                                                  : cell.column};
}

inline constexpr Cell cellAtPixel(int x, int y)
{
    return Cell{y / CellSize, x / CellSize};
}

struct NodeRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Every node has at least this many value slots, whatever its kind: slot 11 holds a database
// password in clear while the `password` property shows its mask.
inline constexpr int MinValueSlots = 12;
inline constexpr int PasswordSlot = 11;

struct NodeData
{
    NodeId id = NoNode;
    NodeKind kind = Kind::PlayWave;
    int imageClass = ActionImageClass;
    int propertyCount = 0;
    // The number of children and of parents the node had when it was removed; for a
    // UserInput node the first also counts its branch children.
    int savedChildCount = 0;
    int savedParentCount = 0;
    Cell cell;
    NodeRect rect; // kept by the canvas
    // The node's place in the grid order: nodes of a column in the order they entered it.
    std::uint64_t sequence = 0;
    std::string name;
    // Kept by the document: how many of its nodes have this name.
    const int *nameUses = nullptr;
    std::vector<std::string> values;
    int primaryParent = -1; // index into parents
    std::vector<NodeId> children;
    std::vector<NodeId> parents;
};

// What a removal keeps so that Undo Delete can bring the node back.
struct RemovedNode
{
    NodeId id = NoNode; // the id the node had; a restored node gets a new one
    Cell cell;
    std::string name;
    NodeKind kind = Kind::PlayWave;
    int imageClass = ActionImageClass;
    int propertyCount = 0;
    int savedChildCount = 0;
    std::vector<std::string> values;
    std::vector<NodeId> children;
    std::vector<NodeId> parents;
    bool inGroup = false; // removed together with the entries around it
};

} // namespace vocara
