#include "document/flow_trailer.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace vocara {

std::optional<std::string_view> extractFlowText(std::string_view fileText)
{
    const size_t marker = fileText.find(TrailerMarker);
    if (marker == std::string_view::npos)
        return std::nullopt;
    return fileText.substr(marker + TrailerMarker.size());
}

std::optional<std::string> readWholeFile(const std::filesystem::path &path, std::string *error)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        if (error)
            *error = ec.message();
        return std::nullopt;
    }
    if (size > MaxFlowFileSize) {
        if (error)
            *error = "the file is too large";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = std::strerror(errno);
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

bool ExtractFlow(const std::filesystem::path &source, const std::filesystem::path &target)
{
    const std::optional<std::string> text = readWholeFile(source);
    if (!text)
        return false;
    const std::optional<std::string_view> flow = extractFlowText(*text);
    return flow && writeFileAtomically(target, *flow);
}

} // namespace vocara
