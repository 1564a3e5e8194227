// The START / CLEAR cycle, the lock on the target controls, and the sound
// readied before it fires.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

class StartStopTest : public ControllerTest {
protected:
    std::vector<bool> targetControlsEnabled() const {
        const auto& w = world.window;
        return {w.targetFileSelect.enabled, w.targetMusicSelect.enabled, w.targetAlertMessage.enabled,
                w.targetSelecter.enabled, w.targetSoundPopup.enabled};
    }
};

TEST_F(StartStopTest, StartLocksAndClearUnlocksWithoutReopeningTheDrawer) {
    press();
    EXPECT_EQ(master->status(), TimerStatusRunning);
    EXPECT_EQ(window().timerButton.titleText, "CLEAR");
    EXPECT_EQ(targetControlsEnabled(), std::vector<bool>(5, false));
    EXPECT_FALSE(window().targetDrawer.open);
    EXPECT_NE(master->countDownTimer(), nullptr);

    press();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(window().timerButton.titleText, "START");
    EXPECT_EQ(master->mainTimer(), nullptr);
    EXPECT_EQ(targetControlsEnabled(), std::vector<bool>(5, true));
    EXPECT_FALSE(window().targetDrawer.open);
    EXPECT_EQ(window().statSeconds.text, "");
    EXPECT_EQ(window().statFireTime.text, "fire at: ");
    world.runLoop.advanceBy(3600);
    EXPECT_EQ(chime->plays, 0);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
    EXPECT_EQ(world.settings.writtenKeys.size(), 13u); // saved at START, not at CLEAR
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

    // The default sound, when the chosen one is gone by then.
    world.sounds.removeFile("Chime");
    press();
    world.runLoop.runDue();
    EXPECT_EQ(world.sounds.fallback.prepares, 1);
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
    EXPECT_EQ(world.sounds.fallback.prepares, 1);
}

} // namespace
} // namespace eggtimer::test
