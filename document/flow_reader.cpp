#include "document/flow_reader.h"

#include "document/flow_format.h"
#include "document/vocara_doc.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdlib>

namespace vocara {

namespace {

std::string attribute(const tinyxml2::XMLElement *element, const char *name)
{
    const char *value = element->Attribute(name);
    return value ? std::string(value) : std::string();
}

// Numbers as the C library reads them: leading digits, 0 for none, kept inside the grid.
int coordinate(const tinyxml2::XMLElement *element, const char *name)
{
    const char *value = element->Attribute(name);
    if (!value)
        return 0;
    const long long number = std::strtoll(value, nullptr, 10);
    return static_cast<int>(std::clamp<long long>(number, -1, MaxGridCoordinate));
}

} // namespace

bool FlowReader::coordinatesInGrid(const tinyxml2::XMLElement *root)
{
    std::vector<const tinyxml2::XMLElement *> stack{root};
    while (!stack.empty()) {
        const tinyxml2::XMLElement *element = stack.back();
        stack.pop_back();
        for (const char *name : {"X", "Y", "childx", "childy"}) {
            const char *value = element->Attribute(name);
            if (value && std::strtoll(value, nullptr, 10) > MaxGridCoordinate)
                return false;
        }
        for (const tinyxml2::XMLElement *child = element->FirstChildElement(); child;
             child = child->NextSiblingElement())
            stack.push_back(child);
    }
    return true;
}

FlowReader::FlowReader(CVocaraDoc &doc)
    : m_doc(doc)
{}

void FlowReader::readVariables(const tinyxml2::XMLElement *section)
{
    if (!section)
        return;
    for (const tinyxml2::XMLElement *var = section->FirstChildElement(FlowXml::Var); var;
         var = var->NextSiblingElement(FlowXml::Var))
        m_doc.addOrUpdateVariable(attribute(var, "name"), attribute(var, "default"),
                                  attribute(var, "desc"));
}

void FlowReader::readSettings(const tinyxml2::XMLElement *section)
{
    if (!section)
        return;
    // Taken by position, whatever their names say.
    std::vector<std::string> values;
    for (const tinyxml2::XMLElement *set = section->FirstChildElement(FlowXml::Set);
         set && values.size() < 10; set = set->NextSiblingElement(FlowXml::Set))
        values.push_back(attribute(set, "default"));
    DialplanSettings s = m_doc.dialplanSettings();
    auto flag = [](const std::string &text) {
        return std::atoi(text.c_str()) != 0;
    };
    std::string *texts[] = {&s.SoundFilePath, &s.RecordedPath, &s.TTSFilesPath, &s.ContextDest};
    for (size_t i = 0; i < values.size(); ++i) {
        if (i < 4)
            *texts[i] = values[i];
        else if (i == 4)
            s.AllowIVRMonitor = flag(values[i]);
        else if (i == 5)
            s.AllowIVRCallTracking = flag(values[i]);
        else if (i == 6)
            s.CheckServerSave = flag(values[i]);
        else if (i == 7)
            s.ServerIP = values[i];
        else if (i == 8)
            s.ServerPort = values[i];
        else
            s.ServerPath = values[i];
    }
    const char *dialect = section->Attribute(FlowXml::DialectAttribute);
    s.Dialect = dialect && std::string_view(dialect) == FlowXml::ModernDialect
                    ? DialplanDialect::Modern
                    : DialplanDialect::Classic;
    m_doc.setDialplanSettings(s);
}

void FlowReader::readFiles(const tinyxml2::XMLElement *section)
{
    if (!section)
        return;
    std::vector<std::string> files;
    for (const tinyxml2::XMLElement *file = section->FirstChildElement(FlowXml::File); file;
         file = file->NextSiblingElement(FlowXml::File))
        files.push_back(attribute(file, "path"));
    m_doc.setAttachedFiles(std::move(files));
}

Cell FlowReader::shifted(Cell cell) const
{
    return Cell{std::max(0, cell.row + m_offset.row), std::max(0, cell.column + m_offset.column)};
}

void FlowReader::readCrossLink(const tinyxml2::XMLElement *element, NodeId parent)
{
    if (parent == NoNode)
        return;
    const Cell target = shifted({coordinate(element, "childy"), coordinate(element, "childx")});
    const NodeId existing = m_doc.nodeAt(target);
    if (existing != NoNode && existing != m_doc.startNode())
        m_doc.linkUnchecked(parent, existing);
    else
        m_pending.push_back({parent, target});
}

NodeId FlowReader::readNode(const tinyxml2::XMLElement *element, NodeKind kind, NodeId parent)
{
    const Cell cell = shifted({coordinate(element, "X"), coordinate(element, "Y")});
    const NodeId id = m_doc.createNode(cell, kind);
    if (id == NoNode)
        return NoNode;
    if (m_keepNames)
        m_doc.setNodeName(id, attribute(element, "name"));
    if (parent != NoNode)
        m_doc.linkUnchecked(parent, id);
    const KindDescriptor *descriptor = m_doc.catalogue().descriptor(kind);
    for (int i = 0; i < descriptor->propertyCount; ++i) {
        const PropertyDescriptor &property = descriptor->properties[static_cast<size_t>(i)];
        const std::string text = attribute(element, std::string(property.key).c_str());
        if (property.label == "User Password") {
            m_doc.setNodeValue(id, PasswordSlot, scramblePassword(text));
            m_doc.setNodeValue(id, i, std::string(text.size(), '*'));
        } else {
            m_doc.setNodeValue(id, i, decodeValue(property.label, text));
        }
    }
    return id;
}

void FlowReader::readTree(const tinyxml2::XMLElement *element, NodeId parent)
{
    // Depth first in document order, without recursion: a long flow nests deeply.
    std::vector<std::pair<const tinyxml2::XMLElement *, NodeId>> stack{{element, parent}};
    std::vector<std::pair<const tinyxml2::XMLElement *, NodeId>> children;
    while (!stack.empty()) {
        const auto [current, from] = stack.back();
        stack.pop_back();
        if (!current)
            continue;
        const NodeKind kind = kindFromElement(current->Name(), attribute(current, "value"));
        if (kind == Kind::BranchTo) {
            readCrossLink(current, from);
            continue;
        }
        // Unknown kinds, a second start node and the reserved kinds are left out whole.
        if (kind < 0 || kind == Kind::Start || !m_doc.catalogue().descriptor(kind))
            continue;
        const NodeId id = readNode(current, kind, from);
        if (id == NoNode)
            continue;
        children.clear();
        for (const tinyxml2::XMLElement *child = current->FirstChildElement(); child;
             child = child->NextSiblingElement())
            children.emplace_back(child, id);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

bool FlowReader::resolveCrossLinks()
{
    bool all = true;
    for (const CrossLink &link : m_pending) {
        const NodeId target = m_doc.nodeAt(link.cell);
        // A link into the start node would make it a child of its own flow.
        if (target == NoNode || target == m_doc.startNode() || !m_doc.exists(link.parent))
            all = false;
        else
            m_doc.linkUnchecked(link.parent, target);
    }
    m_pending.clear();
    return all;
}

} // namespace vocara
