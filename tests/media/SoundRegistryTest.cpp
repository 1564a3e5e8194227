// Which file a sound name finds, and what a name that finds none gives.
// Looking up plays nothing, so these need no sound server.

#include "platform/qt/GstMedia.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace eggtimer::testing {
namespace {

class SoundRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkdir(system.c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(user.c_str(), 0755), 0);
    }
    void put(const std::string& path) { writeFile(path, "FORM"); }

    ScratchFolder scratch;
    std::string system = scratch.file("system");
    std::string user = scratch.file("user");
    FolderFileSystem files{system, user};
    GstSoundRegistry registry{files};
};

TEST_F(SoundRegistryTest, FindsAiffAndAifInBothFoldersUnderTheBareNameTheSameSoundEveryTime) {
    for (const std::string& path :
         {system + "/Chime.aiff", system + "/Bell.aif", user + "/Tick.aif", user + "/Gong.aiff"})
        put(path);
    for (const char* name : {"Chime", "Bell", "Tick", "Gong"}) {
        Sound* sound = registry.soundNamed(name);
        ASSERT_NE(sound, nullptr) << name;
        EXPECT_EQ(sound->name(), name);
        EXPECT_FALSE(sound->isPlaying());
        EXPECT_EQ(registry.soundNamed(name), sound);
    }
}

TEST_F(SoundRegistryTest, GivesNothingForNamesThatFindNoReadableFile) {
    for (const std::string& path :
         {system + "/Gong.AIFF", system + "/Chime.wav", system + "/Tick", scratch.file("Outside.aiff")})
        put(path);
    ASSERT_EQ(::mkdir((system + "/Folder.aiff").c_str(), 0755), 0);
    writeFile(system + "/Empty.aiff", "");
    ASSERT_EQ(::symlink("/nonexistent/x.aiff", (user + "/Dangling.aiff").c_str()), 0);
    ASSERT_EQ(::mkfifo((user + "/Pipe.aiff").c_str(), 0644), 0);
    for (const char* name : {"Unknown", "Gong", "Chime", "Tick", "Folder", "Empty", "Dangling", "Pipe",
                             "../Outside", "", "Chime.aiff"})
        EXPECT_EQ(registry.soundNamed(name), nullptr) << '"' << name << '"';
}

// Each row: the file whose removal must change the answer (the winner), and
// one whose removal must not.
struct PrecedenceRow {
    const char* label;
    const char* winner;
    const char* loser;
};

class SoundPrecedenceTest : public SoundRegistryTest, public ::testing::WithParamInterface<PrecedenceRow> {};

TEST_P(SoundPrecedenceTest, TheWinnerIsTheFileThatIsPlayed) {
    const std::string winner = scratch.file(GetParam().winner), loser = scratch.file(GetParam().loser);
    put(winner);
    put(loser);
    Sound* both = registry.soundNamed("Chime");
    ASSERT_NE(both, nullptr);
    ASSERT_EQ(std::remove(loser.c_str()), 0);
    EXPECT_EQ(registry.soundNamed("Chime"), both) << "the loser was the one found";

    put(loser);
    ASSERT_EQ(std::remove(winner.c_str()), 0);
    Sound* loserOnly = registry.soundNamed("Chime");
    ASSERT_NE(loserOnly, nullptr);
    EXPECT_NE(loserOnly, both) << "the winner was not the one found";
}

INSTANTIATE_TEST_SUITE_P(
    Order, SoundPrecedenceTest,
    ::testing::Values(PrecedenceRow{"AiffBeforeAif", "system/Chime.aiff", "system/Chime.aif"},
                      PrecedenceRow{"SystemBeforeUser", "system/Chime.aiff", "user/Chime.aiff"},
                      PrecedenceRow{"SystemAifBeforeUserAiff", "system/Chime.aif", "user/Chime.aiff"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(SoundRegistryTest, ASoundWhoseFileIsRemovedIsNoLongerFoundAndPlaysNothing) {
    put(system + "/Chime.aiff");
    Sound* sound = registry.soundNamed("Chime");
    ASSERT_NE(sound, nullptr);
    RecordingDelegate delegate;
    sound->setDelegate(&delegate);
    ASSERT_EQ(std::remove((system + "/Chime.aiff").c_str()), 0);

    EXPECT_EQ(registry.soundNamed("Chime"), nullptr);
    sound->play();
    EXPECT_FALSE(sound->isPlaying());
    serveEventsFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(delegate.ends.empty());
}

} // namespace
} // namespace eggtimer::testing
