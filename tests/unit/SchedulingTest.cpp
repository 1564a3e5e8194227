// How START turns the window's choices into a main timer: the interval of
// each mode, the target check with its notices, and what the timer carries.

#include "controller/WallClockText.h"
#include "tests/unit/ControllerFixture.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace eggtimer::test {
namespace {

class SchedulingTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        window().targetSoundPopup.addItemWithTitle("Chime");
    }
};

const FireInfo& fireInfoOf(const Timer& timer) {
    return std::any_cast<const FireInfo&>(timer.userInfo());
}

TEST_F(SchedulingTest, PresetColumnsGiveTheirMinutesWithNoTwoMinutePreset) {
    const double expected[] = {60, 180, 240, 300, 600};
    for (int column = 0; column < 5; ++column) {
        window().modeMinSelecter.column = column;
        press();
        ASSERT_EQ(master->status(), TimerStatusRunning) << "column " << column;
        EXPECT_DOUBLE_EQ(scheduledInterval(), expected[column]) << "column " << column;
        EXPECT_EQ(fireInfoOf(*master->mainTimer()).at("mode"), "min");
        press(); // CLEAR
    }
}

TEST_F(SchedulingTest, PresetWithoutAValidColumnBeepsAndSchedulesNothing) {
    for (int column : {-1, 5}) {
        journal().clear();
        window().modeMinSelecter.column = column;
        window().statFireTarget.text = "before";
        press();
        EXPECT_EQ(journal(), fake::Journal{"desktop.beep"});
        EXPECT_EQ(master->mainTimer(), nullptr);
        EXPECT_EQ(master->status(), TimerStatusNotSet);
        EXPECT_EQ(window().statFireTarget.text, "before");
    }
}

struct DurationCase {
    const char *days, *hours, *minutes;
    double seconds;
};

TEST_F(SchedulingTest, DurationSumsDaysHoursAndMinutes) {
    const DurationCase cases[] = {
        {"0", "0", "0", 0},
        {"", "", "", 0},
        {"1", "2", "3", 1 * 24 * 3600 + 2 * 3600 + 3 * 60},
        {"", "1.5", "", 90 * 60},
        {" 2 days", "x", "-1", 2 * 86400 - 60},
        {"", "", "0.25", 15},
    };
    for (const DurationCase& c : cases) {
        typeDuration(c.days, c.hours, c.minutes);
        press();
        ASSERT_EQ(master->status(), TimerStatusRunning);
        EXPECT_DOUBLE_EQ(scheduledInterval(), c.seconds) << c.days << "|" << c.hours << "|" << c.minutes;
        EXPECT_EQ(fireInfoOf(*master->mainTimer()).at("mode"), "dhm");
        press(); // CLEAR
    }
}

TEST_F(SchedulingTest, DurationIsSummedInSinglePrecisionWithFusedSteps) {
    // Rounding once per fused step gives 66437.9921875 here; separate
    // roundings, or double precision, would give 66438.
    typeDuration("0.7", "1.1", "33.3");
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);
    EXPECT_EQ(scheduledInterval(), 66437.9921875);
}

TEST_F(SchedulingTest, ZeroAndNegativeDurationsFireAtTheFirstOpportunity) {
    world.sounds.add("Chime");
    for (const char* minutes : {"0", "-5"}) {
        typeDuration("", "", minutes);
        press();
        ASSERT_EQ(master->status(), TimerStatusRunning);
        world.runLoop.runDue();
        EXPECT_FALSE(master->mainTimer()->isValid()) << minutes;
        EXPECT_EQ(master->status(), TimerStatusFiring); // the sound target loops
        press();
    }
}

TEST_F(SchedulingTest, AbsurdDurationsNeitherWrapNorFireEarly) {
    const char* huge[][3] = {
        {"30", "", ""}, {"1e30", "", ""}, {"1e300", "", ""}, {"", "99999999999999999999", ""}};
    for (const auto& typed : huge) {
        typeDuration(typed[0], typed[1], typed[2]);
        press();
        ASSERT_EQ(master->status(), TimerStatusRunning);
        EXPECT_GT(scheduledInterval(), 29 * 86400.0) << typed[0] << typed[1];
        // 29 days asleep: the ticks missed are not made up, the main timer is due or not.
        world.runLoop.jumpWallClock(29 * 86400.0);
        world.runLoop.runDue();
        EXPECT_TRUE(master->mainTimer()->isValid()) << typed[0] << typed[1];
        EXPECT_EQ(master->status(), TimerStatusRunning);
        press(); // CLEAR
    }
    // Infinity minus infinity has no value: it waits forever instead.
    typeDuration("1e39", "-1e39", "");
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);
    EXPECT_EQ(master->mainTimer()->fireDate(), std::numeric_limits<double>::infinity());
}

