// The START / CLEAR / STOP cycle and the lock on the target controls.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

class StartStopTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        window().targetSoundPopup.addItemWithTitle("Chime");
        chime = &world.sounds.add("Chime");
    }
    std::vector<bool> targetControlsEnabled() const {
        const auto& w = world.window;
        return {w.targetFileSelect.enabled, w.targetMusicSelect.enabled, w.targetAlertMessage.enabled,
                w.targetSelecter.enabled, w.targetSoundPopup.enabled};
    }
    fake::FakeSound* chime = nullptr;
};

const std::vector<bool> kAllEnabled(5, true), kAllDisabled(5, false);

TEST_F(StartStopTest, RefusedStartChangesNothingButTheNotice) {
    selectTarget(1);
    press();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(window().timerButton.titleText, "START");
    EXPECT_EQ(window().statFireTarget.text, "!Nortice! [Music] Music not selected.");
    EXPECT_TRUE(journalHas("desktop.beep"));
    EXPECT_TRUE(world.settings.writtenKeys.empty());
    EXPECT_EQ(targetControlsEnabled(), kAllEnabled);
    EXPECT_TRUE(window().targetDrawer.open);
    EXPECT_EQ(master->countDownTimer(), nullptr);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

TEST_F(StartStopTest, StartRedrawsSavesTicksLocksThenTitlesInThatOrder) {
    press();
    EXPECT_EQ(master->status(), TimerStatusRunning);
    EXPECT_EQ(window().timerButton.titleText, "CLEAR");
    EXPECT_EQ(targetControlsEnabled(), kAllDisabled);
    EXPECT_FALSE(window().targetDrawer.open);
    ASSERT_NE(master->countDownTimer(), nullptr);
    EXPECT_EQ(world.settings.writtenKeys.size(), 13u);

    const fake::Journal expectedOrder{
        "statTimer.set",
        "statSeconds.set",
        "statFireTime.set",
        "statFireTarget.set",
        "targetFileSelect.disable",
        "targetMusicSelect.disable",
        "targetAlertMessage.disable",
        "targetSelecter.disable",
        "targetSoundPopup.disable",
        "targetDrawer.close",
        "timerButton.title CLEAR",
    };
    EXPECT_EQ(journal(), expectedOrder);
}

TEST_F(StartStopTest, ClearCancelsTheTimerAndUnlocksWithoutOpeningTheDrawer) {
    press();
    std::weak_ptr<Timer> scheduled = master->mainTimer();
    journal().clear();
    press();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(window().timerButton.titleText, "START");
    EXPECT_EQ(master->mainTimer(), nullptr);
    EXPECT_EQ(master->countDownTimer(), nullptr);
    EXPECT_TRUE(scheduled.expired() || !scheduled.lock()->isValid());
    EXPECT_EQ(targetControlsEnabled(), kAllEnabled);
    EXPECT_FALSE(window().targetDrawer.open);
    EXPECT_EQ(window().statTimer.text, "Timer not set.");
    EXPECT_EQ(window().statSeconds.text, "");
    EXPECT_EQ(window().statFireTime.text, "fire at: ");

    world.runLoop.advanceBy(3600);
    EXPECT_EQ(chime->plays, 0);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
    EXPECT_TRUE(world.settings.writtenKeys.size() == 13u); // CLEAR saves nothing
}

TEST_F(StartStopTest, StopEndsTheLoopAndKeepsTheStatusArea) {
    typeDuration("", "", "");
    press();
    world.runLoop.runDue();
    ASSERT_EQ(master->status(), TimerStatusFiring);
    EXPECT_TRUE(chime->playing);
    world.runLoop.advanceBy(2.0);
    const std::string seconds = window().statSeconds.text;

    press();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(window().timerButton.titleText, "START");
    EXPECT_FALSE(chime->playing);
    EXPECT_EQ(master->sound(), nullptr);
    EXPECT_EQ(master->countDownTimer(), nullptr);
    // The fired timer stays held; the area keeps its lines.
    ASSERT_NE(master->mainTimer(), nullptr);
    EXPECT_EQ(window().statTimer.text, "Timer is firing.");
    EXPECT_EQ(window().statSeconds.text, seconds);

    world.runLoop.advanceBy(10.0);
    EXPECT_EQ(chime->plays, 1);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

TEST_F(StartStopTest, SingleShotTargetsLeaveTheButtonReadyForTheNextStart) {
    selectTarget(3);
    window().targetAlertMessage.text = "Tea";
    typeDuration("", "", "");
    press();
    world.runLoop.runDue();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(window().timerButton.titleText, "START");
    press();
    EXPECT_EQ(master->status(), TimerStatusRunning);
    EXPECT_EQ(window().timerButton.titleText, "CLEAR");
}

TEST_F(StartStopTest, TheSoundToPlayIsReadiedThreeSecondsBeforeItFires) {
    press(); // three minutes
    world.runLoop.advanceBy(176.9);
    EXPECT_EQ(chime->prepares, 0);
    world.runLoop.advanceBy(0.1);
    EXPECT_EQ(chime->prepares, 1);
    EXPECT_EQ(chime->plays, 0);
    world.runLoop.advanceBy(3.0);
    EXPECT_EQ(chime->plays, 1);
    press();

    // At once for a shorter timer, once the window has drawn the start.
    typeDuration("", "", "0.02");
    press();
    EXPECT_EQ(chime->prepares, 1);
    world.runLoop.runDue();
    EXPECT_EQ(chime->prepares, 2);
    press();

    // Not for a timer cleared before it came round, nor for other targets.
    typeDuration("", "", "10");
    press();
    press(); // CLEAR
    world.runLoop.advanceBy(900);
    selectTarget(3);
    window().targetAlertMessage.text = "Tea";
    press();
    world.runLoop.advanceBy(60);
    EXPECT_EQ(chime->prepares, 2);
}

TEST_F(StartStopTest, SettingsAreWrittenAtEachAcceptedStartOnly) {
    press();
    press(); // CLEAR
    master->nextMode(nullptr);
    selectTarget(1); // refused
    press();
    EXPECT_EQ(world.settings.writtenKeys.size(), 13u);
    selectTarget(0);
    press();
    EXPECT_EQ(world.settings.writtenKeys.size(), 26u);
    EXPECT_EQ(world.settings.values.at("mode"), "1");
}

} // namespace
} // namespace eggtimer::test
