#include "platform/qt/SoundFolders.h"

#include "tests/desktop/Support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>

namespace eggtimer {
namespace {

namespace fs = std::filesystem;
using test::q;

TEST(UserSoundFolder, IsSoundsInTheXdgDataFolder) {
    test::ScopedEnv data("XDG_DATA_HOME", "/srv/data home");
    EXPECT_EQ(userSoundFolder(), "/srv/data home/sounds/");
}

const std::string kInstalledBeep =
    fs::path(EXPECTED_INSTALLED_SOUND_DIR).parent_path().string() + "/beep.aiff";

TEST(InstalledSoundFolder, IsWhereTheProgramWasInstalledWhenNothingIsBesideIt) {
    // Nothing lies at ../share/eggtimer beside this test program.
    EXPECT_EQ(installedSoundFolder(), std::string(EXPECTED_INSTALLED_SOUND_DIR) + "/");
    EXPECT_EQ(installedBeepSound(), kInstalledBeep);
}

// A copy of the helper program in <prefix>/bin, reached also through a link
// elsewhere, says where it finds its sounds: beside itself what is there, the
// installed place for the rest.
TEST(RelocatedProgram, UsesWhatLiesBesideItsOwnFolder) {
    test::ScratchFolder scratch;
    const std::string share = scratch / "prefix dir/share/eggtimer";
    fs::create_directories(scratch / "prefix dir/bin");
    fs::create_directories(share + "/sounds");
    fs::copy_file(DESKTOP_HELPER, scratch / "prefix dir/bin/eggtimer");
    fs::create_directories(scratch / "links/bin");
    fs::create_symlink(scratch / "prefix dir/bin/eggtimer", scratch / "links/bin/eggtimer");
    const auto ask = [&] {
        QProcess helper;
        helper.start(q(scratch / "links/bin/eggtimer"), {QStringLiteral("sound-folders")});
        EXPECT_TRUE(helper.waitForFinished(30000));
        return QString::fromUtf8(helper.readAllStandardOutput());
    };
    EXPECT_EQ(ask(), q(share + "/sounds/\n" + kInstalledBeep + "\n")) << "no beep lies beside it";
    test::writeFile(share + "/beep.aiff", "FORM");
    EXPECT_EQ(ask(), q(share + "/sounds/\n" + share + "/beep.aiff\n"));
}

} // namespace
} // namespace eggtimer
