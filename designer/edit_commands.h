#pragma once

#include "document/vocara_doc.h"

#include <QUndoCommand>

namespace vocara {

class DocumentAdapter;

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
    // The node the last redo placed.
    NodeId node() const { return m_node; }

private:
    DocumentAdapter &m_adapter;
    Cell m_cell;
    NodeKind m_kind;
    UserInputChoice m_userInput;
    NodeId m_node = NoNode;
    std::vector<NodeId> m_branches;
    std::vector<CVocaraDoc::NodeMove> m_moves;
};

} // namespace vocara
