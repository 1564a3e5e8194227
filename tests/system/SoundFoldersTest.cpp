// Where the program looks for sounds. Finding those installed beside a
// relocated program is checked on the installed package (tests/package) and
// by the end-to-end tests, which run beside the sounds the build lays out.

#include "platform/system/SoundFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace eggtimer::test {
namespace {

TEST(SoundFolders, TheUsersIsInTheXdgDataFolderAndTheInstalledOneWhereTheProgramWasInstalled) {
    ::setenv("XDG_DATA_HOME", "/srv/data home", 1);
    EXPECT_EQ(userSoundFolder(), "/srv/data home/sounds/");
    // Nothing lies at ../share/eggtimer beside this test program.
    EXPECT_EQ(installedSoundFolder(), std::string(EXPECTED_INSTALLED_SOUND_DIR) + "/");
    EXPECT_EQ(installedBeepSound(),
              std::filesystem::path(EXPECTED_INSTALLED_SOUND_DIR).parent_path().string() + "/beep.aiff");
}

} // namespace
} // namespace eggtimer::test
