#include "document/flow_writer.h"

#include "document/flow_format.h"
#include "document/vocara_doc.h"
#include "document/xml_reader.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <unordered_set>
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

// The library's printer writing into a string of ours, indenting no deeper than a screen is
// wide: a long flow nests thousands of levels, and full indentation would grow the file with
// the square of its depth.
class FlowPrinter : public tinyxml2::XMLPrinter
{
public:
    static constexpr int MaxIndent = 32;

    std::string take() { return std::move(m_text); }

protected:
    void PrintSpace(int depth) override
    {
        for (int i = std::min(depth, MaxIndent); i > 0; --i)
            m_text += "    ";
    }
    void Write(const char *data, size_t size) override { m_text.append(data, size); }
    void Putc(char ch) override { m_text += ch; }
    void Print(const char *format, ...) override
    {
        va_list args;
        va_start(args, format);
        char buffer[256];
        const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        if (length > 0)
            m_text.append(buffer, std::min<size_t>(static_cast<size_t>(length), sizeof buffer - 1));
    }

private:
    std::string m_text;
};

} // namespace

FlowWriter::FlowWriter(const CVocaraDoc &doc)
    : m_doc(doc)
{}

void FlowWriter::settlePrimaryParents(CVocaraDoc &doc)
{
    for (NodeId id : doc.nodesInGridOrder()) {
        if (doc.node(id)->parents.size() > 1)
            doc.setPrimaryParent(id, findPrimaryParent(doc, id));
    }
}

int FlowWriter::findPrimaryParent(const CVocaraDoc &doc, NodeId id)
{
    const NodeData *node = doc.node(id);
    const NodeId start = doc.startNode();
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
            const std::vector<NodeId> &up = doc.node(current)->parents;
            pending.insert(pending.end(), up.rbegin(), up.rend());
        }
    }
    return -1;
}

std::string FlowWriter::pathTo(NodeId id) const
{
    std::vector<NodeKind> steps;
    std::unordered_set<NodeId> seen;
    for (const NodeData *node = m_doc.node(id); node && node->id != m_doc.startNode();) {
        if (!seen.insert(node->id).second)
            break;
        steps.push_back(node->kind);
        NodeId up = NoNode;
        if (node->parents.size() == 1)
            up = node->parents.front();
        else if (node->primaryParent >= 0 &&
                 node->primaryParent < static_cast<int>(node->parents.size()))
            up = node->parents[static_cast<size_t>(node->primaryParent)];
        node = m_doc.node(up);
    }
    std::string path = "/Start";
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        path += '/';
        if (isBranchKind(*it))
            path.append(BranchPrefix).append("[@value=").append(branchValue(*it)).append("]");
        else
            path.append(elementName(*it));
    }
    return path;
}

void FlowWriter::writeNode(tinyxml2::XMLPrinter &printer, const NodeData &node) const
{
    const bool branch = isBranchKind(node.kind);
    printer.OpenElement(branch ? BranchPrefix.data() : elementName(node.kind).data());
    if (branch)
        printer.PushAttribute("value", branchValue(node.kind).data());
    const KindDescriptor *descriptor = m_doc.catalogue().descriptor(node.kind);
    const int count = std::min(descriptor->propertyCount, static_cast<int>(node.values.size()));
    std::string key;
    for (int i = 0; i < count; ++i) {
        key.assign(descriptor->properties[static_cast<size_t>(i)].key);
        const std::string value =
            key == "password" ? scramblePassword(node.values[static_cast<size_t>(PasswordSlot)])
                              : encodeValue(key, node.values[static_cast<size_t>(i)]);
        printer.PushAttribute(key.c_str(), value.c_str());
    }
    printer.PushAttribute("name", node.name.c_str());
    printer.PushAttribute("X", node.cell.row);
    printer.PushAttribute("Y", node.cell.column);
}

void FlowWriter::writeCrossLink(tinyxml2::XMLPrinter &printer, const NodeData &target) const
{
    printer.OpenElement(FlowXml::BranchTo);
    printer.PushAttribute("value", pathTo(target.id).c_str());
    printer.PushAttribute("X", target.cell.column);
    printer.PushAttribute("childx", target.cell.column);
    printer.PushAttribute("Y", target.cell.row);
    printer.PushAttribute("childy", target.cell.row);
    printer.PushAttribute("name", FlowXml::CrossLinkName);
    printer.CloseElement();
}

