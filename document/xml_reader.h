#pragma once

#include <string>
#include <string_view>

namespace tinyxml2 {
class XMLDocument;
}

namespace vocara {

// Deep enough for any flow a person draws, shallow enough that the recursive printing and
// freeing of the XML tree stay well inside a thread's stack.
inline constexpr int MaxXmlDepth = 5000;

// Parses `text` into `doc` (emptied first) without recursion, so that nesting is limited only
// by `maxDepth`: the XML library's own parser stops at a hundred levels, which a long flow
// passes easily. Elements, attributes, text, comments, the declaration and the five entities
// plus character references are understood; a document type or processing instruction other
// than the declaration is kept as an unknown node. False, with a reason, for text that is not
// well-formed XML.
bool parseXml(std::string_view text, tinyxml2::XMLDocument &doc, std::string *error = nullptr,
              int maxDepth = MaxXmlDepth);

} // namespace vocara
