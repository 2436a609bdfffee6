#pragma once

#include "document/kind_catalogue.h"
#include "document/node_data.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vocara {

// One copied node, as the in-process copy list keeps it (a value snapshot, so that nothing
// refers to a node that a cut or a new flow took away) and as a clipboard record carries it.
struct ClipRecord
{
    NodeKind kind = Kind::PlayWave;
    int imageClass = ActionImageClass;
    int branchCount = 0; // the branch children recorded for a UserInput, else the node's count
    int parentCount = 0;
    Cell cell;
    std::string name; // carried, not used by paste
    std::vector<std::string> values;

    bool operator==(const ClipRecord &) const = default;
};

// The clipboard block other running designers read: "MY_CUSTOM_FORMAT", 23,284 bytes, a
// count and fifteen fixed records, little-endian.
namespace ClipBlock {

inline constexpr std::string_view MimeFormat = "MY_CUSTOM_FORMAT";
inline constexpr size_t Slots = 15;
inline constexpr size_t RecordSize = 1552;
inline constexpr size_t Size = 4 + Slots * RecordSize; // 23,284
inline constexpr size_t NameSize = 20;
inline constexpr size_t ValueSize = 100;
inline constexpr size_t ValueSlots = 15;

// The block of the copied nodes. Each group is a node with the branch children copied ahead
// of it; only whole groups go in, as many as fit the fifteen records. A record carries as
// many values as its kind has properties; names and values are cut to their slots at a
// character boundary, always ending in a zero byte.
std::string encode(const std::vector<std::vector<ClipRecord>> &groups,
                   const KindCatalogue &catalogue);

// The records of a block from any process, never trusted: nothing unless the block is whole
// and its count at most 15, each kind one a user can place (0 to 41, or 43) and each value
// count within its kind's properties. Texts end at their slot, rows and columns are clamped
// to the grid, a UserInput's branch count to the records before it.
std::optional<std::vector<ClipRecord>> decode(std::string_view block,
                                              const KindCatalogue &catalogue);

} // namespace ClipBlock

// Where pasted nodes land. They are taken from the end of the list; the first lands on
// `at`, every later one on its copied cell moved by the same offset, never above row 0 nor
// left of column 0. A node whose cell comes out as (0, 0) keeps its copied cell.
std::vector<Cell> pasteCells(const std::vector<ClipRecord> &records, Cell at);

} // namespace vocara
