#include "document/property_edits.h"

#include <algorithm>
#include <cstdlib>

namespace vocara::PropertyEdits {

namespace {

// Properties of the kinds whose changes have follow-ups, by their place in the catalogue.
namespace UserInputProperty {
constexpr int DtmfEnabled = 2;
constexpr int NumberOfKeys = 3;
constexpr int AllowedKeys = 4;
constexpr int AsrEnabled = 6;
} // namespace UserInputProperty
namespace AccessFilesProperty {
constexpr int Operation = 1;
constexpr int AccessType = 2;
} // namespace AccessFilesProperty
namespace DatabaseProperty {
constexpr int ReturnType = 5;
constexpr int ReturnLanguage = 6;
} // namespace DatabaseProperty
constexpr std::string_view PasswordLabel = "User Password";
constexpr std::string_view CreateFile = "Create File";
constexpr std::string_view WriteAccess = "Write";
constexpr std::string_view DigitsReturn = "Digits";
constexpr std::string_view EnglishLanguage = "English";

bool isDigitBranch(NodeKind kind)
{
    return kind >= Kind::BranchIf0 && kind <= Kind::BranchIfHash;
}

// The digit branch kind of a key written "0".."9", "*" or "#"; -1 for any other character.
NodeKind digitBranchOf(char key)
{
    if (key >= '0' && key <= '9')
        return branchKindForKey(key - '0');
    if (key == '*')
        return Kind::BranchIfStar;
    if (key == '#')
        return Kind::BranchIfHash;
    return -1;
}

std::string valueAt(const NodeData &node, int index)
{
    return index < static_cast<int>(node.values.size()) ? node.values[static_cast<size_t>(index)]
                                                        : std::string();
}

// How many characters (not bytes) a UTF-8 text has.
size_t characterCount(std::string_view text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

RowValue textValue(std::string text)
{
    RowValue value;
    value.text = std::move(text);
    return value;
}

RowValue choicesValue(std::vector<std::string> choices)
{
    RowValue value;
    value.type = RowValue::Type::Choices;
    value.choices = std::move(choices);
    return value;
}

// The branch work of one change: what goes, then what comes and where.
class BranchWork
{
public:
    BranchWork(CVocaraDoc &doc, NodeId id, Change &change)
        : m_doc(doc)
        , m_id(id)
        , m_change(change)
    {}

    void remove(NodeId child)
    {
        if (std::find(m_remove.begin(), m_remove.end(), child) == m_remove.end())
            m_remove.push_back(child);
    }
    void removeChildren(bool (*which)(NodeKind))
    {
        for (NodeId child : m_doc.node(m_id)->children) {
            if (which(m_doc.node(child)->kind))
                remove(child);
        }
    }
    void runRemovals()
    {
        for (NodeId child : m_remove) {
            if (std::optional<CVocaraDoc::NodeSnapshot> snapshot = m_doc.snapshotNode(child)) {
                m_change.removed.push_back(std::move(*snapshot));
                m_doc.removeNode(child);
            }
        }
    }

    NodeId childOfKind(NodeKind kind) const
    {
        for (NodeId child : m_doc.node(m_id)->children) {
            if (m_doc.node(child)->kind == kind)
                return child;
        }
        return NoNode;
    }
    // The row below the node, in the column after its children.
    Cell nextFree() const
    {
        const NodeData &node = *m_doc.node(m_id);
        return {node.cell.row + 1, node.cell.column + static_cast<int>(node.children.size())};
    }
    // A branch child of the kind at the cell, pushing an occupant down as adding a node does.
    NodeId add(NodeKind kind, Cell cell)
    {
        cell = clampToGrid(cell);
        for (const CVocaraDoc::NodeMove &move : m_doc.makeRoomAt(cell))
            m_change.moves.push_back(move);
        const NodeId branch = m_doc.createNode(cell, kind);
        if (branch == NoNode)
            return NoNode;
        m_doc.linkUnchecked(m_id, branch);
        m_change.created.push_back(branch);
        return branch;
    }

private:
    CVocaraDoc &m_doc;
    NodeId m_id;
    Change &m_change;
    std::vector<NodeId> m_remove;
};

bool isKeypadOutcome(NodeKind kind)
{
    return isDigitBranch(kind) || kind == Kind::BranchIfError || kind == Kind::BranchIfEndKeys ||
           kind == Kind::BranchIfTimeOut;
}

bool isRecognize(NodeKind kind)
{
    return kind == Kind::BranchIfRecognize;
}

bool isDigit(NodeKind kind)
{
    return isDigitBranch(kind);
}

// The user input node after a change of property `index`: its DTMF and ASR branches, then
// its digit branches brought in line with "DTMF Enabled", "No Of Keys" and "Allowed Keys".
void followUserInput(CVocaraDoc &doc, NodeId id, int index, Change &change)
{
    BranchWork work(doc, id, change);
    const NodeData &node = *doc.node(id);
    const bool dtmfChanged = index == UserInputProperty::DtmfEnabled;
    const bool asrChanged = index == UserInputProperty::AsrEnabled;
    const bool dtmfOff = valueAt(node, UserInputProperty::DtmfEnabled) == "0";
    const bool asrOff = valueAt(node, UserInputProperty::AsrEnabled) == "0";
    if (dtmfChanged && dtmfOff)
        work.removeChildren(isKeypadOutcome);
    if (asrChanged && asrOff)
        work.removeChildren(isRecognize);

    // "No Of Keys" below 1 is taken as 1 and written so.
    const std::string keysText =
        resolveVariable(doc, valueAt(node, UserInputProperty::NumberOfKeys));
    long keys = std::strtol(keysText.c_str(), nullptr, 10);
    if (keys < 1) {
        keys = 1;
        doc.setNodeValue(id, UserInputProperty::NumberOfKeys, "1");
    }
    const bool dtmfOn = valueAt(node, UserInputProperty::DtmfEnabled) == "1";
    const std::string allowedStored = valueAt(node, UserInputProperty::AllowedKeys);
    const std::string allowed = resolveVariable(doc, allowedStored);
    const bool perKey = keys == 1 && dtmfOn && !allowedStored.empty();
    if (dtmfOn && (allowed.empty() || keys > 1)) {
        work.removeChildren(isDigit);
    } else if (perKey) {
        for (NodeId child : node.children) {
            const NodeKind kind = doc.node(child)->kind;
            const bool wanted = std::any_of(allowed.begin(), allowed.end(),
                                            [&](char key) { return digitBranchOf(key) == kind; });
            if (isDigitBranch(kind) && !wanted)
                work.remove(child);
        }
    }
    work.runRemovals();

    if (dtmfChanged && !dtmfOff) {
        std::vector<NodeKind> kinds;
        if (!doc.isAsteriskMode())
            kinds.push_back(Kind::BranchIfEndKeys);
        kinds.push_back(Kind::BranchIfTimeOut);
        kinds.push_back(Kind::BranchIfError);
        Cell cell = work.nextFree();
        for (NodeKind kind : kinds) {
            // Only those it lacks: a damaged file may have kept them while DTMF was off.
            if (work.childOfKind(kind) == NoNode && work.add(kind, cell) != NoNode)
                ++cell.column;
        }
    }
    if (asrChanged && !asrOff && work.childOfKind(Kind::BranchIfRecognize) == NoNode)
        work.add(Kind::BranchIfRecognize, work.nextFree());
    if (!perKey)
        return;
    std::optional<Cell> last;
    for (char key : allowed) {
        const NodeKind kind = digitBranchOf(key);
        if (kind < 0)
            continue;
        if (const NodeId existing = work.childOfKind(kind); existing != NoNode) {
            last = doc.node(existing)->cell;
            continue;
        }
        const Cell cell = last ? Cell{last->row, last->column + 1} : work.nextFree();
        if (const NodeId added = work.add(kind, cell); added != NoNode)
            last = doc.node(added)->cell;
    }
}

} // namespace

std::string variableChoice(std::string_view name)
{
    return "$" + std::string(name) + "$";
}

std::vector<std::string> variableChoices(const CVocaraDoc &doc)
{
    std::vector<std::string> choices;
    choices.reserve(doc.variables().count());
    for (const Variable &variable : doc.variables().items())
        choices.push_back(variableChoice(variable.name));
    return choices;
}

std::string resolveVariable(const CVocaraDoc &doc, std::string_view value)
{
    if (value.size() < 2 || value.front() != '$' || value.back() != '$')
        return std::string(value);
    const std::string_view name = value.substr(1, value.size() - 2);
    for (const Variable &variable : doc.variables().items()) {
        if (variable.name == name)
            return variable.defaultValue;
    }
    return std::string(name);
}

std::vector<Row> rowsFor(const CVocaraDoc &doc, NodeId id)
{
    std::vector<Row> rows;
    const NodeData *node = doc.node(id);
    const KindDescriptor *kind = node ? doc.catalogue().descriptor(node->kind) : nullptr;
    if (!kind)
        return rows;
    rows.push_back({GridText::NodeDescriptionCategory, GridText::FunctionalityLabel,
                    textValue(std::string(kind->description)), GridText::FunctionalityHelp,
                    Editor::ReadOnly, false, std::nullopt});
    rows.push_back({GridText::NodePropertiesCategory, GridText::NodeNameLabel,
                    textValue(node->name), GridText::NodeNameHelp, Editor::Text, true,
                    std::nullopt});
    for (int i = 0; i < static_cast<int>(kind->properties.size()); ++i) {
        const PropertyDescriptor &property = kind->properties[static_cast<size_t>(i)];
        Row row{propertyCategory(kind->groupKeyword, i, property.key),
                property.label,
                {},
                property.description,
                property.editorType,
                property.editable,
                std::nullopt};
        const std::span<const std::string_view> items = dropDownItems(property.editorType);
        if (property.editorType == Editor::FileChooser) {
            row.initial = textValue(std::string(GridText::EmptyFileChooser));
        } else if (property.editorType == Editor::CheckBox) {
            // A check box starts ticked: an empty stored value shows so.
            row.initial.type = RowValue::Type::Boolean;
            row.initial.flag = true;
        } else if (property.editorType == Editor::VariableList) {
            row.initial = choicesValue(variableChoices(doc));
        } else if (!items.empty()) {
            row.initial = choicesValue({items.begin(), items.end()});
        }
        const std::string stored = valueAt(*node, i);
        if (!stored.empty()) {
            RowValue set = textValue(stored);
            if (property.editorType == Editor::CheckBox) {
                set.type = RowValue::Type::Boolean;
                set.flag = std::strtol(stored.c_str(), nullptr, 10) != 0;
            }
            row.set = std::move(set);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

Change apply(CVocaraDoc &doc, NodeId id, std::string_view label, std::string_view text)
{
    Change change;
    const NodeData *node = doc.node(id);
    if (!node)
        return change;
    if (label == GridText::NodeNameLabel) {
        if (node->name != text && !doc.isNameTaken(text))
            change.changed = doc.setNodeName(id, std::string(text));
        return change;
    }
    const KindDescriptor *kind = doc.catalogue().descriptor(node->kind);
    if (!kind)
        return change;
    const auto property =
        std::find_if(kind->properties.begin(), kind->properties.end(),
                     [&](const PropertyDescriptor &p) { return p.label == label; });
    if (property == kind->properties.end())
        return change;
    const int index = static_cast<int>(property - kind->properties.begin());
    if (valueAt(*node, index) == text)
        return change;
    change.changed = true;
    if (node->kind == Kind::DbTransaction && label == PasswordLabel) {
        // The row shows a mask; the password itself has a slot of its own.
        doc.setNodeValue(id, index, std::string(characterCount(text), '*'));
        doc.setNodeValue(id, PasswordSlot, std::string(text));
    } else {
        doc.setNodeValue(id, index, std::string(text));
    }
    if (node->kind == Kind::ACCESSFILES &&
        valueAt(*node, AccessFilesProperty::Operation) == CreateFile)
        doc.setNodeValue(id, AccessFilesProperty::AccessType, std::string(WriteAccess));
    if (node->kind == Kind::DbTransaction && doc.isAsteriskMode() &&
        valueAt(*node, DatabaseProperty::ReturnType) == DigitsReturn)
        doc.setNodeValue(id, DatabaseProperty::ReturnLanguage, std::string(EnglishLanguage));
    if (node->kind == Kind::UserInput)
        followUserInput(doc, id, index, change);
    return change;
}

} // namespace vocara::PropertyEdits