struct AlarmCase {
    int nowHour, nowMinute, nowSecond;
    const char *hour, *minute;
    int ampmRow;
    double seconds;
};

TEST_F(SchedulingTest, AlarmIntervalFollowsTheTypedClockTime) {
    const AlarmCase cases[] = {
        {10, 0, 30, "10", "1", 0, 30},
        {23, 50, 10, "0", "10", 0, 20 * 60 - 10},
        {10, 15, 20, "10", "15", 0, 1440 * 60 - 20},        // the present minute: tomorrow
        {10, 15, 20, "9", "0", 1, 645 * 60 - 20},           // 9 PM
        {10, 15, 20, "12", "0", 1, (1440 - 615) * 60 - 20}, // 12 PM is the coming midnight
        {10, 15, 20, "12", "0", 0, (720 - 615) * 60 - 20},  // 12 AM is noon
        {10, 15, 20, "13", "0", 0, (780 - 615) * 60 - 20},  // hours are not reduced modulo 12
        {10, 15, 20, "25", "0", 0, (1500 - 615) * 60 - 20}, // nor wrapped back past a day
        {10, 15, 20, "1", "0", -1, (780 - 615) * 60 - 20},  // no AM/PM row counts as PM
        {10, 15, 20, "10.5", "", 0, (630 - 615) * 60 - 20}, // a decimal hour
        {10, 15, 20, "", "", 0, (1440 - 615) * 60 - 20},    // empty: midnight, tomorrow
    };
    for (const AlarmCase& c : cases) {
        fake::FakeWorld at(localInstant(2027, 1, 20, c.nowHour, c.nowMinute, c.nowSecond));
        KRMaster controller(at.services(), at.window.outlets());
        at.window.targetSoundPopup.addItemWithTitle("Chime");
        at.window.modeTab.index = 2;
        at.window.modeAlcHour.text = c.hour;
        at.window.modeAlcMin.text = c.minute;
        at.window.modeAlcAMPMSelecter.row = c.ampmRow;
        controller.startStopButton(&at.window.timerButton);
        ASSERT_EQ(controller.status(), TimerStatusRunning);
        EXPECT_DOUBLE_EQ(controller.mainTimer()->fireDate() - at.runLoop.now(), c.seconds)
            << c.nowHour << ":" << c.nowMinute << " alarm " << c.hour << ":" << c.minute << " row "
            << c.ampmRow;
        EXPECT_EQ(std::any_cast<const FireInfo&>(controller.mainTimer()->userInfo()).at("mode"), "alc");
    }
}

TEST_F(SchedulingTest, AlarmAcrossADaylightSavingChangeFiresAtTheTypedLocalTime) {
    ScopedTimeZone berlin(kBerlin);
    struct {
        WallTime now;
        const char* hour;
        int ampmRow;
        WallTime expected;
    } cases[] = {
        // Spring forward on 28 March 2027 at 02:00: the night is an hour shorter.
        {localInstant(2027, 3, 27, 22, 0, 0), "7", 0, localInstant(2027, 3, 28, 7, 0, 0)},
        // Fall back on 31 October 2027 at 03:00: an hour longer.
        {localInstant(2027, 10, 30, 22, 0, 0), "7", 0, localInstant(2027, 10, 31, 7, 0, 0)},
        // Hours beyond a day are still local time: 31 means 07:00 tomorrow.
        {localInstant(2027, 3, 27, 22, 0, 0), "31", 0, localInstant(2027, 3, 28, 7, 0, 0)},
    };
    for (const auto& c : cases) {
        fake::FakeWorld at(c.now);
        KRMaster controller(at.services(), at.window.outlets());
        at.window.targetSoundPopup.addItemWithTitle("Chime");
        at.window.modeTab.index = 2;
        at.window.modeAlcHour.text = c.hour;
        at.window.modeAlcMin.text = "0";
        at.window.modeAlcAMPMSelecter.row = c.ampmRow;
        controller.startStopButton(&at.window.timerButton);
        ASSERT_EQ(controller.status(), TimerStatusRunning);
        EXPECT_EQ(controller.mainTimer()->fireDate(), c.expected) << c.hour;
    }
    // The spring case is 8 hours of elapsed time, not the 9 a naive sum gives.
    EXPECT_EQ(cases[0].expected - cases[0].now, 8 * 3600);
    EXPECT_EQ(cases[1].expected - cases[1].now, 10 * 3600);
}

