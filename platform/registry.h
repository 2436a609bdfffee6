#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

// A registry of text values kept in files: one file per hive in the registry folder. Key paths
// are separated by "\", compared without regard to case, and never become file names. Every
// change reads the hive afresh and replaces its file atomically under a lock, so threads and
// processes may write at once and a crash leaves the previous content.
class Registry
{
public:
    // The hives, by their exact names.
    static bool isHive(std::string_view hive);

    explicit Registry(std::filesystem::path folder);

    // Opens or creates the key and every missing parent; false for an unknown hive, an empty
    // path or a file that cannot be written.
    bool createKey(std::string_view hive, std::string_view keyPath);
    bool keyExists(std::string_view hive, std::string_view keyPath) const;
    // Creates the key as needed.
    bool setValue(std::string_view hive, std::string_view keyPath, std::string_view name,
                  std::string_view value);
    std::optional<std::string> value(std::string_view hive, std::string_view keyPath,
                                     std::string_view name) const;
    bool deleteValue(std::string_view hive, std::string_view keyPath, std::string_view name);
    // Refused for an empty path (the hive's root) and for a key with subkeys.
    bool deleteKey(std::string_view hive, std::string_view keyPath);

    const std::filesystem::path &folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
};

} // namespace vocara
