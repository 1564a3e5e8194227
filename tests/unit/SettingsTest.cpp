// Saving the thirteen choices at START and putting them back into the window
// when it opens.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

void addSounds(fake::FakeWorld& at) {
    at.files.folders[at.files.systemSoundFolder()] = {"Chime.aiff", "Bell.aiff", "Tick.aiff"};
}

// Opens a window in `at` as the program does at start-up, with the sounds
// and settings `at` holds.
void startUp(fake::FakeWorld& at) {
    addSounds(at);
    KRMaster controller(at.services(), at.window.outlets());
    controller.awakeFromNib();
}

class SettingsTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        addSounds(world);
    }
};

const std::vector<std::string> kKeyOrder{
    "targetSelecter", "targetFilePath",  "targetMusicPath",    "targetMessage", "targetSound",
    "mode",           "modeMinSelecter", "modeDhmDay",         "modeDhmHour",   "modeDhmMin",
    "modeAlcHour",    "modeAlcMin",      "modeAlcAMPMSelecter"};

TEST_F(SettingsTest, SavesAllThirteenKeysInOrderWhateverIsInUse) {
    master->awakeFromNib();
    world.desktop.openPanelAnswers = {"/m/Song.mp3"};
    master->selectTargetMusic(nullptr);
    window().targetSoundPopup.selectItemWithTitle("Bell");
    window().targetAlertMessage.text = "";
    window().modeDhmDay.text = "two";
    window().modeAlcHour.text = "7";
    window().modeAlcAMPMSelecter.row = -1;
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);

    EXPECT_EQ(world.settings.writtenKeys, kKeyOrder);
    const std::map<std::string, std::string> expected{
        {"targetSelecter", "1"}, {"targetMusicPath", "/m/Song.mp3"},
        {"targetMessage", ""},   {"targetSound", "Bell"},
        {"mode", "0"},           {"modeMinSelecter", "1"},
        {"modeDhmDay", "two"},   {"modeDhmHour", ""},
        {"modeDhmMin", ""},      {"modeAlcHour", "7"},
        {"modeAlcMin", ""},      {"modeAlcAMPMSelecter", "-1"}};
    // No file was chosen: its key has no value at all.
    EXPECT_EQ(world.settings.values, expected);
}

TEST_F(SettingsTest, AnEmptyStoreChangesNothing) {
    master->awakeFromNib();
    EXPECT_EQ(master->filePath(), std::nullopt);
    EXPECT_EQ(master->musicPath(), std::nullopt);
    EXPECT_EQ(window().targetFileName.text, "(none)");
    EXPECT_EQ(window().targetSelecter.row, 0);
    EXPECT_EQ(window().modeTab.index, 0);
    EXPECT_EQ(window().modeMinSelecter.column, 1);
    EXPECT_TRUE(world.settings.writtenKeys.empty());
}

TEST_F(SettingsTest, RestoresEveryKeyIntoItsControl) {
    world.settings.values = {{"targetSelecter", "2"},      {"targetFilePath", "/srv/docs/report.pdf"},
                             {"targetMusicPath", "/m/a/"}, {"targetMessage", ""},
                             {"targetSound", "Tick"},      {"mode", "1"},
                             {"modeMinSelecter", "3"},     {"modeDhmDay", "x1"},
                             {"modeDhmHour", "2"},         {"modeDhmMin", "3"},
                             {"modeAlcHour", "11"},        {"modeAlcMin", "59"},
                             {"modeAlcAMPMSelecter", "1"}};
    window().targetAlertMessage.text = "from the window";
    master->awakeFromNib();
    EXPECT_EQ(window().targetSelecter.row, 2);
    EXPECT_EQ(master->filePath(), "/srv/docs/report.pdf");
    EXPECT_EQ(window().targetFileName.text, "report.pdf");
    EXPECT_EQ(master->musicPath(), "/m/a/");
    EXPECT_EQ(window().targetMusicName.text, "a");
    EXPECT_EQ(window().targetAlertMessage.text, ""); // present but empty is not absent
    EXPECT_EQ(window().targetSoundPopup.selectedItemTitle(), "Tick");
    EXPECT_EQ(window().modeTab.index, 1);
    EXPECT_EQ(window().modeMinSelecter.column, 3);
    EXPECT_EQ(window().modeDhmDay.text, "x1");
    EXPECT_EQ(window().modeDhmHour.text, "2");
    EXPECT_EQ(window().modeDhmMin.text, "3");
    EXPECT_EQ(window().modeAlcHour.text, "11");
    EXPECT_EQ(window().modeAlcMin.text, "59");
    EXPECT_EQ(window().modeAlcAMPMSelecter.row, 1);
    // The status area opens on what was restored.
    EXPECT_EQ(window().statFireTarget.text, "[File] report.pdf");
}

TEST_F(SettingsTest, IntegerKeysAreReadAsTheNumberTheTextBeginsWith) {
    struct {
        const char* stored;
        int expectedRow; // of the target matrix, which has rows 0 to 3
    } cases[] = {{"abc", 0}, {" 2", 2}, {"3rd", 3}, {"-1", -1}, {"99", 0}, {"2147483648", 0}, {"+1", 1}};
    for (const auto& c : cases) {
        fake::FakeWorld at;
        at.settings.values = {{"targetSelecter", c.stored}};
        startUp(at);
        EXPECT_EQ(at.window.targetSelecter.row, c.expectedRow) << c.stored;
    }
    // A number too large for an int saturates instead of wrapping.
    fake::FakeWorld at;
    at.settings.values = {{"targetSelecter", "2147483648"}};
    startUp(at);
    const fake::Journal& journal = at.window.journal;
    EXPECT_NE(std::find(journal.begin(), journal.end(), "targetSelecter.select 2147483647,0"), journal.end());
}

TEST_F(SettingsTest, OutOfRangeValuesReachTheControlsAndTheRestIsStillRestored) {
    world.settings.values = {
        {"mode", "7"}, {"modeMinSelecter", "-1"}, {"targetSound", "Gone"}, {"modeAlcHour", "5"}};
    master->awakeFromNib();
    EXPECT_TRUE(journalHas("modeTab.select 7"));
    EXPECT_EQ(window().modeTab.index, 0);
    EXPECT_TRUE(journalHas("modeMinSelecter.select 0,-1"));
    EXPECT_EQ(window().modeMinSelecter.column, -1);
    // A sound no longer listed leaves the first of the list chosen.
    EXPECT_EQ(window().targetSoundPopup.selectedItemTitle(), "Chime");
    EXPECT_EQ(window().modeAlcHour.text, "5");
}

TEST_F(SettingsTest, WhatOneRunSavesTheNextRestores) {
    master->awakeFromNib();
    window().modeDhmMin.text = "line\nbreak % = ; # [x] \"q\" \\ é";
    window().targetAlertMessage.text = std::string(100000, 'm');
    window().targetSoundPopup.selectItemWithTitle("Tick");
    window().modeTab.index = 2;
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);

    fake::FakeWorld next;
    next.settings.values = world.settings.values;
    startUp(next);
    EXPECT_EQ(next.window.modeDhmMin.text, window().modeDhmMin.text);
    EXPECT_EQ(next.window.targetAlertMessage.text, window().targetAlertMessage.text);
    EXPECT_EQ(next.window.targetSoundPopup.selectedItemTitle(), "Tick");
    EXPECT_EQ(next.window.modeTab.index, 2);
}

} // namespace
} // namespace eggtimer::test
