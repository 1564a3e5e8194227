// The sound list, the two choosers and test play.

#include "controller/MusicFiles.h"
#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using TargetChoiceTest = ControllerTest;

// The sound list of a window opened with these folders readable.
std::vector<std::string> listedAtStartUp(std::map<std::string, std::vector<std::string>> folders) {
    fake::FakeWorld at;
    at.files.folders = std::move(folders);
    KRMaster controller(at.services(), at.window.outlets());
    controller.awakeFromNib();
    EXPECT_EQ(at.window.targetSoundPopup.selectedItemTitle(), at.window.targetSoundPopup.items.front());
    return at.window.targetSoundPopup.items;
}

TEST_F(TargetChoiceTest, SoundListTakesAiffEndingsFromBothReadableFoldersInListingOrder) {
    const std::string system = world.files.systemSoundFolder(), user = world.files.userSoundFolder();
    const std::vector<std::string> systemSounds{"Chime.aiff",  "notes.txt",      "Bell.aif",
                                                "Gong.AIFF",   "Old.take.aiff",  ".hidden.aif",
                                                "folder.aiff", "Chime.aiff.bak", "aiff"};
    EXPECT_EQ(listedAtStartUp({{system, systemSounds}, {user, {"Tick.aif", "Zap.aiff"}}}),
              (std::vector<std::string>{"Chime", "Bell", "Old.take", ".hidden", "folder", "Tick", "Zap"}));
    // An unreadable folder contributes nothing without hiding the other.
    EXPECT_EQ(listedAtStartUp({{user, {"Tick.aif"}}}), std::vector<std::string>{"Tick"});
    EXPECT_EQ(listedAtStartUp({{system, {"Chime.aiff"}}}), std::vector<std::string>{"Chime"});
}

TEST_F(TargetChoiceTest, ConfirmedChoicesSetThePathTheNameAndTheTargetAndCancelledOnesNothing) {
    master->selectTargetFile(nullptr);
    master->selectTargetMusic(nullptr);
    EXPECT_EQ(master->filePath(), std::nullopt);
    EXPECT_EQ(master->musicPath(), std::nullopt);
    EXPECT_EQ(window().targetFileName.text, "(none)");
    EXPECT_EQ(window().targetSelecter.row, 0);

    selectTarget(3);
    world.panels.openPanelAnswers = {"/home/user/Music/Song Title.mp3"};
    master->selectTargetMusic(nullptr);
    EXPECT_EQ(master->musicPath(), "/home/user/Music/Song Title.mp3");
    EXPECT_EQ(window().targetMusicName.text, "Song Title.mp3");
    EXPECT_EQ(window().targetSelecter.row, 1);
    EXPECT_TRUE(journalHas("desktop.openPanel Select music file"));
    EXPECT_EQ(world.panels.lastOpenPanelExtensions, kMusicExtensions);

    world.panels.openPanelAnswers = {"/srv/a/report.pdf", std::nullopt};
    master->selectTargetFile(nullptr);
    EXPECT_EQ(master->filePath(), "/srv/a/report.pdf");
    EXPECT_EQ(window().targetFileName.text, "report.pdf");
    EXPECT_EQ(window().targetSelecter.row, 2);
    EXPECT_TRUE(journalHas("desktop.openPanel Select file"));
    EXPECT_TRUE(world.panels.lastOpenPanelExtensions.empty());
    selectTarget(3);
    master->selectTargetFile(nullptr); // cancelled
    EXPECT_EQ(master->filePath(), "/srv/a/report.pdf");
    EXPECT_EQ(window().targetSelecter.row, 3);
}

// A sound that is not found stays silent: no default sound stands in for it.
TEST_F(TargetChoiceTest, TestPlayPlaysTheSelectedSoundOnceWithoutADelegate) {
    window().targetSoundPopup.removeAllItems();
    master->testPlayTargetSound(nullptr); // empty list: nothing
    auto& bell = world.sounds.add("Bell");
    window().targetSoundPopup.addItemWithTitle("Gone"); // its file is gone
    window().targetSoundPopup.addItemWithTitle("Bell");
    master->testPlayTargetSound(nullptr);
    world.runLoop.runDue();
    EXPECT_EQ(world.sounds.fallback.plays, 0);
    window().targetSoundPopup.selectItemWithTitle("Bell");
    master->testPlayTargetSound(nullptr);
    EXPECT_EQ(bell.plays, 1);
    EXPECT_EQ(bell.delegate, nullptr);
    bell.finish();
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(bell.plays, 1);
}

} // namespace
} // namespace eggtimer::test
