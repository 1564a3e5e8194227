// Which file a sound name finds, and what a name that finds none gives.
// Looking up plays nothing, so these need no sound server.

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
    FolderFileSystem files{system, user};
    GstSoundRegistry registry{files};
};

TEST_F(SoundRegistryTest, FindsAiffAndAifInBothFoldersUnderTheBareNameTheSameSoundEveryTime) {
    for (const char* path : {"system/Chime.aiff", "system/Bell.aif", "user/Tick.aif", "user/Gong.aiff"})
        writeFile(scratch / path, "FORM");
    for (const char* name : {"Chime", "Bell", "Tick", "Gong"}) {
        Sound* sound = registry.soundNamed(name);
        ASSERT_NE(sound, nullptr) << name;
        EXPECT_EQ(sound->name(), name);
        EXPECT_EQ(registry.soundNamed(name), sound);
    }
}

TEST_F(SoundRegistryTest, GivesNothingForNamesThatFindNoReadableFile) {
    for (const char* path : {"system/Gong.AIFF", "system/Chime.wav", "system/Tick", "Outside.aiff"})
        writeFile(scratch / path, "FORM");
    ASSERT_EQ(::mkdir((system + "/Folder.aiff").c_str(), 0755), 0);
    writeFile(system + "/Empty.aiff", "");
    ASSERT_EQ(::symlink("/nonexistent/x.aiff", (user + "/Dangling.aiff").c_str()), 0);
    ASSERT_EQ(::mkfifo((user + "/Pipe.aiff").c_str(), 0644), 0);
    for (const char* name : {"Unknown", "Gong", "Chime", "Tick", "Folder", "Empty", "Dangling", "Pipe",
                             "../Outside", "", "Chime.aiff"})
        EXPECT_EQ(registry.soundNamed(name), nullptr) << '"' << name << '"';
}

// Of two files of one name, the winner is the one found: removing the other
// changes nothing, removing the winner does, removing both leaves none.
TEST_F(SoundRegistryTest, AiffBeforeAifAndTheSystemFolderBeforeTheUsers) {
    for (const auto& [winner, loser] : {std::pair{"system/Chime.aiff", "system/Chime.aif"},
                                        std::pair{"system/Chime.aiff", "user/Chime.aiff"},
                                        std::pair{"system/Chime.aif", "user/Chime.aiff"}}) {
        SCOPED_TRACE(std::string(winner) + " over " + loser);
        writeFile(scratch / winner, "FORM");
        writeFile(scratch / loser, "FORM");
        Sound* both = registry.soundNamed("Chime");
        ASSERT_NE(both, nullptr);
        ASSERT_EQ(std::remove((scratch / loser).c_str()), 0);
        EXPECT_EQ(registry.soundNamed("Chime"), both) << "the other was the one found";
        writeFile(scratch / loser, "FORM");
        ASSERT_EQ(std::remove((scratch / winner).c_str()), 0);
        Sound* other = registry.soundNamed("Chime");
        ASSERT_TRUE(other && other != both) << "the winner was not the one found";
        // Its file gone, a sound is no longer found, and plays nothing.
        ASSERT_EQ(std::remove((scratch / loser).c_str()), 0);
        EXPECT_EQ(registry.soundNamed("Chime"), nullptr);
        other->play();
        EXPECT_FALSE(other->isPlaying());
    }
}

} // namespace
} // namespace eggtimer::test
