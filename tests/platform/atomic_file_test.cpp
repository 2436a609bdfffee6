#include "platform/atomic_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

using namespace vocara;
namespace fs = std::filesystem;

using test::readText;

class AtomicFile : public ::testing::Test
{
protected:
    size_t entries() const { return temp.entryCount(); }

    test::TempFolder temp;
    const fs::path &folder = temp.path();
};

TEST_F(AtomicFile, WritesAndReplacesWholeFiles)
{
    const fs::path target = folder / "flow.qfl";
    ASSERT_TRUE(writeFileAtomically(target, std::string("first\0version", 13)));
    EXPECT_EQ(readText(target), std::string("first\0version", 13));
    ASSERT_TRUE(writeFileAtomically(target, "second"));
    EXPECT_EQ(readText(target), "second");
    ASSERT_TRUE(writeFileAtomically(target, ""));
    EXPECT_EQ(readText(target), "");
    EXPECT_EQ(entries(), 1u); // no temporary file left behind
}

TEST_F(AtomicFile, KeepsThePermissionsOfTheFileItReplaces)
{
    const fs::path target = folder / "script.qsc";
    ASSERT_TRUE(writeFileAtomically(target, "a"));
    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(target, "b"));
    struct stat info
    {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(AtomicFile, WritesThroughASymbolicLink)
{
    const fs::path real = folder / "real.qfl";
    const fs::path link = folder / "link.qfl";
    ASSERT_TRUE(writeFileAtomically(real, "old"));
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readText(real), "new");
}

TEST_F(AtomicFile, FailureLeavesTheTargetAndReportsWhy)
{
    std::string error;
    EXPECT_FALSE(writeFileAtomically(folder / "missing" / "flow.qfl", "x", &error));
    EXPECT_NE(error.find("flow.qfl"), std::string::npos);
    EXPECT_NE(error.find("No such file"), std::string::npos);

    // A folder in the target's place cannot be replaced; the temporary file goes away.
    const fs::path occupied = folder / "busy";
    fs::create_directory(occupied);
    fs::create_directory(occupied / "inside");
    error.clear();
    EXPECT_FALSE(writeFileAtomically(occupied, "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(occupied / "inside"));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, ASaveClearsOnlyItsOwnStaleTemporaries)
{
    const fs::path target = folder / "flow.qfl";
    auto make = [&](const std::string &name, bool old) {
        test::writeText(folder / name, "left over");
        if (old)
            fs::last_write_time(folder / name,
                                fs::file_time_type::clock::now() - std::chrono::minutes(5));
    };
    make(".flow.qfl.Ab3dE9", true);        // killed during an earlier save
    make(".flow.qfl.Zz0000.Yy1111", true); // a zip writer's own temporary
    make(".flow.qfl.fresh1", false);       // a save under way right now
    make(".flow.qfl.toolong7", true);
    make(".flow.qfl.ab-de9", true);
    make(".other.qfl.Ab3dE9", true);
    make("flow.qfl.Ab3dE9", true);
    fs::create_symlink(folder / "flow.qfl.Ab3dE9", folder / ".flow.qfl.Link01");
    ASSERT_TRUE(writeFileAtomically(target, "new"));
    std::set<std::string> left;
    for (const auto &entry : fs::directory_iterator(folder))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"flow.qfl", ".flow.qfl.fresh1", ".flow.qfl.toolong7",
                                           ".flow.qfl.ab-de9", ".other.qfl.Ab3dE9",
                                           "flow.qfl.Ab3dE9", ".flow.qfl.Link01"}));
}
