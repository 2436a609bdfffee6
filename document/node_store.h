#pragma once

#include "document/node_data.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace vocara {

// The nodes of a document by id. Ids are handed out in order and never reused, so a node's
// slot is its id: no hashing, and nodes made one after another lie side by side in memory,
// which is how a file is read and how most walks of a flow go. A removed node leaves an empty
// slot behind.
class NodeStore
{
public:
    NodeData *find(NodeId id)
    {
        if (id == NoNode || id / ChunkNodes >= m_chunks.size())
            return nullptr;
        NodeData &slot = m_chunks[id / ChunkNodes][id % ChunkNodes];
        return slot.id == id ? &slot : nullptr;
    }
    const NodeData *find(NodeId id) const { return const_cast<NodeStore *>(this)->find(id); }
    bool contains(NodeId id) const { return find(id) != nullptr; }
    size_t size() const { return m_count; }

    // `node.id` must be a free slot's.
    void insert(NodeData node)
    {
        const size_t chunk = node.id / ChunkNodes;
        while (m_chunks.size() <= chunk)
            m_chunks.push_back(std::make_unique<NodeData[]>(ChunkNodes));
        m_chunks[chunk][node.id % ChunkNodes] = std::move(node);
        ++m_count;
    }
    void erase(NodeId id)
    {
        if (NodeData *node = find(id)) {
            *node = NodeData();
            --m_count;
        }
    }
    void clear()
    {
        m_chunks.clear();
        m_count = 0;
    }
    template<typename F>
    void forEach(F &&f) const
    {
        for (const auto &chunk : m_chunks) {
            for (size_t i = 0; i < ChunkNodes; ++i) {
                if (chunk[i].id != NoNode)
                    f(static_cast<const NodeData &>(chunk[i]));
            }
        }
    }
    template<typename F>
    void forEach(F &&f)
    {
        for (const auto &chunk : m_chunks) {
            for (size_t i = 0; i < ChunkNodes; ++i) {
                if (chunk[i].id != NoNode)
                    f(chunk[i]);
            }
        }
    }

private:
    static constexpr size_t ChunkNodes = 256;
    std::vector<std::unique_ptr<NodeData[]>> m_chunks;
    size_t m_count = 0;
};

} // namespace vocara
