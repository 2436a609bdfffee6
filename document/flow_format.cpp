#include "document/flow_format.h"

#include "document/variable_list.h"

#include <array>

namespace vocara {

namespace {

// Any four bytes would do; these keep printable text printable (see scramblePassword).
constexpr std::array<unsigned char, 4> PasswordKey = {0x05, 0x03, 0x07, 0x01};

} // namespace

std::string encodeValue(std::string_view key, std::string_view stored)
{
    if (key == "type")
        return stored == "0" ? "async" : "sync";
    if (key == "digits" || key == "DeleteFile" || key == "File" || key == "Message" ||
        key == "DeleteAccesFile")
        return stored == "0" ? "false" : "true";
    return std::string(stored);
}

std::string decodeValue(std::string_view label, std::string_view text)
{
    if (label == "Sync" || label == "Delete File")
        return text == "sync" || text == "true" ? "1" : "0";
    if (label == "File Enabled" || label == "Message Enabled" || label == "Digits")
        return text == "true" ? "1" : "0";
    return std::string(text);
}

std::string scramblePassword(std::string_view text)
{
    std::string result(text);
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<char>(static_cast<unsigned char>(result[i]) ^ PasswordKey[i % 4]);
    return result;
}

DocumentMode modeForPath(std::string_view path)
{
    if (endsWithIgnoringCase(path, FlowFiles::ContextExtension))
        return DocumentMode::Asterisk;
    if (endsWithIgnoringCase(path, FlowFiles::FlowExtension) ||
        endsWithIgnoringCase(path, FlowFiles::ScriptExtension))
        return DocumentMode::Flow;
    return DocumentMode::None;
}

std::string titleForPath(std::string_view path)
{
    const size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string contextFilePath(std::string_view path)
{
    // Only the last extension changes; folders named like ".qfl" stay as they are.
    if (path.ends_with(FlowFiles::FlowExtension))
        return std::string(path.substr(0, path.size() - FlowFiles::FlowExtension.size())) +
               std::string(FlowFiles::ContextExtension);
    return std::string(path);
}

std::optional<SaveAsDefaults> saveAsDefaults(DocumentMode mode)
{
    switch (mode) {
    case DocumentMode::Flow:
        return SaveAsDefaults{FlowFiles::FlowUntitled, FlowFiles::FlowFilter,
                              FlowFiles::FlowExtension};
    case DocumentMode::Asterisk:
        return SaveAsDefaults{FlowFiles::ContextUntitled, FlowFiles::ContextFilter,
                              FlowFiles::ContextExtension};
    default:
        return std::nullopt;
    }
}

std::string withSaveExtension(std::string_view name, DocumentMode mode)
{
    const auto defaults = saveAsDefaults(mode);
    std::string result(name);
    if (defaults && !name.empty() && name.find(defaults->extension) == std::string_view::npos)
        result += defaults->extension;
    return result;
}

std::string scriptFilePath(std::string_view name, std::string_view installFolder)
{
    if (containsIgnoringCase(name, "qsc"))
        return std::string(name);
    std::string path(installFolder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + std::string(FlowFiles::ScriptFolder) + "/" + std::string(name) +
           std::string(FlowFiles::ScriptExtension);
}

} // namespace vocara
