#include "designer/property_commands.h"

#include "designer/document_adapter.h"
#include "designer/qt_text.h"

namespace vocara {

namespace {
constexpr int PropertyCommandId = 0x5052; // merges typing into one property
}

PropertyCommand::PropertyCommand(DocumentAdapter &adapter, NodeId node, std::string label,
                                 std::string text)
    : m_adapter(adapter)
    , m_node(node)
    , m_label(std::move(label))
    , m_text(std::move(text))
{
    setText(qt(m_label));
}

PropertyCommand::State PropertyCommand::stateNow() const
{
    const NodeData *data = m_adapter.doc().node(m_node);
    return data ? State{data->name, data->values} : State{};
}

void PropertyCommand::put(const State &state)
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    doc.setNodeName(m_node, state.name);
    for (size_t i = 0; i < state.values.size(); ++i)
        doc.setNodeValue(m_node, static_cast<int>(i), state.values[i]);
}

void PropertyCommand::redo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (m_done) {
        put(m_after);
        for (const CVocaraDoc::NodeSnapshot &removed : m_removed)
            doc.removeNode(removed.data.id);
        m_created.redo(doc);
        return;
    }
    m_done = true;
    m_before = stateNow();
    PropertyEdits::Change change = PropertyEdits::apply(doc, m_node, m_label, m_text);
    m_after = stateNow();
    // Nothing changed (the same value, a name in use): nothing to keep on the stack.
    setObsolete(!change.changed);
    m_branches = change.changedBranches();
    m_removed = std::move(change.removed);
    m_created.set(std::move(change.created), std::move(change.moves));
}

void PropertyCommand::undo()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    m_created.undo(doc);
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it)
        doc.restoreNode(*it);
    put(m_before);
}

int PropertyCommand::id() const
{
    return PropertyCommandId;
}

bool PropertyCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const PropertyCommand *>(other);
    if (next->m_node != m_node || next->m_label != m_label || next->m_branches || m_branches)
        return false;
    m_after = next->m_after;
    m_text = next->m_text;
    // Typed back to where it started: the command has nothing left to undo.
    setObsolete(m_after == m_before);
    return true;
}

VariablesCommand::VariablesCommand(DocumentAdapter &adapter, const QString &text,
                                   VariableList after)
    : m_adapter(adapter)
    , m_before(adapter.doc().variables())
    , m_after(std::move(after))
{
    setText(text);
}

void VariablesCommand::redo()
{
    m_adapter.mutableDoc().setVariables(m_after);
}

void VariablesCommand::undo()
{
    m_adapter.mutableDoc().setVariables(m_before);
}

DialplanSettingsCommand::DialplanSettingsCommand(DocumentAdapter &adapter, const QString &text,
                                                 DialplanSettings before,
                                                 VariableList variablesBefore)
    : m_adapter(adapter)
    , m_before(std::move(before))
    , m_after(adapter.doc().dialplanSettings())
    , m_variablesBefore(std::move(variablesBefore))
    , m_variablesAfter(adapter.doc().variables())
{
    setText(text);
}

void DialplanSettingsCommand::redo()
{
    m_adapter.mutableDoc().setDialplanSettings(m_after);
    m_adapter.mutableDoc().setVariables(m_variablesAfter);
}

void DialplanSettingsCommand::undo()
{
    m_adapter.mutableDoc().setDialplanSettings(m_before);
    m_adapter.mutableDoc().setVariables(m_variablesBefore);
}

AttachedFilesCommand::AttachedFilesCommand(DocumentAdapter &adapter, const QString &text,
                                           std::vector<std::string> after)
    : m_adapter(adapter)
    , m_before(adapter.doc().attachedFiles())
    , m_after(std::move(after))
{
    setText(text);
}

void AttachedFilesCommand::redo()
{
    m_adapter.mutableDoc().setAttachedFiles(m_after);
}

void AttachedFilesCommand::undo()
{
    m_adapter.mutableDoc().setAttachedFiles(m_before);
}

} // namespace vocara
