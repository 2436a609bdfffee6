#include "document/canvas_edits.h"

#include "document/messages.h"

#include <algorithm>
#include <functional>

namespace vocara::CanvasEdits {

namespace {

void planOne(const CVocaraDoc &doc, NodeId id, RemoveMode mode, std::vector<Removal> &plan)
{
    const NodeData *node = doc.node(id);
    if (hasBuiltInChildren(node->kind)) {
        for (NodeId child : node->children)
            plan.push_back({child, RemoveMode::KeepForUndo, false});
    }
    plan.push_back({id, mode, node->kind == Kind::UserInput});
}

} // namespace

std::vector<Removal> planDeletion(const CVocaraDoc &doc, NodeId selected,
                                  const std::vector<NodeId> &multiSelection)
{
    std::vector<Removal> plan;
    if (multiSelection.size() < 2) {
        const NodeData *node = doc.node(selected);
        if (!node || selected == doc.startNode())
            return plan;
        if (isBranchKind(node->kind) && !node->parents.empty())
            return plan;
        planOne(doc, selected, RemoveMode::KeepForUndo, plan);
        return plan;
    }
    bool first = true;
    for (NodeId id : multiSelection) {
        if (id == doc.startNode())
            break;
        const NodeData *node = doc.node(id);
        // Taken away already, as a branch of an earlier node of the group.
        if (!node ||
            std::any_of(plan.begin(), plan.end(), [id](const Removal &r) { return r.id == id; }))
            continue;
        if (isBranchKind(node->kind) && !node->parents.empty())
            continue;
        planOne(doc, id, first ? RemoveMode::KeepForUndo : RemoveMode::KeepForUndoInGroup, plan);
        first = false;
    }
    return plan;
}

bool moveAllowed(const CVocaraDoc &doc, NodeId id, Cell to)
{
    const NodeData *node = doc.node(id);
    if (!node || id == doc.startNode() || to.row < 0 || to.column < 0 || to == Cell{0, 0} ||
        to == node->cell)
        return false;
    const NodeData *parent = node->parents.empty() ? nullptr : doc.node(node->parents.front());
    return !parent || parent->cell != to;
}

bool linkDeletable(const CVocaraDoc &doc, NodeId parent)
{
    const NodeData *node = doc.node(parent);
    return node && !node->children.empty() && !hasBuiltInChildren(node->kind);
}

ContextMenuState contextMenuState(const CVocaraDoc &doc, NodeId selected, size_t multiCount,
                                  NodeId underPointer)
{
    ContextMenuState state;
    const NodeData *node = doc.node(underPointer);
    state.createLink = doc.exists(selected) && multiCount < 2;
    if (node) {
        state.deleteLink =
            multiCount < 2 && !node->children.empty() && !hasBuiltInChildren(node->kind);
        state.selectLink = multiCount < 2 && !node->children.empty();
        state.copyCutDelete = node->kind <= Kind::LastAction;
    }
    return state;
}

std::vector<std::pair<NodeId, Cell>>
groupMoveTargets(const CVocaraDoc &doc, std::vector<NodeId> selection, NodeId dragged, Cell release)
{
    std::vector<std::pair<NodeId, Cell>> targets;
    const NodeData *anchor = doc.node(dragged);
    if (!anchor)
        return targets;
    std::erase(selection, dragged);
    selection.push_back(dragged);
    const int rows = release.row - anchor->cell.row;
    const int columns = release.column - anchor->cell.column;
    // Taken from the end of the list to its start.
    for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
        const NodeData *node = doc.node(*it);
        if (!node || *it == doc.startNode())
            continue;
        targets.push_back({*it, Cell{std::max(node->cell.row + rows, 0),
                                     std::max(node->cell.column + columns, 0)}});
    }
    return targets;
}

namespace {

ClipRecord recordOf(const NodeData &node)
{
    ClipRecord record;
    record.kind = node.kind;
    record.imageClass = node.imageClass;
    record.branchCount = node.kind == Kind::UserInput ? static_cast<int>(node.children.size())
                                                      : node.savedChildCount;
    record.parentCount = static_cast<int>(node.parents.size());
    record.cell = node.cell;
    record.name = node.name;
    // Every slot, the password's included: the copy list has no size limit.
    record.values = node.values;
    return record;
}

} // namespace

