// The sound folders: where the program looks for sounds, and how it lists a
// folder. Finding those installed beside a relocated program is checked on
// the installed package (tests/package) and by the end-to-end tests, which
// run beside the sounds the build lays out.

#include "platform/system/SoundFolders.h"
#include "platform/system/PosixFileSystem.h"

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace eggtimer::test {
namespace {

namespace fs = std::filesystem;

TEST(SoundFolders, TheUsersIsInTheXdgDataFolderAndTheInstalledOneWhereTheProgramWasInstalled) {
    ::setenv("XDG_DATA_HOME", "/srv/data home", 1);
    EXPECT_EQ(userSoundFolder(), "/srv/data home/sounds/");
    // Nothing lies at ../share/eggtimer beside this test program.
    EXPECT_EQ(installedSoundFolder(), std::string(EXPECTED_INSTALLED_SOUND_DIR) + "/");
    EXPECT_EQ(installedBeepSound(),
              fs::path(EXPECTED_INSTALLED_SOUND_DIR).parent_path().string() + "/beep.aiff");
}

// Names that a careless listing would drop, split, decode or follow, each
// once; the folder may be given with a final '/', through a link, or empty.
// A path that names no readable folder lists nothing, and never blocks.
TEST(FolderListing, GivesEveryEntryOnceAsRawBytesAndNothingForWhatIsNoFolder) {
    PosixFileSystem files{"/system/", "/user/"};
    test::ScratchFolder scratch;
    std::vector<std::string> names = {"with space.aiff", "new\nline.aiff", "\xff\xfe latin1 \xe9.aiff",
                                      ".hidden.aiff",    "..dots",         "$(touch x)`y`.aiff"};
    for (const std::string& name : names)
        writeFile(scratch / name, "x");
    fs::create_directory(scratch / "folder.aiff");
    fs::create_symlink("nowhere", scratch / "dangling.aiff");
    fs::create_directory(scratch / "folder.aiff/empty");
    fs::create_symlink(scratch.path(), scratch / "link");
    ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
    names.insert(names.end(), {"folder.aiff", "dangling.aiff", "link", "fifo"});

    auto listed = files.directoryContents(scratch / "link/");
    ASSERT_TRUE(listed);
    std::sort(listed->begin(), listed->end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(*listed, names);
    EXPECT_EQ(files.directoryContents(scratch / "folder.aiff/empty"), std::vector<std::string>{});
    EXPECT_EQ(files.directoryContents(scratch / "fifo"), std::nullopt);
    EXPECT_EQ(files.directoryContents(""), std::nullopt);
    // A NUL would cut the path short and list the folder before it.
    EXPECT_EQ(files.directoryContents(scratch.path() + std::string("\0/elsewhere", 11)), std::nullopt);
}

} // namespace
} // namespace eggtimer::test
