#pragma once

#include "document/canvas_edits.h"
#include "document/vocara_doc.h"

#include <QUndoCommand>

#include <string>

namespace vocara {

class DocumentAdapter;

// Nodes a command made (and the occupants it pushed down): undo takes them away and moves the
// others back; redo brings the same nodes back under the same ids, so that later commands on
// the stack still find them.
class CreatedNodes
{
public:
    void set(std::vector<NodeId> created, std::vector<CVocaraDoc::NodeMove> moves);
    bool made() const { return !m_created.empty() || !m_removed.empty(); }
    void undo(CVocaraDoc &doc);
    void redo(CVocaraDoc &doc);

private:
    std::vector<NodeId> m_created; // in the order they were made
    std::vector<CVocaraDoc::NodeMove> m_moves;
    std::vector<CVocaraDoc::NodeSnapshot> m_removed; // by the last undo, in removal order
};

// Places a node of a kind at a cell as the user does with a node tool: an occupant is pushed
// down first, built-in branches come in the row below. Undo takes the node and its branches
// away and moves the pushed nodes back up.
class AddNodeCommand : public QUndoCommand
{
public:
    AddNodeCommand(DocumentAdapter &adapter, Cell cell, NodeKind kind,
                   UserInputChoice userInput = {});

    void redo() override;
    void undo() override;
    // The node placed (the same one after every redo).
    NodeId node() const { return m_node; }

private:
    DocumentAdapter &m_adapter;
    Cell m_cell;
    NodeKind m_kind;
    UserInputChoice m_userInput;
    NodeId m_node = NoNode;
    CreatedNodes m_nodes;
};

// The Part's own Undo Delete, itself undoable: undo takes the restored nodes away again and
// puts their entries back on the document's undo list.
class UndoDeleteCommand : public QUndoCommand
{
public:
    explicit UndoDeleteCommand(DocumentAdapter &adapter);

    void redo() override;
    void undo() override;
    // What the last redo had to say (missing children or parents).
    const std::vector<std::string_view> &messages() const { return m_messages; }
    const std::vector<NodeId> &restored() const { return m_restored; }

private:
    DocumentAdapter &m_adapter;
    std::vector<NodeId> m_restored;
    std::vector<RemovedNode> m_taken;
    std::vector<std::string_view> m_messages;
};

// Inserts a sample script (a ReadyMade sample or a chosen .qsc file) with its top node at a
// cell; its nodes come unlinked from the rest of the flow.
class InsertSampleCommand : public QUndoCommand
{
public:
    InsertSampleCommand(DocumentAdapter &adapter, std::string sample, Cell at);

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    std::string m_sample;
    Cell m_at;
    CreatedNodes m_nodes;
};

// Pastes copied records at a cell (CanvasEdits::paste).
class PasteCommand : public QUndoCommand
{
public:
    PasteCommand(DocumentAdapter &adapter, std::vector<ClipRecord> records, Cell at);

    void redo() override;
    void undo() override;
    const std::vector<NodeId> &pasted() const { return m_pasted; }

private:
    DocumentAdapter &m_adapter;
    std::vector<ClipRecord> m_records;
    Cell m_at;
    std::vector<NodeId> m_pasted;
    CreatedNodes m_nodes;
};

// Removes nodes as Delete does (the plan of CanvasEdits::planDeletion), keeping each in the
// document's undo list for Undo Delete. Undo brings every node back under its own id, with
// its links in their old places, and takes the entries off the undo list again.
class DeleteNodesCommand : public QUndoCommand
{
public:
    DeleteNodesCommand(DocumentAdapter &adapter, NodeId selected,
                       const std::vector<NodeId> &multiSelection);
    bool isEmpty() const { return m_plan.empty(); }

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    std::vector<CanvasEdits::Removal> m_plan;
    std::vector<CVocaraDoc::NodeSnapshot> m_removed;
    std::vector<std::pair<NodeId, std::pair<int, int>>> m_countsBefore;
    size_t m_undoEntries = 0;
};

// A link the user makes (with the document's rules and messages) or takes away; undo puts
// the flow back as it was, the link's place in both lists included.
class LinkCommand : public QUndoCommand
{
public:
    LinkCommand(DocumentAdapter &adapter, NodeId parent, NodeId child, bool remove);

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    NodeId m_parent;
    NodeId m_child;
    bool m_remove;
    size_t m_childIndex = 0;
    size_t m_parentIndex = 0;
    bool m_primary = false;
};

// Moves nodes to cells, pushing occupants down as adding does; several nodes move one after
// the other (a group move), each by the same rules.
class MoveNodesCommand : public QUndoCommand
{
public:
    MoveNodesCommand(DocumentAdapter &adapter, std::vector<std::pair<NodeId, Cell>> moves);

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    std::vector<std::pair<NodeId, Cell>> m_wanted;
    std::vector<CVocaraDoc::NodeMove> m_done;
    bool m_replay = false;
};

} // namespace vocara
