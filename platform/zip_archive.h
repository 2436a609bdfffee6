#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vocara {

// Writes a zip archive holding each file at its top level (by its file name alone). The
// archive is built under a temporary name beside the target and renamed over it, so an old
// archive of that name is replaced whole or not at all. False, with the reason, when a file
// cannot be read, two files share a name, or the archive cannot be written.
bool writeZip(const std::filesystem::path &target, const std::vector<std::filesystem::path> &files,
              std::string &error);

// Extracts an archive into `destination`, overwriting files there. Entries are first unpacked
// into a fresh private folder; an entry that is a link or a device, an absolute path, one that
// climbs out with "..", or one larger than `largestEntry` refuses the whole archive, and then
// nothing reaches the destination. Returns the files placed, relative to the destination.
bool extractZip(const std::filesystem::path &archive, const std::filesystem::path &destination,
                std::vector<std::filesystem::path> &placed, std::string &error,
                std::uint64_t largestEntry = std::uint64_t(2) << 30);

} // namespace vocara
