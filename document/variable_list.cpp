#include "document/variable_list.h"

#include <algorithm>

namespace vocara {

int VariableList::indexOfIgnoringCase(std::string_view name) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (equalsIgnoringCase(m_items[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

void VariableList::addOrUpdate(std::string_view name, std::string_view defaultValue,
                               std::string_view description)
{
    const int index = indexOfIgnoringCase(name);
    if (index >= 0) {
        Variable &existing = m_items[static_cast<size_t>(index)];
        existing.defaultValue = defaultValue;
        existing.description = description;
        return;
    }
    m_items.push_back({std::string(name), std::string(defaultValue), std::string(description)});
}

bool VariableList::remove(std::string_view name)
{
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [&](const Variable &v) { return v.name == name; });
    if (it == m_items.end())
        return false;
    m_items.erase(it);
    return true;
}

} // namespace vocara
