#pragma once

#include "document/text_util.h"

#include <string>
#include <string_view>
#include <vector>

namespace vocara {

struct Variable
{
    std::string name;
    std::string defaultValue;
    std::string description;

    bool operator==(const Variable &) const = default;
};

// A flow's variables, in the order they were added.
class VariableList
{
public:
    size_t count() const { return m_items.size(); }
    const Variable &at(size_t index) const { return m_items.at(index); }
    const std::vector<Variable> &items() const { return m_items; }

    // A variable whose name equals `name` without regard to case keeps its name and takes the
    // new default and description; any other name is appended.
    void addOrUpdate(std::string_view name, std::string_view defaultValue,
                     std::string_view description);
    // Removes the first variable named exactly `name`; false when there is none.
    bool remove(std::string_view name);
    void clear() { m_items.clear(); }

    // Index of the first variable with that name (case-insensitive), or -1.
    int indexOfIgnoringCase(std::string_view name) const;

private:
    std::vector<Variable> m_items;
};

} // namespace vocara
