// What the controller tells the desktop of the timer's progress, for the
// window's indicator and the launcher icon, through a timer's life.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using State = TimerProgress::State;

// Every timer here is the three minutes of the preset the window opens on.
class ProgressTest : public ControllerTest {
protected:
    const std::vector<TimerProgress>& shown() const { return world.desktop.progressShown; }
    TimerProgress last() const { return shown().empty() ? TimerProgress{} : shown().back(); }
};

TEST_F(ProgressTest, RunningItTellsThePartPassedAndTheMinutesLeftRoundedUp) {
    press();
    EXPECT_EQ(last(), (TimerProgress{State::Running, 0.0, 3}));
    world.runLoop.advanceBy(61.0);
    EXPECT_EQ(last().state, State::Running);
    EXPECT_NEAR(last().passed, 61.0 / 180.0, 1e-9);
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
    press();
    world.runLoop.advanceBy(180.0);
    EXPECT_EQ(last(), (TimerProgress{State::Firing, 0.0, 0}));
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(last().state, State::Firing);
    press(); // STOP
    EXPECT_EQ(last(), TimerProgress{});
    const std::size_t told = shown().size();
    world.runLoop.advanceBy(60.0);
    EXPECT_EQ(shown().size(), told) << "told again at rest";
}

} // namespace
} // namespace eggtimer::test
