#include "simulator/variable_table.h"

#include "document/variable_list.h"

namespace vocara {

void VariableTable::declare(std::string_view name, std::string_view value)
{
    if (!set(name, value))
        m_items.emplace_back(std::string(name), std::string(value));
}

bool VariableTable::set(std::string_view name, std::string_view value)
{
    for (auto &[key, current] : m_items) {
        if (equalsIgnoringCase(key, name)) {
            current = value;
            return true;
        }
    }
    return false;
}

const std::string *VariableTable::find(std::string_view name) const
{
    for (const auto &[key, value] : m_items) {
        if (equalsIgnoringCase(key, name))
            return &value;
    }
    return nullptr;
}

} // namespace vocara
