#pragma once

#include "document/node_data.h"
#include "document/xml_reader.h"

#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace vocara {

class CVocaraDoc;

// Rebuilds nodes, links, variables, settings and files from a flow's XML into the document.
class FlowReader
{
public:
    explicit FlowReader(CVocaraDoc &doc);

    // Scripts are inserted with default names, moved by a number of cells.
    void setKeepNames(bool keep) { m_keepNames = keep; }
    void setOffset(Cell offset) { m_offset = offset; }

    void readVariables(const tinyxml2::XMLElement *section);
    void readSettings(const tinyxml2::XMLElement *section);
    void readFiles(const tinyxml2::XMLElement *section);
    // A tree of nodes is told element by element, in document order: the node of its top
    // element is linked under `parent` (when given), every other under the node it is in.
    void beginTree(NodeId parent);
    void startElement(std::string_view name, XmlAttributes attributes);
    void endElement();
    // Links the cross links whose targets were read after them. False when some target does
    // not exist (the links are left out).
    bool resolveCrossLinks();

private:
    struct CrossLink
    {
        NodeId parent;
        Cell cell;
    };

    // Marks an element whose content is left out: an unknown kind, a cross link's inside.
    static constexpr NodeId Skipped = ~NodeId(0);

    Cell shifted(Cell cell) const;
    void readCrossLink(XmlAttributes attributes, NodeId parent);
    NodeId readNode(XmlAttributes attributes, NodeKind kind, NodeId parent);

    CVocaraDoc &m_doc;
    bool m_keepNames = true;
    Cell m_offset;
    std::vector<CrossLink> m_pending;
    NodeId m_treeParent = NoNode;
    std::vector<NodeId> m_open; // the node of each open element, or Skipped
};

} // namespace vocara
