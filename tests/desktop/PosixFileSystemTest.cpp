#include "platform/qt/PosixFileSystem.h"

#include "tests/desktop/Support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace eggtimer {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;
using test::writeFile;

class FolderListing : public ::testing::Test {
protected:
    PosixFileSystem files{"/system/", "/user/"};
    ScratchFolder scratch;
};

// Names that a careless listing would drop, split, decode or follow.
const std::vector<std::string> kAwkwardNames = {
    "Chime.aiff",
    "with space.aiff",
    "quote'\"s.aif",
    "new\nline.aiff",
    std::string("\xff\xfe latin1 \xe9.aiff"), // not UTF-8
    "caf\xc3\xa9.aiff",
    ".hidden.aiff",
    "..dots",
    "-leading-dash",
    "$(touch x)`y`.aiff",
    "back\\slash",
    "Gong.AIFF",
};

TEST_F(FolderListing, GivesEveryEntryAsRawBytesInReaddirOrder) {
    std::set<std::string> expected(kAwkwardNames.begin(), kAwkwardNames.end());
    for (const std::string& name : kAwkwardNames)
        writeFile(scratch / name, "x");
    fs::create_directory(scratch / "folder.aiff");
    fs::create_symlink("nowhere", scratch / "dangling.aiff");
    fs::create_symlink("folder.aiff", scratch / "link-to-folder");
    expected.insert({"folder.aiff", "dangling.aiff", "link-to-folder"});

    const auto listed = files.directoryContents(scratch.path());
    ASSERT_TRUE(listed);
    EXPECT_EQ(std::set<std::string>(listed->begin(), listed->end()), expected);
    EXPECT_EQ(listed->size(), expected.size()) << "an entry was listed twice";

    // The order is the file system's own, not sorted.
    std::vector<std::string> readdirOrder;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        readdirOrder.push_back(entry.path().filename().string());
    EXPECT_EQ(*listed, readdirOrder);
}

TEST_F(FolderListing, AnEmptyFolderGivesAnEmptyList) {
    const auto listed = files.directoryContents(scratch.path());
    ASSERT_TRUE(listed);
    EXPECT_TRUE(listed->empty());
}

TEST_F(FolderListing, FollowsALinkToAFolder) {
    fs::create_directory(scratch / "real");
    writeFile(scratch / "real/Tick.aif", "x");
    fs::create_symlink("real", scratch / "link");
    EXPECT_EQ(files.directoryContents(scratch / "link"), std::vector<std::string>{"Tick.aif"});
}

TEST_F(FolderListing, ATrailingSlashNamesTheSameFolder) {
    writeFile(scratch / "Tick.aif", "x");
    EXPECT_EQ(files.directoryContents(scratch.path() + "/"), std::vector<std::string>{"Tick.aif"});
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
}

TEST_F(FolderListing, ANulInThePathNeverListsTheFolderBeforeIt) {
    writeFile(scratch / "Chime.aiff", "x");
    const std::string path = scratch.path() + std::string("\0/elsewhere", 11);
    EXPECT_EQ(files.directoryContents(path), std::nullopt);
}

TEST_F(FolderListing, NothingForAFolderThatMayNotBeRead) {
    fs::create_directory(scratch / "locked");
    writeFile(scratch / "locked/Chime.aiff", "x");
    fs::permissions(scratch / "locked", fs::perms::none);
    if (::access((scratch / "locked").c_str(), R_OK) == 0)
        GTEST_SKIP() << "permissions do not apply to this user (root)";
    EXPECT_EQ(files.directoryContents(scratch / "locked"), std::nullopt);
}

TEST_F(FolderListing, TenThousandEntries) {
    constexpr int kCount = 10000;
    for (int i = 0; i < kCount; ++i)
        writeFile(scratch / ("Sound " + std::to_string(i) + ".aiff"), "");

    const auto start = std::chrono::steady_clock::now();
    const auto listed = files.directoryContents(scratch.path());
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);

    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), size_t(kCount));
    std::set<std::string> unique(listed->begin(), listed->end());
    EXPECT_EQ(unique.size(), size_t(kCount));
    EXPECT_TRUE(unique.count("Sound 0.aiff") && unique.count("Sound 9999.aiff"));
    // Measured, not asserted: timing depends on the machine.
    std::cout << "[ measure  ] listing " << kCount << " entries took " << elapsed.count() << " ms\n";
    RecordProperty("listing_ms", std::to_string(elapsed.count()));
}

} // namespace
} // namespace eggtimer
