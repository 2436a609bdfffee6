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

// Writes the flow text of `source` into `target`. False when the source has no flow (or
// cannot be read) or the target cannot be written.
bool ExtractFlow(const std::filesystem::path &source, const std::filesystem::path &target);

} // namespace vocara