// Instants written in UTC, so that each case says which pass of a repeated
// hour it means.
WallTime utc(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day, t.tm_hour = hour, t.tm_min = minute;
    return static_cast<WallTime>(timegm(&t));
}

TEST_F(SchedulingTest, AlarmsInTheHourTheClocksChangeFireTheNextTimeTheClockShowsThem) {
    struct {
        const char* zone;
        WallTime now;
        const char *hour, *minute;
        WallTime expected;
    } cases[] = {
        // New York falls back at 06:00 UTC on 1 November 2026: 01:00-02:00 twice.
        {"America/New_York", utc(2026, 11, 1, 6, 30), "1", "45", utc(2026, 11, 1, 6, 45)}, // 01:30 EST
        {"America/New_York", utc(2026, 11, 1, 5, 30), "1", "45", utc(2026, 11, 1, 5, 45)}, // 01:30 EDT
        {"America/New_York", utc(2026, 11, 1, 5, 30), "1", "15", utc(2026, 11, 1, 6, 15)}, // the second pass
        {"America/New_York", utc(2026, 11, 1, 6, 30), "1", "15", utc(2026, 11, 2, 6, 15)}, // both passed
        // Berlin falls back at 01:00 UTC on 25 October 2026: 02:00-03:00 twice.
        {"Europe/Berlin", utc(2026, 10, 25, 1, 30), "2", "45", utc(2026, 10, 25, 1, 45)}, // 02:30 CET
        {"Europe/Berlin", utc(2026, 10, 25, 0, 30), "2", "45", utc(2026, 10, 25, 0, 45)}, // 02:30 CEST
        // London falls back at 01:00 UTC the same night: 01:00-02:00 twice.
        {"Europe/London", utc(2026, 10, 25, 1, 30), "1", "45", utc(2026, 10, 25, 1, 45)}, // 01:30 GMT
        // Lord Howe Island goes back half an hour: 01:30-02:00 twice.
        {"Australia/Lord_Howe", utc(2026, 4, 4, 15, 10), "1", "50", utc(2026, 4, 4, 15, 20)}, // 01:40, 2nd
        // New York springs forward at 07:00 UTC on 8 March 2026: 02:00-03:00
        // never shows, and a time in it fires as the clock jumps past it.
        {"America/New_York", utc(2026, 3, 8, 6, 50), "2", "30", utc(2026, 3, 8, 7, 0)},  // 01:50 EST
        {"America/New_York", utc(2026, 3, 8, 6, 50), "3", "15", utc(2026, 3, 8, 7, 15)}, // just past it
        {"America/New_York", utc(2026, 3, 8, 7, 10), "2", "30", utc(2026, 3, 9, 6, 30)}, // 03:10 EDT
        // Berlin springs forward at 01:00 UTC on 29 March 2026: 02:00-03:00.
        {"Europe/Berlin", utc(2026, 3, 29, 0, 59), "2", "15", utc(2026, 3, 29, 1, 0)}, // 01:59 CET
        {"Europe/Berlin", utc(2026, 3, 29, 1, 0), "2", "15", utc(2026, 3, 30, 0, 15)}, // 03:00 CEST
        // Lord Howe Island goes forward half an hour: 02:00-02:30.
        {"Australia/Lord_Howe", utc(2026, 10, 3, 15, 0), "2", "10", utc(2026, 10, 3, 15, 30)}, // 01:30
    };
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        fake::FakeWorld at(c.now);
        KRMaster controller(at.services(), at.window.outlets());
        at.window.targetSoundPopup.addItemWithTitle("Chime");
        at.window.modeTab.index = 2;
        at.window.modeAlcHour.text = c.hour;
        at.window.modeAlcMin.text = c.minute;
        at.window.modeAlcAMPMSelecter.row = 0;
        controller.startStopButton(&at.window.timerButton);
        ASSERT_EQ(controller.status(), TimerStatusRunning);
        EXPECT_EQ(controller.mainTimer()->fireDate(), c.expected)
            << c.zone << " at " << describeWallTime(c.now) << ", alarm " << c.hour << ":" << c.minute
            << ", fires at " << describeWallTime(controller.mainTimer()->fireDate());
    }
}

TEST_F(SchedulingTest, ModeOutsideTheThreeTabsBeepsAndLogsTheIndex) {
    selectMode(-1);
    selectTarget(1); // also incomplete, but the mode is settled first
    window().statFireTarget.text = "kept";
    press();
    EXPECT_EQ(journal(), (fake::Journal{"desktop.beep", "desktop.log tab:-1"}));
    EXPECT_EQ(window().statFireTarget.text, "kept");
    EXPECT_EQ(master->mainTimer(), nullptr);
}

