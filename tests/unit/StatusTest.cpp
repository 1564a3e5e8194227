// The status area over a timer's life, and the ticker that keeps it current.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

class StatusTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        window().targetSoundPopup.addItemWithTitle("Chime");
        world.sounds.add("Chime");
    }
    std::vector<std::string> lines() const {
        const auto& w = world.window;
        return {w.statTimer.text, w.statSeconds.text, w.statFireTime.text, w.statFireTarget.text};
    }
};

TEST_F(StatusTest, AtStartUpTheAreaShowsNoTimer) {
    world.files.folders[world.files.systemSoundFolder()] = {"Chime.aiff"};
    master->awakeFromNib();
    EXPECT_EQ(lines(), (std::vector<std::string>{"Timer not set.", "", "fire at: ", "[Sound] Chime"}));
}

TEST_F(StatusTest, TargetLineFollowsTheTargetControlsAsTheyStand) {
    window().targetMusicName.text = "Song Title.mp3";
    window().targetFileName.text = "";
    window().targetAlertMessage.text = "Tea is ready %@";
    const std::pair<int, std::string> cases[] = {
        {0, "[Sound] Chime"}, {1, "[Music] Song Title.mp3"},
        {2, "[File] "},       {3, "[Alert] Tea is ready %@"},
        {-1, "[?] "},         {7, "[?] "},
    };
    for (const auto& [row, expected] : cases) {
        selectTarget(row);
        master->updateStatFireTarget();
        EXPECT_EQ(window().statFireTarget.text, expected) << row;
    }
    window().targetSoundPopup.removeAllItems();
    selectTarget(0);
    master->updateStatFireTarget();
    EXPECT_EQ(window().statFireTarget.text, "[Sound] ");
}

TEST_F(StatusTest, ThroughATimersLife) {
    typeDuration("", "", "1"); // 60 s
    press();
    EXPECT_EQ(window().statTimer.text, "Timer is running.");
    EXPECT_EQ(window().statSeconds.text, "( 60 seconds after )");
    EXPECT_EQ(window().statFireTime.text, "fire at: 2027-03-10 10:01:00 +0000");

    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(window().statSeconds.text, "( 59 seconds after )");
    world.runLoop.advanceBy(58.0);
    EXPECT_EQ(window().statSeconds.text, "( 1 seconds after )");
    EXPECT_EQ(master->secondsPast(), 0.0);

    world.runLoop.advanceBy(1.0); // the main timer and a tick fall due together
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(window().statTimer.text, "Timer is firing.");
    EXPECT_EQ(window().statFireTime.text, "fire at: 2027-03-10 10:01:00 +0000");
    const std::string firstPast = window().statSeconds.text;
    EXPECT_TRUE(firstPast == "( 1 seconds has past )" || firstPast == "( 2 seconds has past )") << firstPast;

    double before = master->secondsPast();
    world.runLoop.advanceBy(9.0);
    EXPECT_EQ(master->secondsPast(), before + 9.0);

    // STOP redraws nothing: the area keeps its last lines.
    const auto last = lines();
    press();
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(lines(), last);
}

TEST_F(StatusTest, FiringTicksCountFromOneAndTheStateLineIsWrittenOnce) {
    typeDuration("", "", "");
    press();
    world.runLoop.runDue(); // fires before the first tick
    journal().clear();
    for (int tick = 1; tick <= 10; ++tick) {
        world.runLoop.advanceBy(1.0);
        EXPECT_EQ(window().statSeconds.text, "( " + std::to_string(tick) + " seconds has past )");
    }
    EXPECT_EQ(std::count(journal().begin(), journal().end(), "statTimer.set"), 1);
    EXPECT_EQ(window().statTimer.text, "Timer is firing.");
}

TEST_F(StatusTest, SecondsLeftAreRoundedAsCFormatsThem) {
    const std::pair<double, std::string> cases[] = {
        {59.6, "( 60 seconds after )"},
        {0.4, "( 0 seconds after )"},
        {-5.0, "( -5 seconds after )"},
        {2.5, "( 2 seconds after )"}, // round half to even
    };
    typeDuration("", "", "1");
    ASSERT_TRUE(master->setTimer());
    for (const auto& [ahead, expected] : cases) {
        // Only the wall clock moves, so the timer is still valid when overdue.
        world.runLoop.jumpWallClock(scheduledInterval() - ahead);
        master->updateStatSeconds();
        EXPECT_EQ(window().statSeconds.text, expected) << ahead;
    }
}

TEST_F(StatusTest, FarFireDatesAreShownWithoutOverflow) {
    const std::pair<const char*, std::string> cases[] = {
        {"1e30", "fire at: after the year 9999"},
        {"1e39", "fire at: never"},
    };
    for (const auto& [days, expected] : cases) {
        master->clearTimer();
        typeDuration(days, "", "");
        ASSERT_TRUE(master->setTimer());
        master->updateStat();
        EXPECT_EQ(window().statFireTime.text, expected);
        EXPECT_EQ(window().statTimer.text, "Timer is running.");
    }
    EXPECT_EQ(window().statSeconds.text, "( inf seconds after )");
}

TEST_F(StatusTest, OneTickerAtMostAndStoppingNoneIsHarmless) {
    master->stopCountDown();
    EXPECT_EQ(master->countDownTimer(), nullptr);
    master->startCountDown();
    std::weak_ptr<Timer> first = master->countDownTimer();
    master->countDown();
    master->startCountDown();
    EXPECT_FALSE(first.expired() && first.lock()->isValid());
    EXPECT_EQ(world.runLoop.pendingCount(), 1u);
    EXPECT_EQ(master->secondsPast(), 0.0);

    window().statSeconds.text = "kept";
    master->stopCountDown();
    master->stopCountDown();
    world.runLoop.advanceBy(10);
    EXPECT_EQ(window().statSeconds.text, "kept");
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

TEST_F(StatusTest, TicksAfterASuspendAreNotMadeUp) {
    typeDuration("", "", "");
    press();
    world.runLoop.runDue();
    world.runLoop.advanceBy(3.0);
    EXPECT_EQ(master->secondsPast(), 3.0);
    world.runLoop.jumpWallClock(600);
    world.runLoop.runDue();
    EXPECT_EQ(master->secondsPast(), 4.0);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(master->secondsPast(), 5.0);
}

TEST_F(StatusTest, ANoticeStaysUntilTheNextRedraw) {
    selectTarget(2);
    press();
    EXPECT_EQ(window().statFireTarget.text, "!Nortice! [File] File not selected.");
    master->countDown();
    EXPECT_EQ(window().statFireTarget.text, "!Nortice! [File] File not selected.");
    master->updateStat();
    EXPECT_EQ(window().statFireTarget.text, "[File] (none)");
}

} // namespace
} // namespace eggtimer::test
