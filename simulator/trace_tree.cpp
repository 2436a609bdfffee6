#include "simulator/trace_tree.h"

#include <algorithm>

namespace vocara {

int TraceTree::append(int parent, std::string text)
{
    const int index = static_cast<int>(m_items.size());
    m_items.push_back({std::move(text), valid(parent) ? parent : NoItem, {}, false, false, false});
    if (valid(parent))
        item(parent).children.push_back(index);
    return index;
}

int TraceTree::firstChild(int index) const
{
    if (!valid(index)) {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i].parent == NoItem)
                return static_cast<int>(i);
        }
        return NoItem;
    }
    const std::vector<int> &children = m_items[static_cast<size_t>(index)].children;
    return children.empty() ? NoItem : children.front();
}

int TraceTree::nextSibling(int index) const
{
    if (!valid(index))
        return NoItem;
    const int parent = m_items[static_cast<size_t>(index)].parent;
    if (!valid(parent)) {
        for (size_t i = static_cast<size_t>(index) + 1; i < m_items.size(); ++i) {
            if (m_items[i].parent == NoItem)
                return static_cast<int>(i);
        }
        return NoItem;
    }
    const std::vector<int> &siblings = m_items[static_cast<size_t>(parent)].children;
    auto it = std::find(siblings.begin(), siblings.end(), index);
    return it == siblings.end() || it + 1 == siblings.end() ? NoItem : *(it + 1);
}

} // namespace vocara
