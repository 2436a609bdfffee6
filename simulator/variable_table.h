#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vocara {

// The variables of one simulated call, in the order the flow declares them. Names are found
// without regard to case; only declared variables take values.
class VariableTable
{
public:
    void clear() { m_items.clear(); }
    // Declares a variable (a repeated name keeps its first place and takes the new value).
    void declare(std::string_view name, std::string_view value);
    // Sets a declared variable; false for one the flow does not declare.
    bool set(std::string_view name, std::string_view value);
    const std::string *find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }
    const std::vector<std::pair<std::string, std::string>> &items() const { return m_items; }

private:
    std::vector<std::pair<std::string, std::string>> m_items;
};

} // namespace vocara
