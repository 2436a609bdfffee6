#pragma once

#include "document/read_limits.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
class XMLNode;
class XMLPrinter;
} // namespace tinyxml2

namespace vocara {

inline constexpr int MaxXmlDepth = ReadLimits::MaxDepth;

// One attribute of a start tag, its value with entities decoded. Both views are valid only
// during the call that receives them.
struct XmlAttribute
{
    std::string_view name;
    std::string_view value;
};
using XmlAttributes = std::span<const XmlAttribute>;

// Told what the parser reads, in document order. Blank text between elements is not reported.
class XmlHandler
{
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, XmlAttributes attributes) = 0;
    virtual void endElement() = 0;
    virtual void text(std::string_view, bool /*cdata*/) {}
    virtual void comment(std::string_view) {}
    virtual void declaration(std::string_view) {}
    virtual void unknown(std::string_view) {}
};

// Reads well-formed XML without recursion and tells `handler`. Elements, attributes, text,
// comments, the declaration and the five entities plus character references are understood;
// a document type or processing instruction other than the declaration is an unknown node.
// False, with a reason, for text that is not well-formed XML (the handler may have been told
// part of it by then).
bool parseXml(std::string_view text, XmlHandler &handler, std::string *error = nullptr,
              int maxDepth = MaxXmlDepth);
// The same for a file, read in blocks: memory follows the markup being read, not the file.
inline constexpr size_t XmlBlockBytes = 256 * 1024;
bool parseXmlFile(const std::filesystem::path &path, XmlHandler &handler,
                  std::string *error = nullptr, int maxDepth = MaxXmlDepth,
                  size_t blockBytes = XmlBlockBytes);
// The same from where an open file stands.
bool parseXmlFile(std::FILE *file, XmlHandler &handler, std::string *error = nullptr,
                  int maxDepth = MaxXmlDepth, size_t blockBytes = XmlBlockBytes);

// Builds a document from what the parser reads.
class XmlDomBuilder : public XmlHandler
{
public:
    explicit XmlDomBuilder(tinyxml2::XMLDocument &doc);
    void startElement(std::string_view name, XmlAttributes attributes) override;
    void endElement() override;
    void text(std::string_view text, bool cdata) override;
    void comment(std::string_view text) override;
    void declaration(std::string_view text) override;
    void unknown(std::string_view text) override;
    // The element being filled, or the document.
    tinyxml2::XMLNode *current() const { return m_stack.back(); }

private:
    tinyxml2::XMLDocument &m_doc;
    std::vector<tinyxml2::XMLNode *> m_stack;
    std::string m_buffer;
};

// Frees every node below `node`, deepest first and without recursion: the XML library frees a
// subtree by recursing into it, which a deep flow would take past the end of the stack.
void releaseXml(tinyxml2::XMLNode &node);

// Prints `doc` as the library's own printer would, without recursion.
void printXml(const tinyxml2::XMLDocument &doc, tinyxml2::XMLPrinter &printer);
// The same, letting `fill` write an element's content itself (after its start tag): true when
// it did, and the element's own children are passed over.
void printXml(const tinyxml2::XMLDocument &doc, tinyxml2::XMLPrinter &printer,
              const std::function<bool(const tinyxml2::XMLElement &)> &fill);

// Frees a document with releaseXml first.
struct XmlDocumentDeleter
{
    void operator()(tinyxml2::XMLDocument *doc) const;
};
using XmlImage = std::unique_ptr<tinyxml2::XMLDocument, XmlDocumentDeleter>;
XmlImage newXmlImage();

// Parses `text` into `doc` (emptied first; emptied again when the text is not well-formed),
// so that nesting is limited only by `maxDepth`: the XML library's own parser recurses and
// stops at a hundred levels, which a long flow passes easily.
bool parseXml(std::string_view text, tinyxml2::XMLDocument &doc, std::string *error = nullptr,
              int maxDepth = MaxXmlDepth);
bool parseXmlFile(const std::filesystem::path &path, tinyxml2::XMLDocument &doc,
                  std::string *error = nullptr);

} // namespace vocara
