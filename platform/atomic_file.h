#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// Replaces `target` with `bytes` so that a reader sees either the old file or the whole new
// one: the bytes go to a temporary file beside the target, are flushed to disk, and the
// temporary file is renamed over the target. An existing target keeps its permissions.
// On failure the target is untouched, no temporary file is left behind and `error` (when
// given) receives the system's reason.
bool writeFileAtomically(const std::filesystem::path &target, std::string_view bytes,
                         std::string *error = nullptr);

// The name pattern of the temporary files beside `target` ("." + name + ".XXXXXX", and the
// ".XXXXXX" a zip writer adds to that); removes those older than `age` that this user owns.
// A save killed during its write leaves one behind; the next save of that target clears it.
// Returns how many were removed.
int removeStaleTemporaries(const std::filesystem::path &target,
                           std::chrono::seconds age = std::chrono::seconds(60));

// Larger files are not read whole: no flow, prompt or attachment comes near this size.
inline constexpr std::uintmax_t MaxWholeFileSize = 64u * 1024 * 1024;

// Reads a whole file of at most MaxWholeFileSize bytes; nothing when it cannot be read, with
// the reason in `error` (when given).
std::optional<std::string> readWholeFile(const std::filesystem::path &path,
                                         std::string *error = nullptr);

} // namespace vocara
