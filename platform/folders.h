#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vocara {

// Where the program writes: settings, the log, temporary flows and autosaves.
// VOCARA_USER_DIR, else $XDG_DATA_HOME/vocara, else ~/.local/share/vocara. Created on first use;
// when it cannot be created the path is still returned and writes there fail with the reason.
std::filesystem::path userFolder();

// Where the file-backed registry keeps its hives: VOCARA_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/vocara/registry, else ~/.config/vocara/registry.
std::filesystem::path registryFolder();

// Where the read-only assets live (DTMF tones, language prompts, samples): VOCARA_HOME, else the
// registry's BasePath (HKEY_LOCAL_MACHINE\Software\Orvanta\QenZav Ovoziv), else the
// share/vocara folder beside the executable's prefix (the build tree or an installation), else
// the current folder.
std::filesystem::path installFolder();

// Makes `folder` (its parent must exist) or takes it as it is when it is this user's own folder,
// narrowing its rights to 0700. Refused (false, `error` says why) when it is a link, not a
// folder or someone else's.
bool makePrivateFolder(const std::filesystem::path &folder, std::string *error = nullptr);

// A folder of this user's own below the temporary folder, "<temp>/<name>-<uid>", mode 0700.
// Refused (empty path, `error` says why) when it is a link, not a folder or not the user's.
std::filesystem::path privateTempFolder(std::string_view name, std::string *error = nullptr);

// A fresh folder of this user's own (mode 0700) inside `parent`, removed with what it holds when
// it goes. `path()` is empty when it could not be made.
class TemporaryFolder
{
public:
    TemporaryFolder(const std::filesystem::path &parent, std::string_view prefix);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace vocara
