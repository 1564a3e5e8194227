#include "platform/system/PosixFileSystem.h"

#include "tests/support/CapturedStderr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace eggtimer::test {
namespace {

namespace fs = std::filesystem;

class FolderListing : public ::testing::Test {
protected:
    PosixFileSystem files{"/system/", "/user/"};
    test::ScratchFolder scratch;
};

// Names that a careless listing would drop, split, decode or follow, each
// once; the folder may be given with a final '/', through a link, or empty.
TEST_F(FolderListing, GivesEveryEntryOnceAsRawBytes) {
    std::vector<std::string> names = {"with space.aiff", "new\nline.aiff", "\xff\xfe latin1 \xe9.aiff",
                                      ".hidden.aiff",    "..dots",         "$(touch x)`y`.aiff"};
    for (const std::string& name : names)
        writeFile(scratch / name, "x");
    fs::create_directory(scratch / "folder.aiff");
    fs::create_symlink("nowhere", scratch / "dangling.aiff");
    fs::create_directory(scratch / "folder.aiff/empty");
    fs::create_symlink(scratch.path(), scratch / "link");
    names.insert(names.end(), {"folder.aiff", "dangling.aiff", "link"});

    auto listed = files.directoryContents(scratch / "link/");
    ASSERT_TRUE(listed);
    std::sort(listed->begin(), listed->end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(*listed, names);
    EXPECT_EQ(files.directoryContents(scratch / "folder.aiff/empty"), std::vector<std::string>{});
}

TEST_F(FolderListing, NothingWhenThePathNamesNoReadableFolder) {
    ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(files.directoryContents(scratch / "fifo"), std::nullopt) << "and it must not block";
    EXPECT_EQ(files.directoryContents(""), std::nullopt);
    // A NUL would cut the path short and list the folder before it.
    EXPECT_EQ(files.directoryContents(scratch.path() + std::string("\0/elsewhere", 11)), std::nullopt);
}

} // namespace
} // namespace eggtimer::test
