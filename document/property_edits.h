#pragma once

#include "document/vocara_doc.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vocara::PropertyEdits {

// What a grid row holds: a text, a check box, or a list of choices (drop-downs and the
// variable list) with the text shown.
struct RowValue
{
    enum class Type { Text, Boolean, Choices };
    Type type = Type::Text;
    std::string text;
    bool flag = false;
    std::vector<std::string> choices;

    bool operator==(const RowValue &) const = default;
};

// One row of the property grid for a node, as it is added: its category, caption, first
// value, description, editor (the grid's button type) and whether it may be edited; `set` is
// the stored value put into the row afterwards, when there is one.
struct Row
{
    std::string_view category;
    std::string_view label;
    RowValue initial;
    std::string_view description;
    int buttonType = 0;
    bool editable = true;
    std::optional<RowValue> set;
};

// The rows that show a node: its kind's description, its name, then each property of its kind
// in the document's current catalogue. Empty for a node that does not exist.
std::vector<Row> rowsFor(const CVocaraDoc &doc, NodeId id);

// The variable choice list: every variable of the flow as "$name$", in order.
std::vector<std::string> variableChoices(const CVocaraDoc &doc);
std::string variableChoice(std::string_view name);

// A value written "$name$" stands for the default of the flow variable of that name (or the
// name itself when there is none); any other value stands for itself.
std::string resolveVariable(const CVocaraDoc &doc, std::string_view value);

// What one property change did to the flow beyond the node's own values: the branch
// children it removed (each as it stood just before it went, in removal order), and those it
// made, with the occupants it pushed down to make room. All removals come before all additions.
struct Change
{
    bool changed = false;
    std::vector<CVocaraDoc::NodeSnapshot> removed;
    std::vector<NodeId> created;
    std::vector<CVocaraDoc::NodeMove> moves;

    bool changedBranches() const { return !removed.empty() || !created.empty(); }
};

// The grid's "Property changed" for a node: a rename ("Node Name", refused silently when the
// name is taken), or a property value with its follow-ups: the database password kept in
// clear in its own slot behind a mask, the file access rule, the asterisk-mode return
// language, and the user input node's branches brought in line with its properties.
Change apply(CVocaraDoc &doc, NodeId id, std::string_view label, std::string_view text);

} // namespace vocara::PropertyEdits
