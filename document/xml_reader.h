#pragma once

#include <climits>
#include <memory>
#include <string>
#include <string_view>

namespace tinyxml2 {
class XMLDocument;
class XMLNode;
class XMLPrinter;
} // namespace tinyxml2

namespace vocara {

// A flow nests each next node in the one before, so a file is as deep as its longest path:
// nesting is not limited. What reading a file costs is bounded by its size, which the readers
// of files limit.
inline constexpr int MaxXmlDepth = INT_MAX;

// Frees every node below `node`, deepest first and without recursion: the XML library frees a
// subtree by recursing into it, which a deep flow would take past the end of the stack.
void releaseXml(tinyxml2::XMLNode &node);

// Prints `doc` as the library's own printer would, without recursion.
void printXml(const tinyxml2::XMLDocument &doc, tinyxml2::XMLPrinter &printer);

// Frees a document with releaseXml first.
struct XmlDocumentDeleter
{
    void operator()(tinyxml2::XMLDocument *doc) const;
};
using XmlImage = std::unique_ptr<tinyxml2::XMLDocument, XmlDocumentDeleter>;
XmlImage newXmlImage();

// Parses `text` into `doc` (emptied first) without recursion, so that nesting is limited only
// by `maxDepth`: the XML library's own parser stops at a hundred levels, which a long flow
// passes easily. Elements, attributes, text, comments, the declaration and the five entities
// plus character references are understood; a document type or processing instruction other
// than the declaration is kept as an unknown node. False, with a reason, for text that is not
// well-formed XML.
bool parseXml(std::string_view text, tinyxml2::XMLDocument &doc, std::string *error = nullptr,
              int maxDepth = MaxXmlDepth);

} // namespace vocara
