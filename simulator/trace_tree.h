#pragma once

#include <string>
#include <vector>

namespace vocara {

// The simulator's tracing tree as plain data: one item per flow element, the item of the node
// being run bold and highlighted. The window mirrors it; headless runs only keep it.
class TraceTree
{
public:
    static constexpr int NoItem = -1;

    struct Item
    {
        std::string text;
        int parent = NoItem;
        std::vector<int> children;
        bool expanded = false;
        bool highlighted = false;
        bool bold = false; // the running node, the playing prompt, the waiting input
    };

    void clear() { m_items.clear(); }
    int append(int parent, std::string text);
    Item &item(int index) { return m_items.at(static_cast<size_t>(index)); }
    const std::vector<Item> &items() const { return m_items; }
    bool valid(int index) const { return index >= 0 && index < static_cast<int>(m_items.size()); }
    // The top-level items when `index` is NoItem.
    int firstChild(int index) const;
    int nextSibling(int index) const;

private:
    std::vector<Item> m_items;
};

} // namespace vocara
