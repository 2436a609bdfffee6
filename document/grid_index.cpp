// The document's indexes: the grid (which node is on a cell, the grid order, the canvas it
// needs) and the names in use.
#include "document/vocara_doc.h"

#include <algorithm>

namespace vocara {

NodeId CVocaraDoc::nodeAt(Cell cell) const
{
    if (cell.row < 0 || cell.column < 0 || cell.column >= gridColumnCount())
        return NoNode;
    auto it = m_cells.find(cell);
    return it == m_cells.end() ? NoNode : it->second;
}

std::vector<NodeId> CVocaraDoc::nodesInGridOrder() const
{
    if (!m_gridOrderKnown)
        sortGridOrder();
    return m_gridOrder;
}

void CVocaraDoc::sortGridOrder() const
{
    // Column and sequence number in one key, sorted 16 bits at a time from the lowest up:
    // linear in the number of nodes. Columns take 20 bits, sequence numbers the 44 below.
    constexpr int SequenceBits = 44;
    std::vector<std::pair<std::uint64_t, NodeId>> keys;
    keys.reserve(m_nodes.size());
    bool fits = true;
    m_nodes.forEach([&](const NodeData &node) {
        fits = fits && node.sequence >> SequenceBits == 0;
        keys.emplace_back(std::uint64_t(node.cell.column) << SequenceBits | node.sequence, node.id);
    });
    if (fits) {
        std::vector<std::pair<std::uint64_t, NodeId>> sorted(keys.size());
        std::vector<size_t> start(65537);
        for (int shift = 0; shift < 64; shift += 16) {
            std::fill(start.begin(), start.end(), 0);
            for (const auto &key : keys)
                ++start[((key.first >> shift) & 0xFFFF) + 1];
            // Keys alike in these bits keep their order.
            if (std::find(start.begin(), start.end(), keys.size()) != start.end())
                continue;
            for (size_t i = 1; i < start.size(); ++i)
                start[i] += start[i - 1];
            for (const auto &key : keys)
                sorted[start[(key.first >> shift) & 0xFFFF]++] = key;
            keys.swap(sorted);
        }
    } else {
        // Sequence numbers too large to share a key (never from this program's own counting).
        std::sort(keys.begin(), keys.end(), [this](const auto &a, const auto &b) {
            const NodeData &x = *m_nodes.find(a.second);
            const NodeData &y = *m_nodes.find(b.second);
            return std::pair(x.cell.column, x.sequence) < std::pair(y.cell.column, y.sequence);
        });
    }
    m_gridOrder.clear();
    m_gridOrder.reserve(keys.size());
    for (const auto &key : keys)
        m_gridOrder.push_back(key.second);
    m_gridOrderKnown = true;
}

void CVocaraDoc::ensureGridColumns(int count)
{
    m_columnCount = std::max(m_columnCount, std::min(count, MaxGridCoordinate + 1));
}

void CVocaraDoc::growCanvasFor(Cell cell)
{
    constexpr int Margin = 100;
    constexpr int Step = 150;
    const int right = cell.column * CellSize + NodeBoxOffset + NodeBoxSize;
    const int bottom = cell.row * CellSize + NodeBoxOffset + NodeBoxSize;
    // Steps of 150 pixels, three more grid columns with each, until the margin is there.
    if (m_extent.width - right < Margin) {
        const int steps = (Margin - (m_extent.width - right) + Step - 1) / Step;
        m_extent.width += steps * Step;
        ensureGridColumns(gridColumnCount() + 3 * steps);
    }
    if (m_extent.height - bottom < Margin)
        m_extent.height += (Margin - (m_extent.height - bottom) + Step - 1) / Step * Step;
}

void CVocaraDoc::enterGrid(NodeData &node, Cell cell, std::uint64_t sequence)
{
    ensureGridColumns(cell.column + 1);
    growCanvasFor(cell);
    node.cell = cell;
    node.sequence = sequence;
    m_gridOrderKnown = false;
    if (!m_cells.emplace(cell, node.id).second)
        m_stacked.emplace(std::pair(cell, sequence), node.id);
}

void CVocaraDoc::leaveGrid(const NodeData &node)
{
    m_gridOrderKnown = false;
    const auto first = m_cells.find(node.cell);
    if (first->second != node.id) {
        m_stacked.erase(std::pair(node.cell, node.sequence));
        return;
    }
    // The next node placed on the cell takes its place.
    const auto next = m_stacked.lower_bound(std::pair(node.cell, std::uint64_t(0)));
    if (next != m_stacked.end() && next->first.first == node.cell) {
        first->second = next->second;
        m_stacked.erase(next);
    } else {
        m_cells.erase(first);
    }
}

const int *CVocaraDoc::useName(const std::string &name)
{
    int &uses = m_nameUses.try_emplace(name, 0).first->second;
    ++uses;
    return &uses;
}

int CVocaraDoc::nameUseCount(const NodeData &node) const
{
    // A copy of a node does not know.
    if (node.nameUses && m_nodes.find(node.id) == &node)
        return *node.nameUses;
    return nameUseCount(node.name);
}

void CVocaraDoc::forgetName(const std::string &name)
{
    auto it = m_nameUses.find(name);
    if (it != m_nameUses.end() && --it->second == 0)
        m_nameUses.erase(it);
}

} // namespace vocara
