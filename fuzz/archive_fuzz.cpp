// Feeds arbitrary bytes as an archive to import: nothing may land outside the destination,
// and a refused archive places nothing.
#include "fuzz/fuzz_folder.h"
#include "platform/atomic_file.h"
#include "platform/zip_archive.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::filesystem::path archive = fuzzFolder() / "input.zip";
    const std::filesystem::path destination = fuzzFolder() / "out";
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
    for (const auto &entry : std::filesystem::directory_iterator(fuzzFolder()))
        if (entry.path() != archive && entry.path() != destination)
            std::abort();
    std::error_code ec;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(destination, ec))
        if (entry.is_symlink() || !(entry.is_regular_file() || entry.is_directory()))
            std::abort();
    std::filesystem::remove_all(destination);
    return 0;
}
