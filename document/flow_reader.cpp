#include "document/flow_reader.h"

#include "document/flow_format.h"
#include "document/text_util.h"
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

std::string_view attribute(XmlAttributes attributes, std::string_view name)
{
    for (const XmlAttribute &a : attributes) {
        if (a.name == name)
            return a.value;
    }
    return {};
}

// Numbers as the C library reads them: leading digits, 0 for none, kept inside the grid.
int coordinate(XmlAttributes attributes, std::string_view name)
{
    return static_cast<int>(
        std::clamp<long long>(leadingLongLong(attribute(attributes, name)), -1, MaxGridCoordinate));
}

} // namespace

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

void FlowReader::readCrossLink(XmlAttributes attributes, NodeId parent)
{
    if (parent == NoNode)
        return;
    const Cell target =
        shifted({coordinate(attributes, "childy"), coordinate(attributes, "childx")});
    const NodeId existing = m_doc.nodeAt(target);
    if (existing != NoNode && existing != m_doc.startNode())
        m_doc.linkUnchecked(parent, existing);
    else
        m_pending.push_back({parent, target});
}

NodeId FlowReader::readNode(XmlAttributes attributes, NodeKind kind, NodeId parent)
{
    const Cell cell = shifted({coordinate(attributes, "X"), coordinate(attributes, "Y")});
    const NodeId id = m_keepNames ? m_doc.createNode(cell, kind, attribute(attributes, "name"))
                                  : m_doc.createNode(cell, kind);
    if (id == NoNode)
        return NoNode;
    if (parent != NoNode)
        m_doc.linkUnchecked(parent, id);
    const KindDescriptor *descriptor = m_doc.catalogue().descriptor(kind);
    for (int i = 0; i < descriptor->propertyCount; ++i) {
        const PropertyDescriptor &property = descriptor->properties[static_cast<size_t>(i)];
        const std::string_view text = attribute(attributes, property.key);
        if (property.label == "User Password") {
            m_doc.setNodeValue(id, PasswordSlot, scramblePassword(text));
            m_doc.setNodeValue(id, i, std::string(text.size(), '*'));
        } else if (std::string value = decodeValue(property.label, text); !value.empty()) {
            m_doc.setNodeValue(id, i, std::move(value));
        }
    }
    return id;
}

void FlowReader::beginTree(NodeId parent)
{
    m_treeParent = parent;
    m_open.clear();
}

void FlowReader::startElement(std::string_view name, XmlAttributes attributes)
{
    const NodeId from = m_open.empty() ? m_treeParent : m_open.back();
    if (from == Skipped) {
        m_open.push_back(Skipped);
        return;
    }
    const NodeKind kind = kindFromElement(name, attribute(attributes, "value"));
    NodeId id = Skipped;
    if (kind == Kind::BranchTo) {
        readCrossLink(attributes, from);
    } else if (kind >= 0 && kind != Kind::Start && m_doc.catalogue().descriptor(kind)) {
        // Unknown kinds, a second start node and the reserved kinds are left out whole.
        id = readNode(attributes, kind, from);
        if (id == NoNode)
            id = Skipped;
    }
    m_open.push_back(id);
}

void FlowReader::endElement()
{
    if (!m_open.empty())
        m_open.pop_back();
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
