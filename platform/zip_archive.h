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

// What one archive may unpack to. A flow's archive holds its prompts at 8 kHz (about 30 MB an
// hour of speech), so these leave room for any real flow and stop a bomb early.
struct ZipLimits
{
    std::uint64_t largestEntry = std::uint64_t(512) << 20;
    std::uint64_t totalBytes = std::uint64_t(1) << 30;
    std::uint64_t entries = 10000;
};

// Extracts an archive into `destination`, overwriting files there. Entries are first unpacked
// into a fresh private folder; an entry that is a link or a device, an absolute path, one that
// climbs out with "..", or an archive beyond `limits` (or the free space) refuses the whole
// archive, and then nothing reaches the destination. The limits are checked on the sizes the
// archive announces before anything is written, and again on the bytes as they are unpacked.
// Returns the files placed, relative to the destination; `error` says why it refused.
bool extractZip(const std::filesystem::path &archive, const std::filesystem::path &destination,
                std::vector<std::filesystem::path> &placed, std::string &error,
                const ZipLimits &limits = {});

} // namespace vocara
