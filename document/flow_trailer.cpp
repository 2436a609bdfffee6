#include "document/flow_trailer.h"

#include "document/flow_format.h"
#include "document/read_limits.h"
#include "document/xml_reader.h"
#include "platform/atomic_file.h"

#include <tinyxml2.h>

#include <fstream>

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
    // Line by line, so that a dialplan of any size is never held whole: the same text as
    // extractFlowText gives.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(source, ec);
    if (ec || size > ReadLimits::MaxFileBytes)
        return false;
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    bool found = false;
    bool commented = false;
    std::string flow;
    while (!found && std::getline(in, line)) {
        const bool lastLine = in.eof();
        const size_t marker = line.find(TrailerMarker);
        if (marker == std::string::npos)
            continue;
        found = true;
        commented = marker == 1 && line[0] == ';';
        flow = line.substr(marker + TrailerMarker.size());
        if (!lastLine)
            flow += '\n';
    }
    if (!found)
        return false;
    const std::filesystem::path part = target.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << flow;
        while (out && std::getline(in, line)) {
            out.write(line.data() + (commented && line.starts_with(';') ? 1 : 0),
                      static_cast<std::streamsize>(line.size()) -
                          (commented && line.starts_with(';') ? 1 : 0));
            if (!in.eof())
                out.put('\n');
        }
        out.flush();
        if (!out || in.bad()) {
            std::filesystem::remove(part, ec);
            return false;
        }
    }
    std::filesystem::rename(part, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        return false;
    }
    return true;
}

} // namespace vocara
