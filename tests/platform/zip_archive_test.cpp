#include "platform/zip_archive.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>
#include <sys/stat.h>

using namespace vocara;

namespace {

// An archive of hand-made entries: name -> content; a content of "->target" makes a link.
void makeArchive(const std::filesystem::path &path,
                 const std::vector<std::pair<std::string, std::string>> &entries)
{
    int code = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const auto &[name, content] : entries) {
        const bool link = content.starts_with("->");
        const std::string bytes = link ? content.substr(2) : content;
        char *copy = static_cast<char *>(std::malloc(bytes.size() + 1));
        std::memcpy(copy, bytes.data(), bytes.size());
        zip_source_t *source = zip_source_buffer(archive, copy, bytes.size(), 1);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << name;
        if (link)
            zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                             ZIP_OPSYS_UNIX, (S_IFLNK | 0777) << 16);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

} // namespace

TEST(ZipArchive, FilesGoInAtTheTopLevelAndComeOutWhole)
{
    test::TempFolder temp;
    std::filesystem::create_directories(temp / "a/deep");
    test::writeText(temp / "a/deep/hello.wav", std::string(5000, 'w'));
    test::writeText(temp / "autosave.qfl", "<QenIvr/>");
    std::string error;
    ASSERT_TRUE(
        writeZip(temp / "out.zip", {temp / "a/deep/hello.wav", temp / "autosave.qfl"}, error))
        << error;
    // A second export replaces the archive rather than adding to it.
    ASSERT_TRUE(writeZip(temp / "out.zip", {temp / "autosave.qfl"}, error)) << error;
    std::vector<std::filesystem::path> placed;
    ASSERT_TRUE(extractZip(temp / "out.zip", temp / "in", placed, error)) << error;
    EXPECT_EQ(placed, std::vector<std::filesystem::path>{"autosave.qfl"});
    EXPECT_EQ(test::readText(temp / "in/autosave.qfl"), "<QenIvr/>");

    EXPECT_FALSE(writeZip(temp / "two.zip", {temp / "autosave.qfl", temp / "autosave.qfl"}, error));
    EXPECT_FALSE(writeZip(temp / "gone.zip", {temp / "missing.wav"}, error));
    EXPECT_NE(error.find("missing.wav"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp / "gone.zip"));
}

TEST(ZipArchive, HostileArchivesAreRefusedWhole)
{
    test::TempFolder temp;
    struct Case
    {
        const char *what;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    const std::vector<Case> cases = {
        {"climbing out", {{"good.txt", "x"}, {"../x", "evil"}}},
        {"absolute", {{"good.txt", "x"}, {"/tmp/vocara-evil", "evil"}}},
        {"a link", {{"good.txt", "x"}, {"link", "->/etc/passwd"}}},
        {"hidden climb", {{"good.txt", "x"}, {"sub/../../x", "evil"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        makeArchive(temp / "bad.zip", c.entries);
        std::vector<std::filesystem::path> placed;
        std::string error;
        const auto destination = temp / "dest";
        EXPECT_FALSE(extractZip(temp / "bad.zip", destination, placed, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(placed.empty());
        EXPECT_FALSE(std::filesystem::exists(destination / "good.txt"));
        EXPECT_FALSE(std::filesystem::exists(temp / "x"));
        EXPECT_FALSE(std::filesystem::is_symlink(destination / "link"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(destination), {}), 0);
    }

    // An entry that claims a gigabyte in a file of a few hundred bytes.
    makeArchive(temp / "bomb.zip", {{"big.bin", "0123456789"}});
    std::string bytes = test::readText(temp / "bomb.zip");
    auto patch = [&](size_t at) {
        bytes[at] = 0;
        bytes[at + 1] = 0;
        bytes[at + 2] = 0;
        bytes[at + 3] = 0x40; // 1 GiB, little-endian
    };
    patch(22);                            // local header: uncompressed size
    patch(bytes.find("PK\x01\x02") + 24); // central directory: uncompressed size
    test::writeText(temp / "bomb.zip", bytes);
    std::vector<std::filesystem::path> placed;
    std::string error;
    EXPECT_FALSE(extractZip(temp / "bomb.zip", temp / "dest", placed, error));
    EXPECT_FALSE(std::filesystem::exists(temp / "dest/big.bin"));
    test::writeText(temp / "junk.zip", "not an archive");
    EXPECT_FALSE(extractZip(temp / "junk.zip", temp / "dest", placed, error));
}

TEST(ZipArchive, PermissionOnlyEntriesAreRegularFiles)
{
    // Some tools record a Unix entry's permissions without its file-type bits.
    test::TempFolder temp;
    makeArchive(temp / "plain.zip", {{"autosave.qfl", "<QenIvr/>"}, {"sub/a.wav", "RIFF"}});
    int code = 0;
    zip_t *archive = zip_open((temp / "plain.zip").c_str(), 0, &code);
    ASSERT_NE(archive, nullptr);
    for (zip_uint64_t i = 0; i < 2; ++i)
        zip_file_set_external_attributes(archive, i, 0, ZIP_OPSYS_UNIX, 0600u << 16);
    ASSERT_EQ(zip_close(archive), 0);
    std::vector<std::filesystem::path> placed;
    std::string error;
    ASSERT_TRUE(extractZip(temp / "plain.zip", temp / "dest", placed, error)) << error;
    EXPECT_EQ(test::readText(temp / "dest/sub/a.wav"), "RIFF");

    // A refusal says why.
    makeArchive(temp / "link.zip", {{"link", "->/etc/passwd"}});
    EXPECT_FALSE(extractZip(temp / "link.zip", temp / "dest", placed, error));
    EXPECT_EQ(error, "The archive entry link is refused: it is a symbolic link");
    makeArchive(temp / "climb.zip", {{"../x", "evil"}});
    EXPECT_FALSE(extractZip(temp / "climb.zip", temp / "dest", placed, error));
    EXPECT_EQ(error, "The archive entry ../x is refused: its name leads out of the folder");
}

TEST(ZipArchive, TotalSizeAndEntryCountAreCappedBeforeAnythingIsWritten)
{
    test::TempFolder temp;
    // Five entries that each pass the entry limit but not, together, the total.
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 5; ++i)
        entries.emplace_back("part" + std::to_string(i) + ".bin", std::string(300 * 1024, 'z'));
    makeArchive(temp / "many.zip", entries);
    ZipLimits limits;
    limits.largestEntry = 400 * 1024;
    limits.totalBytes = 1024 * 1024;
    std::vector<std::filesystem::path> placed;
    std::string error;
    EXPECT_FALSE(extractZip(temp / "many.zip", temp / "dest", placed, error, limits));
    EXPECT_EQ(error, "The archive unpacks to more than 1 MiB");
    EXPECT_EQ(temp.entryCount(), 2u); // the archive and an empty destination
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp / "dest"), {}), 0);

    limits.totalBytes = 2 * 1024 * 1024;
    limits.entries = 4;
    EXPECT_FALSE(extractZip(temp / "many.zip", temp / "dest", placed, error, limits));
    EXPECT_EQ(error, "The archive holds 5 entries, more than the 4 taken");
    limits.entries = 5;
    EXPECT_TRUE(extractZip(temp / "many.zip", temp / "dest", placed, error, limits)) << error;
    EXPECT_EQ(placed.size(), 5u);
}