void FlowWriter::writeTree(tinyxml2::XMLPrinter &printer, NodeId root, NodeId arrivingParent) const
{
    // Writes one arrival at a node; true when it was written in full and its children follow.
    auto arrive = [&](NodeId id, NodeId from) {
        const NodeData &node = *m_doc.node(id);
        const bool elsewhere = node.parents.size() > 1 && node.primaryParent >= 0 &&
                               node.parents[static_cast<size_t>(node.primaryParent)] != from;
        // Written before (or on the way here, in a loop): only a cross link, so every save
        // ends and every node appears in full once.
        if (elsewhere || m_written[id]) {
            writeCrossLink(printer, node);
            return false;
        }
        m_written[id] = true;
        writeNode(printer, node);
        return true;
    };

    struct Frame
    {
        NodeId id;
        size_t next;
    };
    std::vector<Frame> stack;
    if (arrive(root, arrivingParent))
        stack.push_back({root, 0});
    while (!stack.empty()) {
        Frame &top = stack.back();
        const std::vector<NodeId> &children = m_doc.node(top.id)->children;
        if (top.next >= children.size()) {
            printer.CloseElement();
            stack.pop_back();
            continue;
        }
        const NodeId child = children[top.next++];
        const NodeId parent = top.id;
        if (arrive(child, parent))
            stack.push_back({child, 0});
    }
}

void FlowWriter::writeStartTree(tinyxml2::XMLPrinter &printer) const
{
    m_written[m_doc.startNode()] = true;
    for (NodeId child : m_doc.node(m_doc.startNode())->children)
        writeTree(printer, child, m_doc.startNode());
}

void FlowWriter::writeOrphans(tinyxml2::XMLPrinter &printer) const
{
    // Nodes without parents first; then loops that nothing leads into, which belong nowhere
    // else. No node of the start node's tree is reached from them in full, so the order of
    // the sections does not change what either holds.
    const std::vector<NodeId> order = m_doc.nodesInGridOrder();
    for (NodeId id : order) {
        if (id != m_doc.startNode() && m_doc.node(id)->parents.empty())
            writeTree(printer, id, NoNode);
    }
    for (NodeId id : order) {
        if (!m_written[id])
            writeTree(printer, id, NoNode);
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

bool FlowWriter::hasOrphans() const
{
    // With the primary parents settled, every node the start node leads to is written in
    // its tree: the others are orphans.
    std::vector<bool> reached(static_cast<size_t>(m_doc.idBound()), false);
    std::vector<NodeId> pending{m_doc.startNode()};
    size_t count = 0;
    while (!pending.empty()) {
        const NodeId id = pending.back();
        pending.pop_back();
        if (reached[id])
            continue;
        reached[id] = true;
        ++count;
        for (NodeId child : m_doc.node(id)->children)
            pending.push_back(child);
    }
    return count < m_doc.nodeCount();
}

void FlowWriter::prepare(tinyxml2::XMLDocument &skeleton, bool valid) const
{
    tinyxml2::XMLElement *root = skeleton.RootElement();
    if (!root)
        root = skeleton.InsertEndChild(skeleton.NewElement(FlowXml::Root))->ToElement();
    tinyxml2::XMLElement *start = root->FirstChildElement(FlowXml::Start);
    if (!start)
        start = root->InsertFirstChild(skeleton.NewElement(FlowXml::Start))->ToElement();
    start->SetAttribute("valid", valid ? "true" : "false");
    releaseXml(*start);
    tinyxml2::XMLElement *orphans = root->FirstChildElement(FlowXml::Orphans);
    if (orphans) {
        releaseXml(*orphans);
        // The orphans are written after the tree they are not part of.
        for (const tinyxml2::XMLNode *n = orphans->NextSibling(); n; n = n->NextSibling()) {
            if (n == start) {
                root->InsertAfterChild(start, orphans);
                break;
            }
        }
    } else if (hasOrphans()) {
        // Older files may lack the section; nodes are never dropped for that.
        root->InsertAfterChild(start, skeleton.NewElement(FlowXml::Orphans));
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

std::string FlowWriter::text(const tinyxml2::XMLDocument &skeleton) const
{
    m_written.assign(static_cast<size_t>(m_doc.idBound()), false);
    const tinyxml2::XMLElement *root = skeleton.RootElement();
    const tinyxml2::XMLElement *start = root ? root->FirstChildElement(FlowXml::Start) : nullptr;
    const tinyxml2::XMLElement *orphans =
        root ? root->FirstChildElement(FlowXml::Orphans) : nullptr;
    FlowPrinter printer;
    printXml(skeleton, printer, [&](const tinyxml2::XMLElement &element) {
        if (&element == start)
            writeStartTree(printer);
        else if (&element == orphans)
            writeOrphans(printer);
        return &element == start || &element == orphans;
    });
    return printer.take();
}

} // namespace vocara
