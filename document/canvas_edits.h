#pragma once

#include "document/clip_block.h"
#include "document/vocara_doc.h"

#include <string_view>
#include <vector>

namespace vocara {

// The canvas's editing rules that do not depend on any widget: what a delete takes away and
// where a move may go.
namespace CanvasEdits {

// One node to remove, in order: built-in branches come before their node.
struct Removal
{
    NodeId id = NoNode;
    RemoveMode mode = RemoveMode::KeepForUndo;
    bool recordBranchCount = false; // a UserInput node keeps how many branches it had
};

// What Delete removes. One node (fewer than two in the multi-selection): nothing for the
// start node, nor for a branch that still has a parent; a node with built-in children loses
// them first. Several: the multi-selection in order up to the start node, action nodes and
// parentless branches only; every node after the group's first is marked to come back with it.
std::vector<Removal> planDeletion(const CVocaraDoc &doc, NodeId selected,
                                  const std::vector<NodeId> &multiSelection);

// Whether a move of the node to the cell is allowed: not onto (0, 0), a negative cell, its own
// cell or its first parent's cell.
bool moveAllowed(const CVocaraDoc &doc, NodeId id, Cell to);

// The link "Delete Link to Child" and "Select Link to Child" act on: the node's first child.
// Deleting it does nothing for a parent with built-in children.
bool linkDeletable(const CVocaraDoc &doc, NodeId parent);

// Which items of the canvas's right-click menu are enabled, from the selected node, the size
// of the multi-selection and the node under the pointer (NoNode on empty canvas).
struct ContextMenuState
{
    bool createLink = false;
    bool deleteLink = false;
    bool selectLink = false;
    bool copyCutDelete = false;
    bool paste = true;
};
ContextMenuState contextMenuState(const CVocaraDoc &doc, NodeId selected, size_t multiCount,
                                  NodeId underPointer);

// Where a group drag puts each node: the dragged node last, every node by the drag's offset
// (negative rows and columns become 0), the start node never.
std::vector<std::pair<NodeId, Cell>> groupMoveTargets(const CVocaraDoc &doc,
                                                      std::vector<NodeId> selection, NodeId dragged,
                                                      Cell release);

// What Copy takes: for the selected node, or each action node of the multi-selection in
// order up to the start node (branches skipped), a group of its branch children (the
// built-in ones, or every child of a UserInput) followed by the node itself.
std::vector<std::vector<ClipRecord>> copyGroups(const CVocaraDoc &doc, NodeId selected,
                                                const std::vector<NodeId> &multiSelection);

// Pastes records (from the copy list or a clipboard block) at a cell: each node is added as
// a new node of its kind with a new default name and its copied values, occupants pushed
// down; a node with built-in branches takes the records before it as its branches (two, or
// a UserInput's recorded count) and links them in their copied order.
struct PasteResult
{
    std::vector<NodeId> created; // in the order they were made
    std::vector<CVocaraDoc::NodeMove> moves;
};
PasteResult paste(CVocaraDoc &doc, const std::vector<ClipRecord> &records, Cell at);

// Undo Delete: the last entry of the document's undo list comes back (nothing for an empty
// list), under its own id, with its old cell and name; a node with built-in branches brings
// the entries before it back as its branches (two, or a UserInput's recorded count), a node
// deleted in a group the entry before it too, never reaching past the list's start. Saved
// children and parents that still exist are linked again; missing ones are reported.
struct UndoDeleteResult
{
    std::vector<NodeId> restored;   // in the order they came back
    std::vector<RemovedNode> taken; // the entries, in their order on the list
    std::vector<std::string_view> messages;
};
UndoDeleteResult undoDelete(CVocaraDoc &doc);

} // namespace CanvasEdits
} // namespace vocara
