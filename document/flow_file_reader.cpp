#include "document/flow_file_reader.h"

#include "document/flow_format.h"
#include "document/flow_reader.h"
#include "document/read_limits.h"
#include "document/text_util.h"

namespace vocara {

void FlowFileCheck::startElement(std::string_view name, XmlAttributes attributes)
{
    ++m_depth;
    if (++m_elements > ReadLimits::MaxNodes)
        m_tooLarge = true;
    if (m_depth == 1)
        m_rootIsFlow = name == FlowXml::Root;
    if (m_depth == 2 && name == FlowXml::Start && !m_startSeen) {
        m_startSeen = true;
        for (const XmlAttribute &a : attributes) {
            if (a.name == "version") {
                m_hasVersion = true;
                m_version.assign(a.value);
            }
        }
    }
    // A cell beyond the grid would have to be moved; the file is refused instead.
    for (const XmlAttribute &a : attributes) {
        if ((a.name == "X" || a.name == "Y" || a.name == "childx" || a.name == "childy") &&
            leadingLongLong(a.value) > MaxGridCoordinate)
            m_inGrid = false;
    }
}

FlowFileLoad::FlowFileLoad(FlowReader &reader, tinyxml2::XMLDocument &skeleton, NodeId startNode)
    : m_reader(reader)
    , m_skeleton(skeleton)
    , m_startNode(startNode)
{}

void FlowFileLoad::startElement(std::string_view name, XmlAttributes attributes)
{
    const Part outer = m_parts.empty() ? Part::Skeleton : m_parts.back();
    Part part = Part::Skipped;
    switch (outer) {
    case Part::Skeleton:
        part = Part::Skeleton;
        // The root's first start node and first orphan section hold the trees.
        if (m_parts.size() == 1 && name == FlowXml::Start && !m_startSeen) {
            m_startSeen = true;
            part = Part::StartNode;
        } else if (m_parts.size() == 1 && name == FlowXml::Orphans && !m_orphansSeen) {
            m_orphansSeen = true;
            part = Part::OrphanSection;
        }
        m_skeleton.startElement(name, attributes);
        break;
    case Part::StartNode:
        // The start node has one next node; anything after it is left out.
        if (!m_startTreeRead) {
            m_startTreeRead = true;
            m_reader.beginTree(m_startNode);
            m_reader.startElement(name, attributes);
            part = Part::Tree;
        }
        break;
    case Part::OrphanSection:
        if (m_readOrphans) {
            m_reader.beginTree(NoNode);
            m_reader.startElement(name, attributes);
            part = Part::Tree;
        }
        break;
    case Part::Tree:
        m_reader.startElement(name, attributes);
        part = Part::Tree;
        break;
    case Part::Skipped:
        break;
    }
    m_parts.push_back(part);
}

void FlowFileLoad::endElement()
{
    const Part part = m_parts.back();
    m_parts.pop_back();
    if (part == Part::Tree)
        m_reader.endElement();
    else if (part != Part::Skipped)
        m_skeleton.endElement();
}

void FlowFileLoad::text(std::string_view text, bool cdata)
{
    if (inSkeleton())
        m_skeleton.text(text, cdata);
}

void FlowFileLoad::comment(std::string_view text)
{
    if (inSkeleton())
        m_skeleton.comment(text);
}

void FlowFileLoad::declaration(std::string_view text)
{
    if (inSkeleton())
        m_skeleton.declaration(text);
}

void FlowFileLoad::unknown(std::string_view text)
{
    if (inSkeleton())
        m_skeleton.unknown(text);
}

} // namespace vocara
