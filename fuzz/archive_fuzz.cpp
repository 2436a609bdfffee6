// Feeds arbitrary bytes as an archive to import: nothing may land outside the destination,
// and a refused archive places nothing.
#include "platform/atomic_file.h"
#include "platform/zip_archive.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path &folder()
{
    static const std::filesystem::path path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vocara-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::filesystem::path archive = folder() / "input.zip";
    const std::filesystem::path destination = folder() / "out";
    vocara::writeFileAtomically(archive,
                                std::string_view(reinterpret_cast<const char *>(data), size));
    vocara::ZipLimits limits;
    limits.largestEntry = 1 << 20;
    limits.totalBytes = 4 << 20;
    limits.entries = 256;
    std::vector<std::filesystem::path> placed;
    std::string error;
    const bool ok = vocara::extractZip(archive, destination, placed, error, limits);
    if (!ok && (!placed.empty() || error.empty()))
        std::abort();
    for (const auto &entry : std::filesystem::directory_iterator(folder()))
        if (entry.path() != archive && entry.path() != destination)
            std::abort();
    std::error_code ec;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(destination, ec))
        if (entry.is_symlink() || !(entry.is_regular_file() || entry.is_directory()))
            std::abort();
    std::filesystem::remove_all(destination);
    return 0;
}
