#include "document/clip_block.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vocara {

namespace {

void putInt(std::string &block, size_t at, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (size_t i = 0; i < 4; ++i)
        block[at + i] = static_cast<char>((bits >> (8 * i)) & 0xff);
}

std::int32_t getInt(std::string_view block, size_t at)
{
    std::uint32_t bits = 0;
    for (size_t i = 0; i < 4; ++i)
        bits |= std::uint32_t(static_cast<unsigned char>(block[at + i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

// At most `slot` - 1 bytes of the text, not cutting a character in two; the rest of the
// slot stays zero.
void putText(std::string &block, size_t at, size_t slot, std::string_view text)
{
    size_t length = std::min(text.size(), slot - 1);
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80)
        --length;
    std::memcpy(block.data() + at, text.data(), length);
}

std::string getText(std::string_view block, size_t at, size_t slot)
{
    const std::string_view field = block.substr(at, slot);
    return std::string(field.substr(0, field.find('\0')));
}

bool placeable(NodeKind kind)
{
    return (kind >= 0 && kind <= Kind::BranchIfTimeOutRead) || kind == Kind::BranchIfRecognize;
}

} // namespace

std::string ClipBlock::encode(const std::vector<std::vector<ClipRecord>> &groups,
                              const KindCatalogue &catalogue)
{
    std::string block(Size, '\0');
    size_t count = 0;
    for (const std::vector<ClipRecord> &group : groups) {
        if (count + group.size() > Slots)
            break; // a node never goes without its branches
        for (const ClipRecord &record : group) {
            const size_t at = 4 + count * RecordSize;
            const size_t values =
                std::min({record.values.size(), ValueSlots,
                          static_cast<size_t>(std::max(catalogue.propertyCount(record.kind), 0))});
            putInt(block, at, record.kind);
            putInt(block, at + 4, record.imageClass);
            putInt(block, at + 8, static_cast<std::int32_t>(values));
            putInt(block, at + 12, record.branchCount);
            putInt(block, at + 16, record.parentCount);
            putInt(block, at + 20, record.cell.row);
            putInt(block, at + 24, record.cell.column);
            putText(block, at + 28, NameSize, record.name);
            for (size_t i = 0; i < values; ++i)
                putText(block, at + 48 + i * ValueSize, ValueSize, record.values[i]);
            ++count;
        }
    }
    putInt(block, 0, static_cast<std::int32_t>(count));
    return block;
}

std::optional<std::vector<ClipRecord>> ClipBlock::decode(std::string_view block,
                                                         const KindCatalogue &catalogue)
{
    if (block.size() < Size)
        return std::nullopt;
    const std::int32_t count = getInt(block, 0);
    if (count < 0 || count > static_cast<std::int32_t>(Slots))
        return std::nullopt;
    std::vector<ClipRecord> records;
    for (std::int32_t r = 0; r < count; ++r) {
        const size_t at = 4 + static_cast<size_t>(r) * RecordSize;
        ClipRecord record;
        record.kind = getInt(block, at);
        const std::int32_t values = getInt(block, at + 8);
        if (!placeable(record.kind) || values < 0 ||
            values > std::min<std::int32_t>(catalogue.propertyCount(record.kind),
                                            static_cast<std::int32_t>(ValueSlots)))
            return std::nullopt;
        record.imageClass = isBranchKind(record.kind) ? BranchImageClass : ActionImageClass;
        record.branchCount = std::clamp(getInt(block, at + 12), 0, r);
        record.parentCount = std::max(getInt(block, at + 16), 0);
        record.cell = clampToGrid({getInt(block, at + 20), getInt(block, at + 24)});
        record.name = getText(block, at + 28, NameSize);
        for (std::int32_t i = 0; i < values; ++i)
            record.values.push_back(
                getText(block, at + 48 + static_cast<size_t>(i) * ValueSize, ValueSize));
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<Cell> pasteCells(const std::vector<ClipRecord> &records, Cell at)
{
    std::vector<Cell> cells(records.size());
    if (records.empty())
        return cells;
    at = clampToGrid(at);
    const Cell first = records.back().cell;
    const int rows = at.row - first.row;
    const int columns = at.column - first.column;
    for (size_t i = 0; i < records.size(); ++i) {
        const Cell copied = records[i].cell;
        Cell cell = clampToGrid({copied.row + rows, copied.column + columns});
        if (cell == Cell{0, 0})
            cell = copied;
        if (cell == Cell{0, 0})
            cell = Cell{1, 0}; // a hostile block's record: the start's cell is never taken
        cells[i] = cell;
    }
    return cells;
}

} // namespace vocara
