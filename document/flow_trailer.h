#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// A dialplan file carries its flow after this line.
inline constexpr std::string_view TrailerMarker = "[Qfl Structure]";

// The flow text of a dialplan file: everything after the first marker; nothing without one.
// When the marker line is itself a comment (";[Qfl Structure]"), every line after it is one
// too, so that Asterisk reads none of the flow: each line's first ";" is taken off.
std::optional<std::string> extractFlowText(std::string_view fileText);

// True when `text` is a flow as the flow reader takes it: well-formed, with the flow's root
// element and its start element.
bool isFlowText(std::string_view text);

// How an extracted flow is written: byte for byte as the dialplan carries it, or as XML any XML
// tool reads (from the first line with text, the declaration given the version it lacks).
enum class ExtractForm { AsCarried, AsXml };

// A flow's first line with the XML declaration completed: the version, which a stored flow's
// declaration leaves out, is added to one that has none.
std::string completeDeclaration(std::string_view text);

enum class ExtractResult { Extracted, NoFlow, Unreadable, NotWritten };

// Writes the flow text of `source` into `target` (through a temporary file beside it).
ExtractResult extractFlowFile(const std::filesystem::path &source,
                              const std::filesystem::path &target,
                              ExtractForm form = ExtractForm::AsCarried);
// The same, true when it was extracted.
bool ExtractFlow(const std::filesystem::path &source, const std::filesystem::path &target,
                 ExtractForm form = ExtractForm::AsCarried);

// True when the file is a flow the document can open (read without holding it).
bool isFlowFile(const std::filesystem::path &path);

} // namespace vocara
