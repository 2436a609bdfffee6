#include "designer/edit_commands.h"

#include "designer/document_adapter.h"
#include "designer/qt_text.h"

namespace vocara {

AddNodeCommand::AddNodeCommand(DocumentAdapter &adapter, Cell cell, NodeKind kind,
                               UserInputChoice userInput)
    : m_adapter(adapter)
    , m_cell(cell)
    , m_kind(kind)
    , m_userInput(std::move(userInput))
{
    const KindDescriptor *descriptor = adapter.doc().catalogue().descriptor(kind);
    setText(descriptor ? qt(descriptor->displayName) : QString::number(kind));
}

void AddNodeCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    m_moves = doc.makeRoomAt(m_cell);
    m_node = doc.addNode(m_cell, m_kind, m_userInput);
    m_branches = m_node != NoNode ? doc.node(m_node)->children : std::vector<NodeId>{};
}

void AddNodeCommand::undo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    for (NodeId branch : m_branches)
        doc.removeNode(branch);
    doc.removeNode(m_node);
    for (auto it = m_moves.rbegin(); it != m_moves.rend(); ++it)
        doc.moveNode(it->id, it->from);
    m_node = NoNode;
}

} // namespace vocara
