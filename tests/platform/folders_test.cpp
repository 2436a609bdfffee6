#include "platform/folders.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

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
