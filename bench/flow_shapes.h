#pragma once

// Flows of any size in the two shapes that stress a flow file most: a deep chain (the file
// nests every node in the one before) and a wide menu tree (shallow, many branches, cross
// links back to the top).
#include "document/vocara_doc.h"

#include <deque>
#include <string>

namespace vocara::bench {

// Start, then `count` Set Var nodes one after the other, two columns wide.
inline void buildDeepChain(CVocaraDoc &doc, int count)
{
    NodeId parent = doc.startNode();
    for (int i = 0; i < count; ++i) {
        const NodeId node = doc.createNode({i / 2 + 1, i % 2}, Kind::SetVar);
        doc.setNodeValue(node, "var", "$step$");
        doc.setNodeValue(node, "value", std::to_string(i));
        doc.linkUnchecked(parent, node);
        parent = node;
    }
}

// Menus of a wave and a User Input with keys 1, 2 and 3, each key leading to the next menu,
// level by level; every menu's time-out goes back to the top menu and its error branch to a
// Set Var. Grows until `count` nodes.
inline void buildWideMenuTree(CVocaraDoc &doc, int count)
{
    const UserInputChoice keys{true, true, true, {1, 2, 3}, false};
    struct Slot
    {
        NodeId parent;
        int level;
    };
    std::deque<Slot> slots{{doc.startNode(), 0}};
    NodeId top = NoNode;
    for (int menuIndex = 0; static_cast<int>(doc.nodeCount()) < count && !slots.empty();
         ++menuIndex) {
        const Slot slot = slots.front();
        slots.pop_front();
        const int row = slot.level * 4 + 1;
        const int column = menuIndex * 7;
        const NodeId wave = doc.createNode({row, column}, Kind::PlayWave);
        doc.setNodeValue(wave, "file", "menu" + std::to_string(menuIndex) + ".wav");
        doc.linkUnchecked(slot.parent, wave);
        const NodeId menu = doc.addNode({row + 1, column}, Kind::UserInput, keys);
        doc.setNodeValue(menu, "timeOut", "5");
        doc.setNodeValue(menu, "retVar", "$choice$");
        doc.linkUnchecked(wave, menu);
        const std::vector<NodeId> branches = doc.node(menu)->children;
        if (top == NoNode)
            top = wave;
        else
            doc.linkUnchecked(branches[4], top);
        const NodeId error = doc.createNode({row + 3, column + 5}, Kind::SetVar);
        doc.setNodeValue(error, "var", "$errors$");
        doc.setNodeValue(error, "value", "1");
        doc.linkUnchecked(branches[5], error);
        for (int key = 0; key < 3; ++key)
            slots.push_back({branches[static_cast<size_t>(key)], slot.level + 1});
    }
}

} // namespace vocara::bench
