// Which file a sound name finds, and what a name that finds none gives.
// Looking up plays nothing, and a sound whose file is gone is told so
// before it reaches the sound server, so these need none.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace eggtimer::test {
namespace {

class SoundRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(run("mkdir " + system + " " + user)); }

    ScratchFolder scratch;
    std::string system = scratch / "system", user = scratch / "user";
    PosixFileSystem files{system, user};
    GstSoundRegistry registry{files};
};

struct UnknownCase {
    const char *name, *sound;
    friend void PrintTo(const UnknownCase& row, std::ostream* out) { *out << row.name; }
};

// Files that are not a sound's, or not a readable file, around the names.
class UnknownSound : public SoundRegistryTest, public ::testing::WithParamInterface<UnknownCase> {
protected:
    void SetUp() override {
        SoundRegistryTest::SetUp();
        for (const char* path : {"system/Gong.AIFF", "system/Chime.wav", "system/Tick", "Outside.aiff"})
            writeFile(scratch / path, "FORM");
        ASSERT_EQ(::mkdir((system + "/Folder.aiff").c_str(), 0755), 0);
        writeFile(system + "/Empty.aiff", "");
        ASSERT_EQ(::symlink("/nonexistent/x.aiff", (user + "/Dangling.aiff").c_str()), 0);
        ASSERT_EQ(::mkfifo((user + "/Pipe.aiff").c_str(), 0644), 0);
    }
};

TEST_P(UnknownSound, IsNothing) {
    EXPECT_EQ(registry.soundNamed(GetParam().sound), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Names, UnknownSound,
    ::testing::Values(UnknownCase{"NoFile", "Unknown"}, UnknownCase{"UpperCaseExtension", "Gong"},
                      UnknownCase{"OtherExtension", "Chime"}, UnknownCase{"NoExtension", "Tick"},
                      UnknownCase{"AFolder", "Folder"}, UnknownCase{"AnEmptyFile", "Empty"},
                      UnknownCase{"ADanglingLink", "Dangling"}, UnknownCase{"APipe", "Pipe"},
                      UnknownCase{"OutsideTheFolders", "../Outside"}, UnknownCase{"NoName", ""},
                      UnknownCase{"WithItsExtension", "Chime.aiff"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Precedence {
    const char *name, *winner, *loser;
    friend void PrintTo(const Precedence& row, std::ostream* out) { *out << row.name; }
};

class SoundPrecedence : public SoundRegistryTest, public ::testing::WithParamInterface<Precedence> {};

// Of two files of one name, in either folder, with either extension, the
// winner is the one found, under the bare name: removing the other changes
// nothing, removing the winner does, removing both leaves none.
TEST_P(SoundPrecedence, TheWinnerIsTheOneFound) {
    const std::string winner = scratch / GetParam().winner, loser = scratch / GetParam().loser;
    writeFile(winner, "FORM");
    writeFile(loser, "FORM");
    Sound* both = registry.soundNamed("Chime");
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->name(), "Chime");
    ASSERT_EQ(std::remove(loser.c_str()), 0);
    EXPECT_EQ(registry.soundNamed("Chime"), both) << "the other was the one found";
    writeFile(loser, "FORM");
    ASSERT_EQ(std::remove(winner.c_str()), 0);
    Sound* other = registry.soundNamed("Chime");
    ASSERT_TRUE(other && other != both) << "the winner was not the one found";
    // Its file gone, a sound is no longer found, and its plays say so,
    // after play() has returned.
    ASSERT_EQ(std::remove(loser.c_str()), 0);
    EXPECT_EQ(registry.soundNamed("Chime"), nullptr);
    RecordingDelegate told;
    other->setDelegate(&told);
    other->play();
    EXPECT_FALSE(other->isPlaying());
    EXPECT_TRUE(told.failures.empty()) << "told inside play()";
    EXPECT_TRUE(waitUntil([&] { return !told.failures.empty(); }, 5s));
    EXPECT_EQ(told.failures, std::vector<std::string>{"it is gone or cannot be read"});
    EXPECT_TRUE(told.ends.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SoundPrecedence,
    ::testing::Values(Precedence{"AiffBeforeAif", "system/Chime.aiff", "system/Chime.aif"},
                      Precedence{"UserAiffBeforeUserAif", "user/Chime.aiff", "user/Chime.aif"},
                      Precedence{"SystemBeforeUser", "system/Chime.aiff", "user/Chime.aiff"},
                      Precedence{"SystemAifBeforeUserAiff", "system/Chime.aif", "user/Chime.aiff"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
