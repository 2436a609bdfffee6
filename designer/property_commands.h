#pragma once

#include "designer/edit_commands.h"
#include "document/property_edits.h"

#include <QUndoCommand>

#include <string>
#include <vector>

namespace vocara {

class DocumentAdapter;

// One committed change in the properties bar: the node's name and values before and after,
// and the branch children the change removed and made, so that undo and redo give back
// exactly the flow before and after (the same node ids included). Successive changes of one
// property of one node that touch no branches merge into one command.
class PropertyCommand : public QUndoCommand
{
public:
    PropertyCommand(DocumentAdapter &adapter, NodeId node, std::string label, std::string text);

    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;
    NodeId node() const { return m_node; }

private:
    struct State
    {
        std::string name;
        std::vector<std::string> values;
        bool operator==(const State &) const = default;
    };
    State stateNow() const;
    void put(const State &state);

    DocumentAdapter &m_adapter;
    NodeId m_node;
    std::string m_label;
    std::string m_text;
    bool m_done = false;
    bool m_branches = false;
    State m_before;
    State m_after;
    std::vector<CVocaraDoc::NodeSnapshot> m_removed;
    CreatedNodes m_created;
};

// One Add, Modify or Del of the variables bar: the whole variable list before and after.
class VariablesCommand : public QUndoCommand
{
public:
    VariablesCommand(DocumentAdapter &adapter, const QString &text, VariableList after);

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    VariableList m_before;
    VariableList m_after;
};

// Settings > Asterisk's OK: the dialplan settings and the variables it sets, before and after.
class DialplanSettingsCommand : public QUndoCommand
{
public:
    DialplanSettingsCommand(DocumentAdapter &adapter, const QString &text, DialplanSettings before,
                            VariableList variablesBefore);

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    DialplanSettings m_before;
    DialplanSettings m_after;
    VariableList m_variablesBefore;
    VariableList m_variablesAfter;
};

// File > Attach Files' "Save Changes": the attached file list before and after.
class AttachedFilesCommand : public QUndoCommand
{
public:
    AttachedFilesCommand(DocumentAdapter &adapter, const QString &text,
                         std::vector<std::string> after);

    void redo() override;
    void undo() override;

private:
    DocumentAdapter &m_adapter;
    std::vector<std::string> m_before;
    std::vector<std::string> m_after;
};

} // namespace vocara
