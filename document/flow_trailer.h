#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// A dialplan file carries its flow after this line.
inline constexpr std::string_view TrailerMarker = "[Qfl Structure]";
// Larger files are not read: no flow comes near this size.
inline constexpr std::uintmax_t MaxFlowFileSize = 64u * 1024 * 1024;

// The flow text of a dialplan file: everything after the first marker; nothing without one.
std::optional<std::string_view> extractFlowText(std::string_view fileText);

// Reads a whole file of at most MaxFlowFileSize bytes; nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path &path,
                                         std::string *error = nullptr);

// Writes the flow text of `source` into `target`. False when the source has no flow (or
// cannot be read) or the target cannot be written.
bool ExtractFlow(const std::filesystem::path &source, const std::filesystem::path &target);

} // namespace vocara
