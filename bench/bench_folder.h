#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A scratch folder for one benchmark program, made on first use.
inline const std::filesystem::path &benchFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vocara-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}
