#include "platform/folders.h"

#include "platform/registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vocara {

namespace {

std::filesystem::path fromEnvironment(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path homeFolder()
{
    std::filesystem::path home = fromEnvironment("HOME");
    if (home.empty()) {
        if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            home = entry->pw_dir;
    }
    return home.empty() ? std::filesystem::temp_directory_path() : home;
}

// An override, else the XDG base folder (relative values are ignored, as XDG asks), else the
// fallback below the home folder.
std::filesystem::path resolve(const char *override, const char *xdgVariable,
                              const std::filesystem::path &xdgFallback,
                              const std::filesystem::path &below)
{
    std::filesystem::path folder = fromEnvironment(override);
    if (folder.empty()) {
        std::filesystem::path base = fromEnvironment(xdgVariable);
        if (base.empty() || base.is_relative())
            base = homeFolder() / xdgFallback;
        folder = base / below;
    }
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

constexpr std::string_view InstallHive = "HKEY_LOCAL_MACHINE";
constexpr std::string_view InstallKey = "Software\\Orvanta\\QenZav Ovoziv";
constexpr std::string_view InstallValue = "BasePath";

} // namespace

std::filesystem::path userFolder()
{
    return resolve("VOCARA_USER_DIR", "XDG_DATA_HOME", ".local/share", "vocara");
}

std::filesystem::path installFolder()
{
    if (std::filesystem::path home = fromEnvironment("VOCARA_HOME"); !home.empty())
        return home;
    std::error_code error;
    // Where an installer recorded it.
    if (const std::optional<std::string> base =
            Registry(registryFolder()).value(InstallHive, InstallKey, InstallValue);
        base && !base->empty() && std::filesystem::is_directory(*base, error))
        return *base;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        // bin/vocara or cli/vocara-cli in the build tree: both sit one level below the prefix.
        std::filesystem::path share = executable.parent_path().parent_path() / "share/vocara";
        if (std::filesystem::is_directory(share, error))
            return share;
    }
    return std::filesystem::current_path(error);
}

bool makePrivateFolder(const std::filesystem::path &folder, std::string *error)
{
    auto refuse = [&](const std::string &why) {
        if (error)
            *error = folder.string() + ": " + why;
        return false;
    };
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return refuse(std::strerror(errno));
    struct stat info
    {};
    if (::lstat(folder.c_str(), &info) != 0)
        return refuse(std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        return refuse("not a folder of its own (a link or a file)");
    if (info.st_uid != ::getuid())
        return refuse("belongs to another user");
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return refuse(std::strerror(errno));
    return true;
}

std::filesystem::path privateTempFolder(std::string_view name, std::string *error)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         (std::string(name) + "-" + std::to_string(::getuid()));
    return makePrivateFolder(folder, error) ? folder : std::filesystem::path();
}

TemporaryFolder::TemporaryFolder(const std::filesystem::path &parent, std::string_view prefix)
{
    std::string pattern = (parent / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path registryFolder()
{
    return resolve("VOCARA_REGISTRY_DIR", "XDG_CONFIG_HOME", ".config", "vocara/registry");
}

} // namespace vocara
