#include "designer/edit_commands.h"

#include "designer/document_adapter.h"
#include "designer/qt_text.h"

#include <algorithm>

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
    if (m_nodes.made()) {
        m_nodes.redo(doc);
        return;
    }
    std::vector<CVocaraDoc::NodeMove> moves = doc.makeRoomAt(m_cell);
    m_node = doc.addNode(m_cell, m_kind, m_userInput);
    std::vector<NodeId> created;
    if (m_node != NoNode) {
        created.push_back(m_node);
        for (NodeId branch : doc.node(m_node)->children)
            created.push_back(branch);
    }
    m_nodes.set(std::move(created), std::move(moves));
}

void AddNodeCommand::undo()
{
    m_nodes.undo(m_adapter.mutableDoc());
}

void CreatedNodes::set(std::vector<NodeId> created, std::vector<CVocaraDoc::NodeMove> moves)
{
    m_created = std::move(created);
    m_moves = std::move(moves);
    m_removed.clear();
}

void CreatedNodes::undo(CVocaraDoc &doc)
{
    m_removed.clear();
    // The last made first, each taken as it stands just before it goes.
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        if (const std::optional<CVocaraDoc::NodeSnapshot> snapshot = doc.snapshotNode(*it)) {
            m_removed.push_back(*snapshot);
            doc.removeNode(*it);
        }
    }
    for (auto it = m_moves.rbegin(); it != m_moves.rend(); ++it)
        doc.moveNode(it->id, it->from, it->fromSequence);
}

void CreatedNodes::redo(CVocaraDoc &doc)
{
    for (const CVocaraDoc::NodeMove &move : m_moves)
        doc.moveNode(move.id, move.to, move.toSequence);
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it)
        doc.restoreNode(*it);
}

UndoDeleteCommand::UndoDeleteCommand(DocumentAdapter &adapter)
    : m_adapter(adapter)
{
    setText(QStringLiteral("Undo Delete"));
}

void UndoDeleteCommand::redo()
{
    CanvasEdits::UndoDeleteResult result = CanvasEdits::undoDelete(m_adapter.mutableDoc());
    m_restored = std::move(result.restored);
    m_taken = std::move(result.taken);
    m_messages = std::move(result.messages);
}

void UndoDeleteCommand::undo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    for (auto it = m_restored.rbegin(); it != m_restored.rend(); ++it)
        doc.removeNode(*it);
    for (RemovedNode &entry : m_taken)
        doc.pushRemoved(entry);
}

InsertSampleCommand::InsertSampleCommand(DocumentAdapter &adapter, std::string sample, Cell at)
    : m_adapter(adapter)
    , m_sample(std::move(sample))
    , m_at(at)
{
    setText(QStringLiteral("Insert Sample"));
}

void InsertSampleCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (m_nodes.made()) {
        m_nodes.redo(doc);
        return;
    }
    const std::vector<NodeId> before = doc.nodesInGridOrder();
    // A point in the cell: the script's top node (row 1, column 1 of its own grid) lands there.
    doc.insertScript(m_sample, m_at.column * CellSize + 10, m_at.row * CellSize + 10);
    std::vector<NodeId> created;
    for (NodeId id : doc.nodesInGridOrder()) {
        if (std::find(before.begin(), before.end(), id) == before.end())
            created.push_back(id);
    }
    // Ids grow as nodes are made: in this order they were made.
    std::sort(created.begin(), created.end());
    m_nodes.set(std::move(created), {});
}

void InsertSampleCommand::undo()
{
    m_nodes.undo(m_adapter.mutableDoc());
}

PasteCommand::PasteCommand(DocumentAdapter &adapter, std::vector<ClipRecord> records, Cell at)
    : m_adapter(adapter)
    , m_records(std::move(records))
    , m_at(at)
{
    setText(QStringLiteral("Paste"));
}

void PasteCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (m_nodes.made()) {
        m_nodes.redo(doc);
        return;
    }
    CanvasEdits::PasteResult result = CanvasEdits::paste(doc, m_records, m_at);
    m_pasted = result.created;
    m_nodes.set(std::move(result.created), std::move(result.moves));
}

