// The document's side of moving nodes and of bringing removed nodes back: exact snapshots for
// the designer's undo, and the entries of the Undo Delete list.
#include "document/vocara_doc.h"

#include <algorithm>

namespace vocara {

std::uint64_t CVocaraDoc::sequenceOf(NodeId id) const
{
    const NodeData *data = node(id);
    return data ? data->sequence : 0;
}

bool CVocaraDoc::moveNode(NodeId id, Cell to, std::optional<std::uint64_t> sequence)
{
    NodeData *data = mutableNode(id);
    to = clampToGrid(to);
    if (!data || id == m_startNode || to == Cell{0, 0})
        return false;
    const Cell from = data->cell;
    if (from == to)
        return true;
    leaveGrid(*data);
    enterGrid(*data, to, sequence ? *sequence : m_nextSequence++);
    markModified();
    notify([&](DocumentObserver &o) { o.nodeMoved(id, from, to); });
    return true;
}

std::vector<CVocaraDoc::NodeMove> CVocaraDoc::makeRoomAt(Cell cell)
{
    // Walk down the column to the first free cell, then move from the bottom up.
    std::vector<NodeId> column;
    Cell at = clampToGrid(cell);
    for (NodeId occupant = nodeAt(at);
         occupant != NoNode && occupant != m_startNode && at.row < MaxGridCoordinate;
         occupant = nodeAt(at)) {
        column.push_back(occupant);
        ++at.row;
    }
    std::vector<NodeMove> moves;
    for (auto it = column.rbegin(); it != column.rend(); ++it) {
        const Cell from = node(*it)->cell;
        const Cell to{from.row + 1, from.column};
        const std::uint64_t place = sequenceOf(*it);
        if (moveNode(*it, to))
            moves.push_back({*it, from, to, place, sequenceOf(*it)});
    }
    return moves;
}

std::optional<CVocaraDoc::NodeSnapshot> CVocaraDoc::snapshotNode(NodeId id) const
{
    const NodeData *data = node(id);
    if (!data)
        return std::nullopt;
    NodeSnapshot snapshot;
    snapshot.data = *data;
    snapshot.sequence = data->sequence;
    for (NodeId parent : data->parents) {
        const std::vector<NodeId> &siblings = node(parent)->children;
        snapshot.indexInParent.push_back(static_cast<size_t>(
            std::find(siblings.begin(), siblings.end(), id) - siblings.begin()));
    }
    for (NodeId child : data->children) {
        const NodeData *c = node(child);
        const auto at = std::find(c->parents.begin(), c->parents.end(), id) - c->parents.begin();
        snapshot.indexInChild.push_back(static_cast<size_t>(at));
        snapshot.primaryOfChild.push_back(c->primaryParent == static_cast<int>(at));
    }
    return snapshot;
}

bool CVocaraDoc::linkAt(NodeId parent, NodeId child, size_t childIndex, size_t parentIndex)
{
    NodeData *from = mutableNode(parent);
    NodeData *to = mutableNode(child);
    if (!from || !to || child == m_startNode ||
        std::find(from->children.begin(), from->children.end(), child) != from->children.end())
        return false;
    childIndex = std::min(childIndex, from->children.size());
    parentIndex = std::min(parentIndex, to->parents.size());
    from->children.insert(from->children.begin() + static_cast<long>(childIndex), child);
    to->parents.insert(to->parents.begin() + static_cast<long>(parentIndex), parent);
    if (to->primaryParent >= static_cast<int>(parentIndex))
        ++to->primaryParent;
    markModified();
    notify([&](DocumentObserver &o) { o.linkAdded(parent, child); });
    return true;
}

bool CVocaraDoc::restoreNode(const NodeSnapshot &snapshot)
{
    const NodeData &saved = snapshot.data;
    if (saved.id == NoNode || m_nodes.contains(saved.id) || saved.kind == Kind::Start)
        return false;
    NodeData data = saved;
    data.children.clear();
    data.parents.clear();
    data.primaryParent = -1;
    const Cell cell = clampToGrid(data.cell);
    data.cell = cell;
    enterGrid(data, cell, snapshot.sequence);
    ++m_kindCounts[static_cast<size_t>(data.kind)];
    data.nameUses = useName(data.name);
    m_nodes.insert(std::move(data));
    markModified();
    notify([&](DocumentObserver &o) { o.nodeAdded(saved.id, cell); });
    // Parents in their order, each link at its old place in that parent's children.
    for (size_t i = 0; i < saved.parents.size(); ++i)
        linkAt(saved.parents[i], saved.id, snapshot.indexInParent[i], i);
    for (size_t i = 0; i < saved.children.size(); ++i) {
        if (linkAt(saved.id, saved.children[i], i, snapshot.indexInChild[i]) &&
            snapshot.primaryOfChild[i])
            mutableNode(saved.children[i])->primaryParent = static_cast<int>(
                std::min(snapshot.indexInChild[i], node(saved.children[i])->parents.size() - 1));
    }
    mutableNode(saved.id)->primaryParent = saved.primaryParent;
    return true;
}

NodeId CVocaraDoc::recreateRemoved(const RemovedNode &removed)
{
    if (removed.id == NoNode || m_nodes.contains(removed.id) || removed.kind == Kind::Start ||
        !m_catalogue->descriptor(removed.kind))
        return NoNode;
    NodeSnapshot snapshot;
    NodeData &data = snapshot.data;
    data.id = removed.id;
    data.kind = removed.kind;
    data.imageClass = removed.imageClass;
    data.propertyCount = m_catalogue->propertyCount(removed.kind);
    data.savedChildCount = removed.savedChildCount;
    data.cell = clampToGrid(removed.cell);
    data.name = removed.name;
    if (isNameTaken(data.name))
        data.name += " S " + std::to_string(m_second());
    data.values = removed.values;
    data.values.resize(std::max(data.values.size(),
                                static_cast<size_t>(std::max(MinValueSlots, data.propertyCount))));
    snapshot.sequence = m_nextSequence++;
    return restoreNode(snapshot) ? removed.id : NoNode;
}

std::optional<RemovedNode> CVocaraDoc::takeLastRemoved()
{
    if (m_undoList.empty())
        return std::nullopt;
    RemovedNode last = std::move(m_undoList.back());
    m_undoList.pop_back();
    return last;
}

} // namespace vocara