std::vector<std::vector<ClipRecord>> copyGroups(const CVocaraDoc &doc, NodeId selected,
                                                const std::vector<NodeId> &multiSelection)
{
    std::vector<std::vector<ClipRecord>> groups;
    auto copyOne = [&](const NodeData &node) {
        std::vector<ClipRecord> group;
        if (hasBuiltInChildren(node.kind)) {
            for (NodeId child : node.children) {
                if (const NodeData *branch = doc.node(child))
                    group.push_back(recordOf(*branch));
            }
        }
        group.push_back(recordOf(node));
        groups.push_back(std::move(group));
    };
    if (multiSelection.size() < 2) {
        const NodeData *node = doc.node(selected);
        if (node && selected != doc.startNode())
            copyOne(*node);
        return groups;
    }
    for (NodeId id : multiSelection) {
        if (id == doc.startNode())
            break;
        const NodeData *node = doc.node(id);
        if (node && node->kind <= Kind::LastAction)
            copyOne(*node);
    }
    return groups;
}

PasteResult paste(CVocaraDoc &doc, const std::vector<ClipRecord> &records, Cell at)
{
    PasteResult result;
    const std::vector<Cell> cells = pasteCells(records, at);
    long next = static_cast<long>(records.size()) - 1; // taken from the end
    std::function<NodeId()> pasteNext = [&]() -> NodeId {
        const size_t index = static_cast<size_t>(next--);
        const ClipRecord &record = records[index];
        for (const CVocaraDoc::NodeMove &move : doc.makeRoomAt(cells[index]))
            result.moves.push_back(move);
        const NodeId id = doc.createNode(cells[index], record.kind);
        if (id == NoNode)
            return NoNode;
        result.created.push_back(id);
        const size_t count = std::min(record.values.size(), doc.node(id)->values.size());
        for (size_t i = 0; i < count; ++i)
            doc.setNodeValue(id, static_cast<int>(i), record.values[i]);
        doc.setSavedCounts(id, record.branchCount, doc.node(id)->savedParentCount);
        if (!hasBuiltInChildren(record.kind))
            return id;
        const long branches = record.kind == Kind::UserInput ? record.branchCount : 2;
        std::vector<NodeId> children;
        for (long b = 0; b < branches && next >= 0; ++b)
            children.push_back(pasteNext());
        // Copied ahead of their node in their order: linked in that order again.
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (*it != NoNode)
                doc.linkUnchecked(id, *it);
        }
        return id;
    };
    while (next >= 0)
        pasteNext();
    return result;
}

UndoDeleteResult undoDelete(CVocaraDoc &doc)
{
    UndoDeleteResult result;
    std::vector<RemovedNode> entries;
    // Which entries come back: the last, then as many before it as it asks for.
    std::function<void()> take = [&] {
        std::optional<RemovedNode> entry = doc.takeLastRemoved();
        if (!entry)
            return; // the start of the list: nothing more to bring back
        const RemovedNode node = *entry;
        entries.push_back(std::move(*entry));
        long more = 0;
        if (hasBuiltInChildren(node.kind))
            more = node.kind == Kind::UserInput ? node.savedChildCount : 2;
        for (long i = 0; i < more; ++i)
            take();
        if (node.inGroup)
            take();
    };
    take();
    // Back in the order they were deleted: branches before their node, each link restored in
    // the order it had.
    result.taken.assign(entries.rbegin(), entries.rend());
    for (const RemovedNode &entry : result.taken) {
        const NodeId id = doc.recreateRemoved(entry);
        if (id != NoNode)
            result.restored.push_back(id);
    }
    bool childMissing = false;
    bool parentMissing = false;
    for (const RemovedNode &entry : result.taken) {
        if (!doc.exists(entry.id))
            continue;
        for (NodeId child : entry.children) {
            if (!doc.exists(child))
                childMissing = true;
            else
                doc.linkUnchecked(entry.id, child);
        }
        for (NodeId parent : entry.parents) {
            if (!doc.exists(parent) && parent != doc.startNode())
                parentMissing = parentMissing || entry.kind <= Kind::LastAction;
            else
                doc.linkUnchecked(parent, entry.id);
        }
    }
    if (childMissing)
        result.messages.push_back(Msg::ChildrenNotFound);
    if (parentMissing)
        result.messages.push_back(Msg::ParentsNotFound);
    return result;
}

} // namespace vocara::CanvasEdits
