// The sound list, the two choosers and test play.

#include "controller/MusicFiles.h"
#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

class TargetChoiceTest : public ControllerTest {
protected:
    std::string systemFolder() const { return world.files.systemSoundFolder(); }
    std::string userFolder() const { return world.files.userSoundFolder(); }
};

TEST_F(TargetChoiceTest, SoundListTakesAiffEndingsFromBothFoldersInListingOrder) {
    world.files.folders[systemFolder()] = {"Chime.aiff",  "notes.txt",      "Bell.aif",
                                           "Gong.AIFF",   "Old.take.aiff",  ".hidden.aif",
                                           "folder.aiff", "Chime.aiff.bak", "aiff"};
    world.files.folders[userFolder()] = {"Tick.aif", "Zap.aiff"};
    master->awakeFromNib();
    const std::vector<std::string> expected{"Chime", "Bell", "Old.take", ".hidden", "folder", "Tick", "Zap"};
    EXPECT_EQ(window().targetSoundPopup.items, expected);
    EXPECT_EQ(window().targetSoundPopup.selectedItemTitle(), "Chime");
}

// The sound list of a window opened with these folders readable.
std::vector<std::string> listedAtStartUp(std::map<std::string, std::vector<std::string>> folders) {
    fake::FakeWorld at;
    at.files.folders = std::move(folders);
    KRMaster controller(at.services(), at.window.outlets());
    controller.awakeFromNib();
    return at.window.targetSoundPopup.items;
}

TEST_F(TargetChoiceTest, UnreadableFoldersContributeNothingWithoutHidingTheOther) {
    EXPECT_EQ(listedAtStartUp({{userFolder(), {"Tick.aif"}}}), std::vector<std::string>{"Tick"});
    EXPECT_EQ(listedAtStartUp({{systemFolder(), {"Chime.aiff"}}}), std::vector<std::string>{"Chime"});
}

TEST_F(TargetChoiceTest, ConfirmedChoicesSetThePathTheNameAndTheTarget) {
    selectTarget(3);
    world.desktop.openPanelAnswers = {"/home/user/Music/Song Title.mp3"};
    master->selectTargetMusic(nullptr);
    EXPECT_EQ(master->musicPath(), "/home/user/Music/Song Title.mp3");
    EXPECT_EQ(window().targetMusicName.text, "Song Title.mp3");
    EXPECT_EQ(window().targetSelecter.row, 1);
    EXPECT_TRUE(journalHas("desktop.openPanel Select music file"));
    EXPECT_EQ(world.desktop.lastOpenPanelExtensions, kMusicExtensions);

    world.desktop.openPanelAnswers = {"/srv/a/report.pdf", "/srv/a/report.pdf"};
    master->selectTargetFile(nullptr);
    master->selectTargetFile(nullptr);
    EXPECT_EQ(master->filePath(), "/srv/a/report.pdf");
    EXPECT_EQ(window().targetFileName.text, "report.pdf");
    EXPECT_EQ(window().targetSelecter.row, 2);
    EXPECT_TRUE(journalHas("desktop.openPanel Select file"));
    EXPECT_TRUE(world.desktop.lastOpenPanelExtensions.empty());
}

TEST_F(TargetChoiceTest, CancelledChoicesChangeNothing) {
    selectTarget(0);
    master->selectTargetFile(nullptr);
    master->selectTargetMusic(nullptr);
    EXPECT_EQ(master->filePath(), std::nullopt);
    EXPECT_EQ(master->musicPath(), std::nullopt);
    EXPECT_EQ(window().targetFileName.text, "(none)");
    EXPECT_EQ(window().targetSelecter.row, 0);

    world.desktop.openPanelAnswers = {"/a/b.txt", std::nullopt};
    master->selectTargetFile(nullptr);
    selectTarget(3);
    master->selectTargetFile(nullptr);
    EXPECT_EQ(master->filePath(), "/a/b.txt");
    EXPECT_EQ(window().targetSelecter.row, 3);
}

TEST_F(TargetChoiceTest, TestPlayPlaysTheSelectedSoundOnceWithoutADelegate) {
    master->testPlayTargetSound(nullptr); // empty list: nothing
    auto& bell = world.sounds.add("Bell");
    window().targetSoundPopup.addItemWithTitle("Chime"); // its file is gone
    window().targetSoundPopup.addItemWithTitle("Bell");
    master->testPlayTargetSound(nullptr);
    window().targetSoundPopup.selectItemWithTitle("Bell");
    master->testPlayTargetSound(nullptr);
    EXPECT_EQ(bell.plays, 1);
    EXPECT_EQ(bell.delegate, nullptr);
    bell.finish();
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(bell.plays, 1);
    EXPECT_EQ(master->status(), TimerStatusNotSet);
}

} // namespace
} // namespace eggtimer::test
