// What the controller shows and tells the desktop through a timer's life:
// its progress, in the window's bar and for the launcher icon; to keep the
// machine awake; and when the ring it announced is over.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using State = TimerProgress::State;

// Every timer here is the three minutes of the preset the window opens on.
class ProgressTest : public ControllerTest {
protected:
    const std::vector<TimerProgress>& shown() const { return world.progress.shown; }
    TimerProgress last() const { return shown().empty() ? TimerProgress{} : shown().back(); }
    double bar() { return window().timerProgress.value; }
};

TEST_F(ProgressTest, RunningItTellsThePartPassedAndTheMinutesLeftRoundedUp) {
    press();
    EXPECT_EQ(last(), (TimerProgress{State::Running, 0.0, 3}));
    world.runLoop.advanceBy(61.0);
    EXPECT_EQ(last().state, State::Running);
    EXPECT_NEAR(last().passed, 61.0 / 180.0, 1e-9);
    EXPECT_EQ(bar(), last().passed);
    EXPECT_EQ(last().minutesLeft, 2); // 119 s left
    world.runLoop.advanceBy(58.0);
    EXPECT_EQ(last().minutesLeft, 2); // 61 s
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(last().minutesLeft, 1); // 60 s
    EXPECT_EQ(shown().size(), 121u) << "once at START and once a tick";
    // Waking an hour after the fire date, the tick due first tells no part
    // beyond the whole.
    world.runLoop.jumpWallClock(3600.0);
    world.runLoop.runDue();
    EXPECT_TRUE(std::all_of(shown().begin(), shown().end(),
                            [](const TimerProgress& p) { return p.passed >= 0.0 && p.passed <= 1.0; }));
}

TEST_F(ProgressTest, ALoopingTargetFiresUntilStopAndAfterClearOrStopNothingShows) {
    press();
    world.runLoop.advanceBy(10.0);
    press(); // CLEAR
    EXPECT_EQ(last(), TimerProgress{});
    EXPECT_EQ(bar(), 0.0);
    press();
    world.runLoop.advanceBy(179.0);
    EXPECT_GT(bar(), 0.99);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(last(), (TimerProgress{State::Firing, 0.0, 0}));
    EXPECT_EQ(bar(), 0.0) << "the window's bar is not empty while firing";
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(last().state, State::Firing);
    press(); // STOP
    EXPECT_EQ(last(), TimerProgress{});
    const std::size_t told = shown().size();
    world.runLoop.advanceBy(60.0);
    EXPECT_EQ(shown().size(), told) << "told again at rest";
}

TEST_F(ProgressTest, TheMachineStaysAwakeWhileATimerCountsOrRingsAndTheRingIsWithdrawnWhenOver) {
    press();
    EXPECT_TRUE(world.progress.keptAwake);
    press(); // CLEAR
    EXPECT_FALSE(world.progress.keptAwake);

    // A looping target holds it until STOP, which withdraws its notice.
    press();
    journal().clear();
    world.runLoop.advanceBy(185.0);
    EXPECT_TRUE(world.progress.keptAwake);
    EXPECT_FALSE(journalHas("desktop.withdrawAttention"));
    press(); // STOP
    EXPECT_FALSE(world.progress.keptAwake);
    EXPECT_LT(journalIndex("desktop.attention [Sound] Chime (stoppable)"),
              journalIndex("desktop.withdrawAttention"));

    // A single-shot target lets it go as it fires; its notice stays until
    // the next START.
    selectTarget(3);
    window().targetAlertMessage.text = "Tea";
    bool awakeWhileAlertShows = true;
    world.panels.whileAlertShows = [&] { awakeWhileAlertShows = world.progress.keptAwake; };
    press();
    journal().clear();
    world.runLoop.advanceBy(180.0);
    EXPECT_FALSE(awakeWhileAlertShows);
    EXPECT_TRUE(journalHas("desktop.attention [Alert] Tea"));
    EXPECT_FALSE(journalHas("desktop.withdrawAttention"));
    journal().clear();
    press();
    EXPECT_EQ(journal().front(), "desktop.withdrawAttention");
    EXPECT_TRUE(world.progress.keptAwake);
    press(); // CLEAR
    EXPECT_FALSE(world.progress.keptAwake);
}

} // namespace
} // namespace eggtimer::test