void PasteCommand::undo()
{
    m_nodes.undo(m_adapter.mutableDoc());
}

DeleteNodesCommand::DeleteNodesCommand(DocumentAdapter &adapter, NodeId selected,
                                       const std::vector<NodeId> &multiSelection)
    : m_adapter(adapter)
    , m_plan(CanvasEdits::planDeletion(adapter.doc(), selected, multiSelection))
{
    setText(QStringLiteral("Delete"));
}

void DeleteNodesCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    m_removed.clear();
    m_countsBefore.clear();
    m_undoEntries = 0;
    for (const CanvasEdits::Removal &removal : m_plan) {
        const NodeData *node = doc.node(removal.id);
        if (!node)
            continue;
        if (removal.recordBranchCount) {
            m_countsBefore.push_back({removal.id, {node->savedChildCount, node->savedParentCount}});
            doc.setSavedCounts(removal.id, static_cast<int>(node->children.size()),
                               node->savedParentCount);
        }
        // Taken as it stands just before it goes, so that undoing in reverse is exact.
        m_removed.push_back(*doc.snapshotNode(removal.id));
        if (doc.removeNode(removal.id, removal.mode) && removal.mode != RemoveMode::Forget)
            ++m_undoEntries;
    }
}

void DeleteNodesCommand::undo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    for (size_t i = 0; i < m_undoEntries; ++i)
        doc.takeLastRemoved();
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it)
        doc.restoreNode(*it);
    for (const auto &[id, counts] : m_countsBefore)
        doc.setSavedCounts(id, counts.first, counts.second);
}

LinkCommand::LinkCommand(DocumentAdapter &adapter, NodeId parent, NodeId child, bool remove)
    : m_adapter(adapter)
    , m_parent(parent)
    , m_child(child)
    , m_remove(remove)
{
    setText(remove ? QStringLiteral("Delete Link") : QStringLiteral("Link"));
}

void LinkCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (!m_remove) {
        doc.linkUnchecked(m_parent, m_child);
        return;
    }
    const NodeData *parent = doc.node(m_parent);
    const NodeData *child = doc.node(m_child);
    if (!parent || !child)
        return;
    const auto at = [](const std::vector<NodeId> &list, NodeId id) {
        return static_cast<size_t>(std::find(list.begin(), list.end(), id) - list.begin());
    };
    m_childIndex = at(parent->children, m_child);
    m_parentIndex = at(child->parents, m_parent);
    m_primary = child->primaryParent == static_cast<int>(m_parentIndex);
    doc.unlink(m_parent, m_child);
}

void LinkCommand::undo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (!m_remove) {
        doc.unlink(m_parent, m_child);
        return;
    }
    doc.linkAt(m_parent, m_child, m_childIndex, m_parentIndex);
    if (m_primary)
        doc.setPrimaryParent(m_child, static_cast<int>(m_parentIndex));
}

MoveNodesCommand::MoveNodesCommand(DocumentAdapter &adapter,
                                   std::vector<std::pair<NodeId, Cell>> moves)
    : m_adapter(adapter)
    , m_wanted(std::move(moves))
{
    setText(QStringLiteral("Move"));
}

void MoveNodesCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (m_replay) {
        // Again after an undo: the same moves to the same places in the grid order.
        for (const CVocaraDoc::NodeMove &move : m_done)
            doc.moveNode(move.id, move.to, move.toSequence);
        return;
    }
    m_replay = true;
    for (const auto &[id, to] : m_wanted) {
        if (!CanvasEdits::moveAllowed(doc, id, to))
            continue;
        // Room first (the occupants go down a row), then the node itself.
        for (const CVocaraDoc::NodeMove &pushed : doc.makeRoomAt(to))
            m_done.push_back(pushed);
        const Cell from = doc.node(id)->cell;
        const std::uint64_t place = doc.sequenceOf(id);
        if (doc.moveNode(id, to))
            m_done.push_back({id, from, to, place, doc.sequenceOf(id)});
    }
}

void MoveNodesCommand::undo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    for (auto it = m_done.rbegin(); it != m_done.rend(); ++it)
        doc.moveNode(it->id, it->from, it->fromSequence);
}

} // namespace vocara
