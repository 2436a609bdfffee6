#include "platform/atomic_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
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
