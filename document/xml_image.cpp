// The XML library's documents: built from what the parser reads, freed and printed without
// recursion.
#include "document/xml_reader.h"

#include <tinyxml2.h>

namespace vocara {

void releaseXml(tinyxml2::XMLNode &node)
{
    tinyxml2::XMLNode *current = &node;
    while (true) {
        // Down to a leaf, then free it and go on from its parent.
        while (current->LastChild())
            current = current->LastChild();
        if (current == &node)
            return;
        tinyxml2::XMLNode *parent = current->Parent();
        parent->DeleteChild(current);
        current = parent;
    }
}

void printXml(const tinyxml2::XMLDocument &doc, tinyxml2::XMLPrinter &printer)
{
    printXml(doc, printer, {});
}

void printXml(const tinyxml2::XMLDocument &doc, tinyxml2::XMLPrinter &printer,
              const std::function<bool(const tinyxml2::XMLElement &)> &fill)
{
    // The visits of XMLPrinter, in the order XMLDocument::Print makes them.
    printer.VisitEnter(doc);
    const tinyxml2::XMLNode *node = doc.FirstChild();
    while (node) {
        const tinyxml2::XMLElement *element = node->ToElement();
        if (element) {
            printer.VisitEnter(*element, element->FirstAttribute());
            if (fill && fill(*element)) {
                // Its content is written already.
            } else if (element->FirstChild()) {
                node = element->FirstChild();
                continue;
            }
            printer.VisitExit(*element);
        } else if (const tinyxml2::XMLText *text = node->ToText()) {
            printer.Visit(*text);
        } else if (const tinyxml2::XMLComment *comment = node->ToComment()) {
            printer.Visit(*comment);
        } else if (const tinyxml2::XMLDeclaration *declaration = node->ToDeclaration()) {
            printer.Visit(*declaration);
        } else if (const tinyxml2::XMLUnknown *unknown = node->ToUnknown()) {
            printer.Visit(*unknown);
        }
        // On to the next sibling, closing every element whose last child this was.
        while (node && !node->NextSibling()) {
            node = node->Parent();
            if (node == &doc)
                node = nullptr;
            else if (node)
                printer.VisitExit(*node->ToElement());
        }
        if (node)
            node = node->NextSibling();
    }
    printer.VisitExit(doc);
}

void XmlDocumentDeleter::operator()(tinyxml2::XMLDocument *doc) const
{
    if (!doc)
        return;
    releaseXml(*doc);
    delete doc;
}

XmlImage newXmlImage()
{
    return XmlImage(new tinyxml2::XMLDocument);
}

XmlDomBuilder::XmlDomBuilder(tinyxml2::XMLDocument &doc)
    : m_doc(doc)
    , m_stack{&doc}
{}

void XmlDomBuilder::startElement(std::string_view name, XmlAttributes attributes)
{
    m_buffer.assign(name);
    tinyxml2::XMLElement *element = m_doc.NewElement(m_buffer.c_str());
    m_stack.back()->InsertEndChild(element);
    std::string value;
    for (const XmlAttribute &attribute : attributes) {
        m_buffer.assign(attribute.name);
        value.assign(attribute.value);
        element->SetAttribute(m_buffer.c_str(), value.c_str());
    }
    m_stack.push_back(element);
}

void XmlDomBuilder::endElement()
{
    m_stack.pop_back();
}

void XmlDomBuilder::text(std::string_view text, bool cdata)
{
    m_buffer.assign(text);
    tinyxml2::XMLText *node = m_doc.NewText(m_buffer.c_str());
    node->SetCData(cdata);
    m_stack.back()->InsertEndChild(node);
}

void XmlDomBuilder::comment(std::string_view text)
{
    m_buffer.assign(text);
    m_stack.back()->InsertEndChild(m_doc.NewComment(m_buffer.c_str()));
}

void XmlDomBuilder::declaration(std::string_view text)
{
    m_buffer.assign(text);
    m_stack.back()->InsertEndChild(m_doc.NewDeclaration(m_buffer.c_str()));
}

void XmlDomBuilder::unknown(std::string_view text)
{
    m_buffer.assign(text);
    m_stack.back()->InsertEndChild(m_doc.NewUnknown(m_buffer.c_str()));
}

namespace {

template<typename Parse>
bool parseInto(tinyxml2::XMLDocument &doc, Parse &&parse)
{
    releaseXml(doc);
    doc.Clear();
    XmlDomBuilder builder(doc);
    if (parse(builder))
        return true;
    releaseXml(doc);
    doc.Clear();
    return false;
}

} // namespace

bool parseXml(std::string_view text, tinyxml2::XMLDocument &doc, std::string *error, int maxDepth)
{
    return parseInto(doc,
                     [&](XmlHandler &builder) { return parseXml(text, builder, error, maxDepth); });
}

bool parseXmlFile(const std::filesystem::path &path, tinyxml2::XMLDocument &doc, std::string *error)
{
    return parseInto(doc, [&](XmlHandler &builder) { return parseXmlFile(path, builder, error); });
}

} // namespace vocara