TEST_F(SchedulingTest, IncompleteTargetsWriteTheirNoticeThenBeep) {
    struct {
        int row;
        std::string message;
        const char* notice;
    } cases[] = {
        {1, "", "!Nortice! [Music] Music not selected."},
        {2, "", "!Nortice! [File] File not selected."},
        {3, "", "!Nortice! [Alert] Message not set."},
    };
    for (const auto& c : cases) {
        journal().clear();
        selectTarget(c.row);
        window().targetAlertMessage.text = c.message;
        press();
        EXPECT_EQ(journal(), (fake::Journal{"statFireTarget.set", "desktop.beep"}));
        EXPECT_EQ(window().statFireTarget.text, c.notice);
        EXPECT_EQ(master->mainTimer(), nullptr);
        EXPECT_EQ(master->status(), TimerStatusNotSet);
    }
}

TEST_F(SchedulingTest, SoundTargetWithAnEmptyListIsRefusedWithABeep) {
    window().targetSoundPopup.removeAllItems();
    selectTarget(0);
    press();
    EXPECT_EQ(journal(), fake::Journal{"desktop.beep"});
    EXPECT_EQ(master->mainTimer(), nullptr);
    EXPECT_EQ(master->status(), TimerStatusNotSet);
}

TEST_F(SchedulingTest, FireInfoHoldsTheModeTheTargetAndItsOneValue) {
    world.desktop.openPanelAnswers = {"/music/Song Title.mp3", "/docs/a.pdf"};
    master->selectTargetMusic(nullptr);
    master->selectTargetFile(nullptr);
    struct {
        int row;
        FireInfo expected;
    } cases[] = {
        {0, {{"mode", "min"}, {"target", "sound"}, {"sound", "Chime"}}},
        {1, {{"mode", "min"}, {"target", "music"}, {"music", "/music/Song Title.mp3"}}},
        {2, {{"mode", "min"}, {"target", "file"}, {"file", "/docs/a.pdf"}}},
        {3, {{"mode", "min"}, {"target", "alert"}, {"msg", " "}}}, // a blank passes
        {-1, {{"mode", "min"}}},
    };
    window().targetAlertMessage.text = " ";
    for (const auto& c : cases) {
        selectTarget(c.row);
        press();
        ASSERT_EQ(master->status(), TimerStatusRunning) << c.row;
        EXPECT_EQ(fireInfoOf(*master->mainTimer()), c.expected) << c.row;
        press(); // CLEAR
    }
}

TEST_F(SchedulingTest, AStartAfterAFiredTimerSchedulesAFreshOne) {
    world.sounds.add("Chime");
    typeDuration("", "", "");
    press();
    world.runLoop.runDue();
    ASSERT_EQ(master->status(), TimerStatusFiring);
    const std::shared_ptr<Timer> fired = master->mainTimer();
    press(); // STOP: the fired timer stays held for the status area
    ASSERT_EQ(master->mainTimer(), fired);

    typeDuration("", "", "1");
    press();
    ASSERT_EQ(master->status(), TimerStatusRunning);
    EXPECT_NE(master->mainTimer(), fired);
    EXPECT_TRUE(master->mainTimer()->isValid());
    EXPECT_DOUBLE_EQ(scheduledInterval(), 60.0);
    EXPECT_EQ(window().statTimer.text, "Timer is running.");
}

TEST_F(SchedulingTest, TheMainTimerFiresAtItsDateAcrossASuspendOrAClockChange) {
    world.sounds.add("Chime");
    window().modeMinSelecter.column = 0; // one minute
    press();
    const WallTime fireDate = master->mainTimer()->fireDate();

    // Asleep for an hour: on waking the date has passed, and it fires at once.
    world.runLoop.jumpWallClock(3600);
    EXPECT_TRUE(master->mainTimer()->isValid());
    world.runLoop.runDue();
    EXPECT_EQ(master->status(), TimerStatusFiring);
    press();

    // The clock is set back a day: the timer keeps the date it shows.
    press();
    const WallTime shown = master->mainTimer()->fireDate();
    world.runLoop.jumpWallClock(-86400);
    world.runLoop.advanceBy(120);
    EXPECT_TRUE(master->mainTimer()->isValid());
    EXPECT_EQ(master->mainTimer()->fireDate(), shown);
    world.runLoop.advanceBy(86400);
    EXPECT_FALSE(master->mainTimer()->isValid());
    EXPECT_GT(shown, fireDate);
}

} // namespace
} // namespace eggtimer::test
