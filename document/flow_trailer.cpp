#include "document/flow_trailer.h"

#include "document/flow_file_reader.h"
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

std::string completeDeclaration(std::string_view text)
{
    constexpr std::string_view Opening = "<?xml";
    if (!text.starts_with(Opening) || (text.size() > Opening.size() &&
                                       text[Opening.size()] != ' ' && text[Opening.size()] != '?'))
        return std::string(text);
    const std::string_view declaration = text.substr(0, text.find("?>"));
    if (declaration.find("version") != std::string_view::npos)
        return std::string(text);
    return std::string(Opening) + " version=\"1.0\"" + std::string(text.substr(Opening.size()));
}

bool ExtractFlow(const std::filesystem::path &source, const std::filesystem::path &target,
                 ExtractForm form)
{
    return extractFlowFile(source, target, form) == ExtractResult::Extracted;
}

bool isFlowFile(const std::filesystem::path &path)
{
    FlowFileCheck check;
    return parseXmlFile(path, check) && check.isFlow();
}

ExtractResult extractFlowFile(const std::filesystem::path &source,
                              const std::filesystem::path &target, ExtractForm form)
{
    // Line by line, so that a dialplan of any size is never held whole: the same text as
    // extractFlowText gives.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(source, ec);
    if (ec || size > ReadLimits::MaxFileBytes)
        return ExtractResult::Unreadable;
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return ExtractResult::Unreadable;
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
        return in.bad() ? ExtractResult::Unreadable : ExtractResult::NoFlow;
    const std::filesystem::path part = target.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        bool started = form == ExtractForm::AsCarried;
        // Every line as it was, or from the first one with text, with a complete declaration.
        auto emit = [&](std::string_view text, bool lineEnd) {
            if (!started) {
                const size_t first = text.find_first_not_of(" \t\r\n");
                if (first == std::string_view::npos)
                    return;
                started = true;
                const std::string declared = completeDeclaration(text.substr(first));
                out.write(declared.data(), static_cast<std::streamsize>(declared.size()));
            } else {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
            }
            if (lineEnd)
                out.put('\n');
        };
        if (!flow.empty() && flow.back() == '\n')
            emit(std::string_view(flow).substr(0, flow.size() - 1), true);
        else
            emit(flow, false);
        while (out && std::getline(in, line)) {
            const bool uncomment = commented && line.starts_with(';');
            emit(std::string_view(line).substr(uncomment ? 1 : 0), !in.eof());
        }
        out.flush();
        if (!out || in.bad()) {
            std::filesystem::remove(part, ec);
            return in.bad() ? ExtractResult::Unreadable : ExtractResult::NotWritten;
        }
    }
    std::filesystem::rename(part, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        return ExtractResult::NotWritten;
    }
    return ExtractResult::Extracted;
}

} // namespace vocara
