#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// A private folder for one fuzzing run, made on first use.
inline const std::filesystem::path &fuzzFolder()
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
