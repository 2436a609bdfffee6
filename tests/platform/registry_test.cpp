#include "platform/registry.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vocara;

namespace {
constexpr const char *User = "HKEY_CURRENT_USER";
}

TEST(RegistryStore, KeysAndValuesAsTheRegistryKeepsThem)
{
    test::TempFolder temp;
    Registry registry(temp.path());
    EXPECT_FALSE(Registry::isHive("HKEY_Current_User")); // hives by their exact names
    EXPECT_FALSE(registry.createKey("HKEY_NOWHERE", "Software"));
    EXPECT_FALSE(registry.createKey(User, "\\"));

    ASSERT_TRUE(registry.setValue(User, "Software\\Orvanta\\QenIvrSimulator", "Sim_Speed", "200"));
    EXPECT_TRUE(registry.keyExists(User, "software\\ORVANTA")); // parents made, any case
    EXPECT_EQ(registry.value(User, "\\SOFTWARE\\orvanta\\qenivrsimulator\\", "sim_speed"), "200");
    EXPECT_EQ(registry.value("HKEY_USERS", "Software\\Orvanta\\QenIvrSimulator", "Sim_Speed"),
              std::nullopt);

    // Any text survives the file: separators, line breaks, brackets, "=".
    const std::string odd = "a=b\\c\n[d]\r\te";
    ASSERT_TRUE(registry.setValue(User, "Software\\[odd]=key", odd, odd));
    EXPECT_EQ(Registry(temp.path()).value(User, "software\\[ODD]=key", odd), odd);
    EXPECT_TRUE(registry.setValue(User, "Software\\Orvanta", "", "default value"));
    EXPECT_EQ(registry.value(User, "Software\\Orvanta", ""), "default value");

    EXPECT_TRUE(registry.deleteValue(User, "Software\\Orvanta", ""));
    EXPECT_FALSE(registry.deleteValue(User, "Software\\Orvanta", ""));
    // A key with subkeys, or the root, stays.
    EXPECT_FALSE(registry.deleteKey(User, "Software\\Orvanta"));
    EXPECT_FALSE(registry.deleteKey(User, ""));
    EXPECT_FALSE(registry.deleteKey(User, "\\"));
    EXPECT_TRUE(registry.deleteKey(User, "Software\\Orvanta\\QenIvrSimulator"));
    EXPECT_TRUE(registry.deleteKey(User, "Software\\Orvanta"));
    EXPECT_FALSE(registry.keyExists(User, "Software\\Orvanta"));
    EXPECT_TRUE(registry.keyExists(User, "Software"));

    // A key path is never a file path.
    EXPECT_TRUE(registry.createKey(User, "..\\..\\etc"));
    for (const auto &entry : std::filesystem::directory_iterator(temp.path()))
        EXPECT_TRUE(entry.path().filename().string().starts_with("HKEY_")) << entry.path();
    EXPECT_EQ(std::filesystem::status(temp / "HKEY_CURRENT_USER.reg").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(RegistryStore, ConcurrentWritersAndACrashLoseNothing)
{
    test::TempFolder temp;
    Registry registry(temp.path());
    // Two threads and a second process write at once: every value lands.
    auto writer = [&](const std::string &who) {
        for (int i = 0; i < 50; ++i)
            registry.setValue(User, "Software\\Load", who + std::to_string(i), "x");
    };
    const pid_t child = ::fork();
    if (child == 0) {
        Registry own(temp.path());
        for (int i = 0; i < 50; ++i)
            own.setValue(User, "Software\\Load", "process" + std::to_string(i), "x");
        ::_exit(0);
    }
    std::thread first(writer, "first");
    std::thread second(writer, "second");
    first.join();
    second.join();
    int status = 0;
    ::waitpid(child, &status, 0);
    for (const char *who : {"first", "second", "process"})
        for (int i = 0; i < 50; ++i)
            EXPECT_EQ(registry.value(User, "Software\\Load", who + std::to_string(i)), "x")
                << who << i;

    // A process killed in the middle of its writes leaves a whole hive behind.
    const pid_t victim = ::fork();
    if (victim == 0) {
        Registry own(temp.path());
        for (int i = 0;; ++i)
            own.setValue(User, "Software\\Crash", "v" + std::to_string(i), std::string(4096, 'y'));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(victim, SIGKILL);
    ::waitpid(victim, &status, 0);
    EXPECT_EQ(registry.value(User, "Software\\Load", "first49"), "x");
    EXPECT_EQ(registry.value(User, "Software\\Crash", "v0"), std::string(4096, 'y'));
}
