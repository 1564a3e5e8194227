// Saving the thirteen choices at START and putting them back into the window
// when it opens.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

class SettingsTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        world.files.folders[world.files.systemSoundFolder()] = {"Chime.aiff", "Bell.aiff", "Tick.aiff"};
    }
};

TEST_F(SettingsTest, SavesAllThirteenKeysInOrderWhateverIsInUse) {
    master->awakeFromNib();
    world.panels.openPanelAnswers = {"/m/Song.mp3"};
    master->selectTargetMusic(nullptr);
    window().targetSoundPopup.selectItemWithTitle("Bell");
    window().targetAlertMessage.text = "";
    window().modeDhmDay.text = "two";
    window().modeAlcHour.text = "7";
    window().modeAlcAMPMSelecter.row = -1;
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);

    const std::vector<std::string> keyOrder{
        "targetSelecter", "targetFilePath",  "targetMusicPath",    "targetMessage", "targetSound",
        "mode",           "modeMinSelecter", "modeDhmDay",         "modeDhmHour",   "modeDhmMin",
        "modeAlcHour",    "modeAlcMin",      "modeAlcAMPMSelecter"};
    EXPECT_EQ(world.settings.writtenKeys, keyOrder);
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

TEST_F(SettingsTest, RestoresEveryKeySoThatTheNextStartSavesItUnchanged) {
    const std::map<std::string, std::string> stored{
        {"targetSelecter", "2"},      {"targetFilePath", "/srv/docs/report.pdf"},
        {"targetMusicPath", "/m/a/"}, {"targetMessage", ""},
        {"targetSound", "Tick"},      {"mode", "1"},
        {"modeMinSelecter", "3"},     {"modeDhmDay", "x1"},
        {"modeDhmHour", "2"},         {"modeDhmMin", "3"},
        {"modeAlcHour", "11"},        {"modeAlcMin", "59"},
        {"modeAlcAMPMSelecter", "1"}};
    world.settings.values = stored;
    window().targetAlertMessage.text = "from the window"; // present but empty is not absent
    master->awakeFromNib();
    EXPECT_EQ(window().targetFileName.text, "report.pdf");
    EXPECT_EQ(window().targetMusicName.text, "a");
    // Each text is back in its own field, not only saved again under its key.
    EXPECT_EQ((std::vector<std::string>{window().targetAlertMessage.text, window().modeDhmDay.text,
                                        window().modeDhmHour.text, window().modeDhmMin.text,
                                        window().modeAlcHour.text, window().modeAlcMin.text}),
              (std::vector<std::string>{"", "x1", "2", "3", "11", "59"}));
    // The status area opens on what was restored.
    EXPECT_EQ(window().statFireTarget.text, "[File] report.pdf");
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);
    EXPECT_EQ(world.settings.values, stored);
}

TEST_F(SettingsTest, OutOfRangeValuesReachTheControlsSaturatedAndAbsentOnesAreLeftAlone) {
    world.settings.values = {{"targetSelecter", "2147483648"},
                             {"mode", "7"},
                             {"modeMinSelecter", "-1"},
                             {"targetSound", "Gone"},
                             {"modeAlcHour", "5"}};
    window().modeDhmMin.text = "typed";
    window().modeAlcAMPMSelecter.row = 1;
    master->awakeFromNib();
    EXPECT_TRUE(journalHas("targetSelecter.select 2147483647,0")); // not wrapped round
    EXPECT_TRUE(journalHas("modeTab.select 7"));
    EXPECT_TRUE(journalHas("modeMinSelecter.select 0,-1"));
    // A sound no longer listed leaves the first of the list chosen.
    EXPECT_EQ(window().targetSoundPopup.selectedItemTitle(), "Chime");
    EXPECT_EQ(window().modeAlcHour.text, "5");
    // Absent keys leave their controls alone.
    EXPECT_EQ(window().modeDhmMin.text, "typed");
    EXPECT_EQ(window().modeAlcAMPMSelecter.row, 1);
    EXPECT_EQ(master->filePath(), std::nullopt);
}

} // namespace
} // namespace eggtimer::test
