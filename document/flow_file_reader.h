#pragma once

#include "document/node_data.h"
#include "document/xml_reader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
}

namespace vocara {

class FlowReader;

// A flow file is read twice, without keeping its text or an image of its nodes: first to learn
// that it can be opened (it changes nothing), then straight into the document.

// The first reading: well-formed, a flow's root with a start node, every cell on the grid, no
// more elements than a flow may have.
class FlowFileCheck : public XmlHandler
{
public:
    void startElement(std::string_view name, XmlAttributes attributes) override;
    void endElement() override { --m_depth; }

    bool isFlow() const { return m_rootIsFlow && m_startSeen && m_inGrid && !m_tooLarge; }
    bool hasRoot() const { return m_elements > 0 && !m_tooLarge; }
    bool hasStart() const { return m_startSeen; }
    // The start node's version attribute, or nothing.
    bool hasVersion() const { return m_hasVersion; }
    const std::string &version() const { return m_version; }

private:
    int m_depth = 0;
    bool m_rootIsFlow = false;
    bool m_startSeen = false;
    bool m_hasVersion = false;
    bool m_inGrid = true;
    bool m_tooLarge = false;
    std::size_t m_elements = 0;
    std::string m_version;
};

// The second reading: the tree below the start node and those below the orphans go to a
// FlowReader; everything else of the file is kept in `skeleton`, to be written back as it was.
class FlowFileLoad : public XmlHandler
{
public:
    FlowFileLoad(FlowReader &reader, tinyxml2::XMLDocument &skeleton, NodeId startNode);
    // Scripts give only the tree below their start node.
    void setReadOrphans(bool read) { m_readOrphans = read; }

    void startElement(std::string_view name, XmlAttributes attributes) override;
    void endElement() override;
    void text(std::string_view text, bool cdata) override;
    void comment(std::string_view text) override;
    void declaration(std::string_view text) override;
    void unknown(std::string_view text) override;

private:
    enum class Part { Skeleton, StartNode, OrphanSection, Tree, Skipped };
    bool inSkeleton() const { return m_parts.empty() || m_parts.back() == Part::Skeleton; }

    FlowReader &m_reader;
    XmlDomBuilder m_skeleton;
    NodeId m_startNode;
    bool m_readOrphans = true;
    bool m_startSeen = false;
    bool m_orphansSeen = false;
    bool m_startTreeRead = false;
    std::vector<Part> m_parts; // of each open element
};

} // namespace vocara
