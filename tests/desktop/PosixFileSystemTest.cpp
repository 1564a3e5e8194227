#include "platform/qt/PosixFileSystem.h"

#include "tests/desktop/Support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace eggtimer {
namespace {

namespace fs = std::filesystem;
using test::writeFile;

class FolderListing : public ::testing::Test {
protected:
    PosixFileSystem files{"/system/", "/user/"};
    test::ScratchFolder scratch;
};

// Names that a careless listing would drop, split, decode or follow; the
// folders it is given end in '/'.
TEST_F(FolderListing, GivesEveryEntryAsRawBytesInReaddirOrder) {
    const std::set<std::string> names = {"with space.aiff",    "new\nline.aiff", "\xff\xfe latin1 \xe9.aiff",
                                         "caf\xc3\xa9.aiff",   ".hidden.aiff",   "..dots",
                                         "$(touch x)`y`.aiff", "folder.aiff",    "dangling.aiff"};
    for (const std::string& name : names)
        if (name != "folder.aiff" && name != "dangling.aiff")
            writeFile(scratch / name, "x");
    fs::create_directory(scratch / "folder.aiff");
    fs::create_symlink("nowhere", scratch / "dangling.aiff");

    const auto listed = files.directoryContents(scratch.path() + "/");
    ASSERT_TRUE(listed);
    EXPECT_EQ(std::set<std::string>(listed->begin(), listed->end()), names);
    // The order is the file system's own, not sorted; each entry once.
    std::vector<std::string> readdirOrder;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        readdirOrder.push_back(entry.path().filename().string());
    EXPECT_EQ(*listed, readdirOrder);
}

TEST_F(FolderListing, AnEmptyFolderAndALinkToAFolderAreListed) {
    fs::create_directory(scratch / "real");
    fs::create_symlink("real", scratch / "link");
    EXPECT_EQ(files.directoryContents(scratch / "real"), std::vector<std::string>{});
    writeFile(scratch / "real/Tick.aif", "x");
    EXPECT_EQ(files.directoryContents(scratch / "link/"), std::vector<std::string>{"Tick.aif"});
}

TEST_F(FolderListing, NothingWhenThePathNamesNoReadableFolder) {
    writeFile(scratch / "file.aiff", "x");
    fs::create_symlink("nowhere", scratch / "dangling");
    ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);

    EXPECT_EQ(files.directoryContents(scratch / "missing"), std::nullopt);
    EXPECT_EQ(files.directoryContents(scratch / "file.aiff"), std::nullopt);
    EXPECT_EQ(files.directoryContents(scratch / "dangling"), std::nullopt);
    EXPECT_EQ(files.directoryContents(scratch / "fifo"), std::nullopt) << "and it must not block";
    EXPECT_EQ(files.directoryContents(""), std::nullopt);
    // A NUL would cut the path short and list the folder before it.
    EXPECT_EQ(files.directoryContents(scratch.path() + std::string("\0/elsewhere", 11)), std::nullopt);
}

} // namespace
} // namespace eggtimer
