#include "document/canvas_edits.h"

#include <algorithm>

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

} // namespace vocara::CanvasEdits
