#pragma once

#include "document/node_data.h"

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

    // False when a node or link below `root` has a row or column beyond the grid: such a file
    // is refused rather than its nodes moved.
    static bool coordinatesInGrid(const tinyxml2::XMLElement *root);

    // Scripts are inserted with default names, moved by a number of cells.
    void setKeepNames(bool keep) { m_keepNames = keep; }
    void setOffset(Cell offset) { m_offset = offset; }

    void readVariables(const tinyxml2::XMLElement *section);
    void readSettings(const tinyxml2::XMLElement *section);
    void readFiles(const tinyxml2::XMLElement *section);
    // The node of `element` with everything below it, linked under `parent` (when given).
    void readTree(const tinyxml2::XMLElement *element, NodeId parent);
    // Links the cross links whose targets were read after them. False when some target does
    // not exist (the links are left out).
    bool resolveCrossLinks();

private:
    struct CrossLink
    {
        NodeId parent;
        Cell cell;
    };

    Cell shifted(Cell cell) const;
    void readCrossLink(const tinyxml2::XMLElement *element, NodeId parent);
    NodeId readNode(const tinyxml2::XMLElement *element, NodeKind kind, NodeId parent);

    CVocaraDoc &m_doc;
    bool m_keepNames = true;
    Cell m_offset;
    std::vector<CrossLink> m_pending;
};

} // namespace vocara
