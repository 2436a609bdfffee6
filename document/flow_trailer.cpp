#include "document/flow_trailer.h"

#include "document/flow_format.h"
#include "document/xml_reader.h"
#include "platform/atomic_file.h"

#include <tinyxml2.h>

namespace vocara {

std::optional<std::string> extractFlowText(std::string_view fileText)
{
    const size_t marker = fileText.find(TrailerMarker);
    if (marker == std::string_view::npos)
        return std::nullopt;
    const std::string_view flow = fileText.substr(marker + TrailerMarker.size());
    const bool commented =
        marker > 0 && fileText[marker - 1] == ';' && (marker == 1 || fileText[marker - 2] == '\n');
    if (!commented)
        return std::string(flow);
    std::string text;
    text.reserve(flow.size());
    bool lineStart = false; // the marker's own line goes on to its end
    for (char c : flow) {
        if (!(lineStart && c == ';'))
            text += c;
        lineStart = c == '\n';
    }
    return text;
}

bool isFlowText(std::string_view text)
{
    const XmlImage image = newXmlImage();
    tinyxml2::XMLDocument &doc = *image;
    if (!parseXml(text, doc))
        return false;
    const tinyxml2::XMLElement *root = doc.RootElement();
    return root && std::string_view(root->Name()) == FlowXml::Root &&
           root->FirstChildElement(FlowXml::Start);
}

bool ExtractFlow(const std::filesystem::path &source, const std::filesystem::path &target)
{
    const std::optional<std::string> text = readWholeFile(source);
    if (!text)
        return false;
    const std::optional<std::string> flow = extractFlowText(*text);
    return flow && writeFileAtomically(target, *flow);
}

} // namespace vocara
