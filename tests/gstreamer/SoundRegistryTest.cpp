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

// Files that are not a sound's, or not a readable file, around the names.
TEST_F(SoundRegistryTest, ANameWithoutASoundFileFindsNothing) {
    for (const char* path : {"system/Gong.AIFF", "system/Chime.wav", "system/Tick", "Outside.aiff"})
        writeFile(scratch / path, "FORM");
    ASSERT_EQ(::mkdir((system + "/Folder.aiff").c_str(), 0755), 0);
    writeFile(system + "/Empty.aiff", "");
    ASSERT_EQ(::symlink("/nonexistent/x.aiff", (user + "/Dangling.aiff").c_str()), 0);
    ASSERT_EQ(::mkfifo((user + "/Pipe.aiff").c_str(), 0644), 0);
    // No file; an upper-case, other or no extension; a folder, an empty file,
    // a dangling link, a pipe; outside the folders; no name; a file's name.
    for (const char* name : {"Unknown", "Gong", "Chime", "Tick", "Folder", "Empty", "Dangling", "Pipe",
                             "../Outside", "", "Chime.wav"})
        EXPECT_EQ(registry.soundNamed(name), nullptr) << '"' << name << '"';
}

// Of two files of one name, in either folder, with either extension, the
// winner is the one found, under the bare name: removing the other changes
// nothing, removing the winner does, removing both leaves none.
TEST_F(SoundRegistryTest, OfTwoFilesOfOneNameTheWinnerIsTheOneFound) {
    const std::pair<const char*, const char*> winnerAndLoser[] = {{"system/Chime.aiff", "system/Chime.aif"},
                                                                  {"user/Chime.aiff", "user/Chime.aif"},
                                                                  {"system/Chime.aiff", "user/Chime.aiff"},
                                                                  {"system/Chime.aif", "user/Chime.aiff"}};
    Sound* other = nullptr;
    for (const auto& [winnerName, loserName] : winnerAndLoser) {
        SCOPED_TRACE(std::string(winnerName) + " before " + loserName);
        const std::string winner = scratch / winnerName, loser = scratch / loserName;
        writeFile(winner, "FORM");
        writeFile(loser, "FORM");
        Sound* both = registry.soundNamed("Chime");
        ASSERT_NE(both, nullptr);
        EXPECT_EQ(both->name(), "Chime");
        ASSERT_EQ(std::remove(loser.c_str()), 0);
        EXPECT_EQ(registry.soundNamed("Chime"), both) << "the other was the one found";
        writeFile(loser, "FORM");
        ASSERT_EQ(std::remove(winner.c_str()), 0);
        other = registry.soundNamed("Chime");
        ASSERT_TRUE(other && other != both) << "the winner was not the one found";
        ASSERT_EQ(std::remove(loser.c_str()), 0);
        EXPECT_EQ(registry.soundNamed("Chime"), nullptr);
    }
    // Its file gone, a sound's plays say so, after play() has returned.
    RecordingDelegate told;
    other->setDelegate(&told);
    other->play();
    EXPECT_FALSE(other->isPlaying());
    EXPECT_TRUE(told.failures.empty()) << "told inside play()";
    EXPECT_TRUE(waitUntil([&] { return !told.failures.empty(); }, 5s));
    EXPECT_EQ(told.failures, std::vector<std::string>{"it is gone or cannot be read"});
    EXPECT_TRUE(told.ends.empty());
}

} // namespace
} // namespace eggtimer::test
