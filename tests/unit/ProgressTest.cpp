// What the controller shows and tells the desktop through a timer's life:
// its progress, in the window's bar and for the launcher icon, and to keep
// the machine awake.

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

// Nor does it keep the machine awake then; a looping target holds it until
// STOP, which withdraws the ring's notice. A single-shot target lets it go
// as it fires (FiringTest).
TEST_F(ProgressTest, ALoopingTargetFiresUntilStopAndAfterClearOrStopNothingShows) {
    press();
    EXPECT_TRUE(world.progress.keptAwake);
    world.runLoop.advanceBy(10.0);
    press(); // CLEAR
    EXPECT_EQ(last(), TimerProgress{});
    EXPECT_EQ(bar(), 0.0);
    EXPECT_FALSE(world.progress.keptAwake);
    press();
    journal().clear();
    world.runLoop.advanceBy(179.0);
    EXPECT_GT(bar(), 0.99);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(last(), (TimerProgress{State::Firing, 0.0, 0}));
    EXPECT_EQ(bar(), 0.0) << "the window's bar is not empty while firing";
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(last().state, State::Firing);
    EXPECT_TRUE(world.progress.keptAwake);
    press(); // STOP
    EXPECT_EQ(last(), TimerProgress{});
    EXPECT_FALSE(world.progress.keptAwake);
    EXPECT_LT(journalIndex("desktop.attention [Sound] Chime (stoppable)"),
              journalIndex("desktop.withdrawAttention"));
    const std::size_t told = shown().size();
    world.runLoop.advanceBy(60.0);
    EXPECT_EQ(shown().size(), told) << "told again at rest";
}

} // namespace
} // namespace eggtimer::test
