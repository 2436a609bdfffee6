#include "document/flow_writer.h"

#include "document/flow_format.h"
#include "document/vocara_doc.h"
#include "document/xml_reader.h"

#include <tinyxml2.h>

#include <algorithm>
#include <vector>

namespace vocara {

namespace {

tinyxml2::XMLElement *findOrAppend(tinyxml2::XMLElement *root, const char *name)
{
    tinyxml2::XMLElement *section = root->FirstChildElement(name);
    return section ? section : root->InsertNewChildElement(name);
}

const char *yesNo(bool value)
{
    return value ? "1" : "0";
}

} // namespace

FlowWriter::FlowWriter(CVocaraDoc &doc)
    : m_doc(doc)
{}

int FlowWriter::findPrimaryParent(NodeId id) const
{
    const NodeData *node = m_doc.node(id);
    const NodeId start = m_doc.startNode();
    std::unordered_set<NodeId> visited;
    std::vector<NodeId> pending;
    for (size_t i = 0; i < node->parents.size(); ++i) {
        visited.clear();
        pending.assign(1, node->parents[i]);
        while (!pending.empty()) {
            const NodeId current = pending.back();
            pending.pop_back();
            if (current == id || !visited.insert(current).second)
                continue;
            if (current == start)
                return static_cast<int>(i);
            const std::vector<NodeId> &up = m_doc.node(current)->parents;
            pending.insert(pending.end(), up.rbegin(), up.rend());
        }
    }
    return -1;
}

std::string FlowWriter::pathTo(NodeId id) const
{
    std::vector<std::string> steps;
    std::unordered_set<NodeId> seen;
    for (const NodeData *node = m_doc.node(id); node && node->id != m_doc.startNode();) {
        if (!seen.insert(node->id).second)
            break;
        std::string step(elementName(node->kind));
        if (isBranchKind(node->kind))
            step =
                std::string(BranchPrefix) + "[@value=" + std::string(branchValue(node->kind)) + "]";
        steps.push_back(std::move(step));
        NodeId up = NoNode;
        if (node->parents.size() == 1)
            up = node->parents.front();
        else if (node->primaryParent >= 0 &&
                 node->primaryParent < static_cast<int>(node->parents.size()))
            up = node->parents[static_cast<size_t>(node->primaryParent)];
        node = m_doc.node(up);
    }
    std::string path = "/Start";
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        path += "/" + *it;
    return path;
}

tinyxml2::XMLElement *FlowWriter::nodeElement(tinyxml2::XMLDocument &image,
                                              const NodeData &node) const
{
    const bool branch = isBranchKind(node.kind);
    tinyxml2::XMLElement *element = image.NewElement(
        branch ? std::string(BranchPrefix).c_str() : std::string(elementName(node.kind)).c_str());
    if (branch)
        element->SetAttribute("value", std::string(branchValue(node.kind)).c_str());
    const KindDescriptor *descriptor = m_doc.catalogue().descriptor(node.kind);
    const int count = std::min(descriptor->propertyCount, static_cast<int>(node.values.size()));
    for (int i = 0; i < count; ++i) {
        const std::string key(descriptor->properties[static_cast<size_t>(i)].key);
        const std::string value =
            key == "password" ? scramblePassword(node.values[static_cast<size_t>(PasswordSlot)])
                              : encodeValue(key, node.values[static_cast<size_t>(i)]);
        element->SetAttribute(key.c_str(), value.c_str());
    }
    element->SetAttribute("name", node.name.c_str());
    element->SetAttribute("X", node.cell.row);
    element->SetAttribute("Y", node.cell.column);
    return element;
}

tinyxml2::XMLElement *FlowWriter::crossLink(tinyxml2::XMLDocument &image,
                                            const NodeData &target) const
{
    tinyxml2::XMLElement *element = image.NewElement(FlowXml::BranchTo);
    element->SetAttribute("value", pathTo(target.id).c_str());
    element->SetAttribute("X", target.cell.column);
    element->SetAttribute("childx", target.cell.column);
    element->SetAttribute("Y", target.cell.row);
    element->SetAttribute("childy", target.cell.row);
    element->SetAttribute("name", FlowXml::CrossLinkName);
    return element;
}

void FlowWriter::writeTree(NodeId root, NodeId arrivingParent, tinyxml2::XMLElement *target)
{
    tinyxml2::XMLDocument &image = *target->GetDocument();
    // Writes one arrival at a node; returns the element to fill with its children, if any.
    auto arrive = [&](NodeId id, NodeId from, tinyxml2::XMLElement *into) {
        const NodeData &node = *m_doc.node(id);
        const bool elsewhere = node.parents.size() > 1 && node.primaryParent >= 0 &&
                               node.parents[static_cast<size_t>(node.primaryParent)] != from;
        // Written before (or on the way here, in a loop): only a cross link, so every save
        // ends and every node appears in full once.
        if (elsewhere || m_written.count(id)) {
            into->InsertEndChild(crossLink(image, node));
            return static_cast<tinyxml2::XMLElement *>(nullptr);
        }
        m_written.insert(id);
        tinyxml2::XMLElement *element = nodeElement(image, node);
        into->InsertEndChild(element);
        return element;
    };

    struct Frame
    {
        NodeId id;
        tinyxml2::XMLElement *element;
        size_t next;
    };
    std::vector<Frame> stack;
    if (tinyxml2::XMLElement *element = arrive(root, arrivingParent, target))
        stack.push_back({root, element, 0});
    while (!stack.empty()) {
        Frame &top = stack.back();
        const std::vector<NodeId> &children = m_doc.node(top.id)->children;
        if (top.next >= children.size()) {
            stack.pop_back();
            continue;
        }
        const NodeId child = children[top.next++];
        const NodeId parent = top.id;
        if (tinyxml2::XMLElement *element = arrive(child, parent, top.element))
            stack.push_back({child, element, 0});
    }
}

void FlowWriter::writeVariables(tinyxml2::XMLElement *section) const
{
    for (const Variable &variable : m_doc.variables().items()) {
        tinyxml2::XMLElement *var = section->InsertNewChildElement(FlowXml::Var);
        var->SetAttribute("name", variable.name.c_str());
        var->SetAttribute("default", variable.defaultValue.c_str());
        var->SetAttribute("desc", variable.description.c_str());
    }
}

void FlowWriter::writeFiles(tinyxml2::XMLElement *section) const
{
    for (const std::string &file : m_doc.attachedFiles())
        section->InsertNewChildElement(FlowXml::File)->SetAttribute("path", file.c_str());
}

void FlowWriter::writeSettings(tinyxml2::XMLElement *section) const
{
    const DialplanSettings &s = m_doc.dialplanSettings();
    const std::pair<const char *, std::string> entries[] = {
        {"SoundFilePath", s.SoundFilePath},
        {"RecordedPath", s.RecordedPath},
        {"TTSFilesPath", s.TTSFilesPath},
        {"ContextDest", s.ContextDest},
        {"AllowIVRMonitor", yesNo(s.AllowIVRMonitor)},
        {"AllowIVRCallTracking", yesNo(s.AllowIVRCallTracking)},
        {"CheckServerSave", yesNo(s.CheckServerSave)},
        {"ServerIP", s.ServerIP},
        {"ServerPort", s.ServerPort},
        {"ServerPath", s.ServerPath},
    };
    for (const auto &[name, value] : entries) {
        tinyxml2::XMLElement *set = section->InsertNewChildElement(FlowXml::Set);
        set->SetAttribute("name", name);
        set->SetAttribute("default", value.c_str());
    }
    if (s.Dialect == DialplanDialect::Modern)
        section->SetAttribute(FlowXml::DialectAttribute, FlowXml::ModernDialect);
    else
        section->DeleteAttribute(FlowXml::DialectAttribute);
}

void FlowWriter::write(tinyxml2::XMLDocument &image, bool valid)
{
    m_written.clear();
    for (NodeId id : m_doc.nodesInGridOrder()) {
        if (m_doc.node(id)->parents.size() > 1)
            m_doc.setPrimaryParent(id, findPrimaryParent(id));
    }

    tinyxml2::XMLElement *root = image.RootElement();
    if (!root)
        root = image.InsertEndChild(image.NewElement(FlowXml::Root))->ToElement();
    tinyxml2::XMLElement *start = root->FirstChildElement(FlowXml::Start);
    if (!start)
        start = root->InsertFirstChild(image.NewElement(FlowXml::Start))->ToElement();
    start->SetAttribute("valid", valid ? "true" : "false");
    releaseXml(*start);

    tinyxml2::XMLElement *orphans = root->FirstChildElement(FlowXml::Orphans);
    if (orphans)
        releaseXml(*orphans);
    auto orphanSection = [&] {
        // Older files may lack the section; nodes are never dropped for that.
        if (!orphans)
            orphans =
                root->InsertAfterChild(start, image.NewElement(FlowXml::Orphans))->ToElement();
        return orphans;
    };
    const std::vector<NodeId> order = m_doc.nodesInGridOrder();
    for (NodeId id : order) {
        if (id != m_doc.startNode() && m_doc.node(id)->parents.empty())
            writeTree(id, NoNode, orphanSection());
    }
    m_written.insert(m_doc.startNode());
    for (NodeId child : m_doc.node(m_doc.startNode())->children)
        writeTree(child, m_doc.startNode(), start);
    // Loops that nothing leads into belong nowhere else; keep them as orphans.
    for (NodeId id : order) {
        if (!m_written.count(id))
            writeTree(id, NoNode, orphanSection());
    }

    tinyxml2::XMLElement *variables = findOrAppend(root, FlowXml::Variables);
    tinyxml2::XMLElement *files = findOrAppend(root, FlowXml::Files);
    tinyxml2::XMLElement *settings = findOrAppend(root, FlowXml::Settings);
    variables->DeleteChildren();
    files->DeleteChildren();
    settings->DeleteChildren();
    writeVariables(variables);
    writeFiles(files);
    writeSettings(settings);
}

} // namespace vocara
