#pragma once

#include "document/node_data.h"

#include <string>
#include <unordered_set>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

namespace vocara {

class CVocaraDoc;

// Writes the model into a flow's XML image, section by section: the start node with the tree
// below it, the orphans, the variables, the attached files and the dialplan settings. Every
// node is written in full once; every other way to it becomes a cross link.
class FlowWriter
{
public:
    explicit FlowWriter(CVocaraDoc &doc);

    void write(tinyxml2::XMLDocument &image, bool valid);

    // The index of the node's first parent from which the start node can be reached without
    // passing through the node itself, or -1.
    int findPrimaryParent(NodeId id) const;
    // "/Start" and one step per node down to the target through primary parents.
    std::string pathTo(NodeId id) const;

private:
    void writeTree(NodeId root, NodeId arrivingParent, tinyxml2::XMLElement *target);
    tinyxml2::XMLElement *nodeElement(tinyxml2::XMLDocument &image, const NodeData &node) const;
    tinyxml2::XMLElement *crossLink(tinyxml2::XMLDocument &image, const NodeData &target) const;
    void writeVariables(tinyxml2::XMLElement *section) const;
    void writeFiles(tinyxml2::XMLElement *section) const;
    void writeSettings(tinyxml2::XMLElement *section) const;

    CVocaraDoc &m_doc;
    std::unordered_set<NodeId> m_written;
};

} // namespace vocara
