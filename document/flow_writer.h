#pragma once

#include "document/node_data.h"

#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
class XMLPrinter;
} // namespace tinyxml2

namespace vocara {

class CVocaraDoc;

// Writes the model as a flow file: the start node with the tree below it, the orphans, the
// variables, the attached files and the dialplan settings. Every node is written in full
// once; every other way to it becomes a cross link. What the file held besides (the skeleton
// kept when it was read) is written back as it was.
class FlowWriter
{
public:
    explicit FlowWriter(const CVocaraDoc &doc);

    // Settles every node's primary parent, the one that writes it in full.
    static void settlePrimaryParents(CVocaraDoc &doc);
    // Brings the skeleton up to date for writing: its sections are there, the start node says
    // whether the flow is valid, and the variables, files and settings are the document's.
    void prepare(tinyxml2::XMLDocument &skeleton, bool valid) const;
    // The file's text: the skeleton with the nodes written into its start node and orphans.
    std::string text(const tinyxml2::XMLDocument &skeleton) const;

    // The index of the node's first parent from which the start node can be reached without
    // passing through the node itself, or -1.
    static int findPrimaryParent(const CVocaraDoc &doc, NodeId id);
    // "/Start" and one step per node down to the target through primary parents.
    std::string pathTo(NodeId id) const;

private:
    bool hasOrphans() const;
    void writeTree(tinyxml2::XMLPrinter &printer, NodeId root, NodeId arrivingParent) const;
    void writeNode(tinyxml2::XMLPrinter &printer, const NodeData &node) const;
    void writeCrossLink(tinyxml2::XMLPrinter &printer, const NodeData &target) const;
    void writeStartTree(tinyxml2::XMLPrinter &printer) const;
    void writeOrphans(tinyxml2::XMLPrinter &printer) const;
    void writeVariables(tinyxml2::XMLElement *section) const;
    void writeFiles(tinyxml2::XMLElement *section) const;
    void writeSettings(tinyxml2::XMLElement *section) const;

    const CVocaraDoc &m_doc;
    mutable std::vector<bool> m_written; // by node id
};

} // namespace vocara
