#include "platform/qt/SoundFolders.h"

#include "tests/desktop/Support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace eggtimer {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;

// Sets an environment variable for one test and puts it back after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value)
        : name(name) {
        if (const char* old = std::getenv(name))
            saved = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (saved)
            ::setenv(name, saved->c_str(), 1);
        else
            ::unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> saved;
};

TEST(UserSoundFolder, IsSoundsInTheXdgDataFolder) {
    ScopedEnv data("XDG_DATA_HOME", "/srv/data home");
    EXPECT_EQ(userSoundFolder(), "/srv/data home/sounds/");
}

TEST(UserSoundFolder, DefaultsToTheHomeFolder) {
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", "/home/some one");
    EXPECT_EQ(userSoundFolder(), "/home/some one/.local/share/sounds/");
}

TEST(InstalledSoundFolder, IsWhereTheProgramWasInstalledWhenNothingIsBesideIt) {
    // Nothing lies at ../share/eggtimer beside this test program.
    EXPECT_EQ(installedSoundFolder(), std::string(EXPECTED_INSTALLED_SOUND_DIR) + "/");
    EXPECT_EQ(installedBeepSound(),
              fs::path(EXPECTED_INSTALLED_SOUND_DIR).parent_path().string() + "/beep.aiff");
}

// Places a copy of the helper program in <prefix>/bin and asks it where it
// finds its sounds.
class RelocatedProgram : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(scratch / "prefix dir/bin");
        program = scratch / "prefix dir/bin/eggtimer";
        fs::copy_file(DESKTOP_HELPER, program);
    }
    QStringList ask(const std::string& path) {
        QProcess helper;
        helper.start(test::q(path), {QStringLiteral("sound-folders")});
        EXPECT_TRUE(helper.waitForFinished(30000));
        return QString::fromUtf8(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    ScratchFolder scratch;
    std::string program;
};

TEST_F(RelocatedProgram, UsesTheSharedFolderBesideItsOwnFolder) {
    fs::create_directories(scratch / "prefix dir/share/eggtimer/sounds");
    test::writeFile(scratch / "prefix dir/share/eggtimer/beep.aiff", "FORM");
    const QStringList answers = ask(program);
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0], test::q(scratch / "prefix dir/share/eggtimer/sounds/"));
    EXPECT_EQ(answers[1], test::q(scratch / "prefix dir/share/eggtimer/beep.aiff"));
}

TEST_F(RelocatedProgram, ALinkToTheProgramFindsTheFoldersBesideTheProgram) {
    fs::create_directories(scratch / "prefix dir/share/eggtimer/sounds");
    fs::create_directories(scratch / "links/bin");
    fs::create_symlink(program, scratch / "links/bin/eggtimer");
    const QStringList answers = ask(scratch / "links/bin/eggtimer");
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0], test::q(scratch / "prefix dir/share/eggtimer/sounds/"));
}

TEST_F(RelocatedProgram, FallsBackForWhatIsMissingBesideIt) {
    fs::create_directories(scratch / "prefix dir/share/eggtimer/sounds");
    const QStringList answers = ask(program);
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0], test::q(scratch / "prefix dir/share/eggtimer/sounds/"));
    EXPECT_EQ(answers[1],
              test::q(fs::path(EXPECTED_INSTALLED_SOUND_DIR).parent_path().string() + "/beep.aiff"))
        << "no beep lies beside it";
}

} // namespace
} // namespace eggtimer
