#include "platform/folders.h"
#include "platform/registry.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

using namespace vocara;

namespace {

// Sets environment variables for one test and puts the old values back afterwards.
class Environment
{
public:
    ~Environment()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    void set(const std::string &name, const char *value)
    {
        const char *old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace

TEST(Folders, OverridesThenXdgThenHome)
{
    test::TempFolder temp;
    Environment env;
    env.set("VOCARA_USER_DIR", (temp / "user").c_str());
    env.set("VOCARA_REGISTRY_DIR", (temp / "registry").c_str());
    EXPECT_EQ(userFolder(), temp / "user");
    EXPECT_EQ(registryFolder(), temp / "registry");
    EXPECT_TRUE(std::filesystem::is_directory(temp / "user"));

    env.set("VOCARA_USER_DIR", nullptr);
    env.set("VOCARA_REGISTRY_DIR", "");
    env.set("XDG_DATA_HOME", (temp / "data").c_str());
    env.set("XDG_CONFIG_HOME", (temp / "config").c_str());
    EXPECT_EQ(userFolder(), temp / "data/vocara");
    EXPECT_EQ(registryFolder(), temp / "config/vocara/registry");

    // Relative XDG values are ignored.
    env.set("XDG_DATA_HOME", "relative");
    env.set("HOME", (temp / "home").c_str());
    EXPECT_EQ(userFolder(), temp / "home/.local/share/vocara");
    EXPECT_TRUE(std::filesystem::is_directory(temp / "home/.local/share/vocara"));
}

TEST(Folders, PrivateTempFoldersAreTheUsersOwn)
{
    test::TempFolder temp;
    Environment env;
    env.set("TMPDIR", temp.path().c_str());
    const std::string name = "Spool-" + std::to_string(::getuid());
    std::string error;
    const std::filesystem::path folder = privateTempFolder("Spool", &error);
    ASSERT_EQ(folder, temp / name) << error;
    EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    EXPECT_EQ(privateTempFolder("Spool"), folder); // and mended to 0700 again
    EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);

    // Someone else's link in its place is refused.
    std::filesystem::create_directory(temp / "elsewhere");
    std::filesystem::create_directory_symlink(temp / "elsewhere",
                                              temp / ("Planted-" + std::to_string(::getuid())));
    EXPECT_EQ(privateTempFolder("Planted", &error), std::filesystem::path());
    EXPECT_NE(error.find("a link or a file"), std::string::npos);
}

TEST(Folders, TheInstallFolderComesFromTheRegistryWhenRecorded)
{
    test::TempFolder temp;
    Environment env;
    env.set("VOCARA_HOME", nullptr);
    env.set("VOCARA_REGISTRY_DIR", (temp / "registry").c_str());
    std::filesystem::create_directory(temp / "installed");
    Registry(temp / "registry")
        .setValue("HKEY_LOCAL_MACHINE", "Software\\Orvanta\\QenZav Ovoziv", "BasePath",
                  (temp / "installed").string());
    EXPECT_EQ(installFolder(), temp / "installed");
    env.set("VOCARA_HOME", (temp / "home").c_str());
    EXPECT_EQ(installFolder(), temp / "home");
}
