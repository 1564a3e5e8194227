// How START turns the window's choices into a main timer: the interval of
// each mode, the refused starts with their notices, and what the timer
// carries; and how the mode tabs are chosen.

#include "tests/unit/ControllerFixture.h"
#include "text/WallClockText.h"

#include <array>
#include <limits>

namespace eggtimer::test {
namespace {

using SchedulingTest = ControllerTest;

TEST_F(SchedulingTest, PresetColumnsGiveTheirMinutes) {
    const double minutes[] = {1, 3, 4, 5, 10}; // there is no two-minute preset
    for (int column = 0; column < 5; ++column) {
        window().modeMinSelecter.column = column;
        press();
        EXPECT_EQ(scheduledInterval(), minutes[column] * 60) << column;
        press(); // CLEAR
    }
}

// Nothing locked, closed, retitled, saved or scheduled.
TEST_F(SchedulingTest, ARefusedStartBeepsAndLeavesEverythingButTheNotice) {
    const fake::Journal beep{"beep"}, notice{"statFireTarget.set", "beep"};
    const struct {
        const char* name;
        int tab, column, row;
        bool noSounds;
        fake::Journal journal;
        const char* targetLine;
    } cases[] = {{"no preset column", 0, -1, 0, false, beep, "before"},
                 {"preset column past the last", 0, 5, 0, false, beep, "before"},
                 // The mode is settled before the incomplete target.
                 {"no mode, before an incomplete target", -1, 1, 1, false, {"beep", "log tab:-1"}, "before"},
                 {"no music", 0, 1, 1, false, notice, "!Nortice! [Music] Music not selected."},
                 {"no file", 0, 1, 2, false, notice, "!Nortice! [File] File not selected."},
                 {"no message", 0, 1, 3, false, notice, "!Nortice! [Alert] Message not set."},
                 {"no sound in the list", 0, 1, 0, true, beep, "before"}}; // the last: it empties the list
    for (const auto& c : cases) {
        selectMode(c.tab);
        window().modeMinSelecter.column = c.column;
        selectTarget(c.row);
        if (c.noSounds)
            window().targetSoundPopup.removeAllItems();
        window().statFireTarget.text = "before";
        journal().clear();
        press();
        EXPECT_EQ(journal(), c.journal) << c.name;
        EXPECT_EQ(window().statFireTarget.text, c.targetLine) << c.name;
        EXPECT_EQ(master->status(), TimerStatusNotSet) << c.name;
        EXPECT_EQ(master->mainTimer(), nullptr) << c.name;
        EXPECT_EQ(world.runLoop.pendingCount(), 0u) << c.name;
        EXPECT_TRUE(world.settings.writtenKeys.empty()) << c.name;
    }
}

TEST_F(SchedulingTest, ANoticeStaysUntilTheNextRedrawEvenOnceTheTargetIsComplete) {
    selectTarget(2);
    press();
    ASSERT_EQ(window().statFireTarget.text, "!Nortice! [File] File not selected.");
    world.panels.openPanelAnswers = {"/docs/a.pdf"};
    master->selectTargetFile(nullptr);
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(window().statFireTarget.text, "!Nortice! [File] File not selected.");
    press();
    EXPECT_EQ(window().statFireTarget.text, "[File] a.pdf");
}

TEST_F(SchedulingTest, DurationIsSummedInSinglePrecisionWithFusedSteps) {
    const struct {
        const char *days, *hours, *minutes;
        double seconds;
    } cases[] = {{"1", "2", "3", 1 * 86400 + 2 * 3600 + 3 * 60},
                 {" 2 days", "x", "-1", 2 * 86400 - 60},
                 // Rounded once per fused step; rounding the product and the
                 // sum apart gives 66438, 50616 and 101023.203125.
                 {"0.7", "1.1", "33.3", 66437.9921875},
                 {"0.25", "8.06", "0", 50616.00390625},
                 {"1", "4.062", "0", 101023.1953125}};
    for (const auto& c : cases) {
        typeDuration(c.days, c.hours, c.minutes);
        press();
        EXPECT_EQ(scheduledInterval(), c.seconds) << c.days << " | " << c.hours << " | " << c.minutes;
        press(); // CLEAR
    }
}

TEST_F(SchedulingTest, AbsurdDurationsNeitherWrapNorFireEarly) {
    const std::pair<const char*, const char*> daysAndHours[] = {
        {"30", ""}, {"1e30", ""}, {"1e300", ""}, {"", "99999999999999999999"}};
    for (const auto& [days, hours] : daysAndHours) {
        typeDuration(days, hours, "");
        press();
        EXPECT_GT(scheduledInterval(), 29 * 86400.0) << days << hours;
        // 29 days asleep: the main timer is not yet due.
        world.runLoop.jumpWallClock(29 * 86400.0);
        world.runLoop.runDue();
        EXPECT_EQ(master->status(), TimerStatusRunning) << days << hours;
        press(); // CLEAR
    }
}

TEST_F(SchedulingTest, InfinityMinusInfinityWaitsForever) {
    // It has no value: rather than firing at once, the timer never comes.
    typeDuration("1e39", "-1e39", "");
    press();
    EXPECT_EQ(master->mainTimer()->fireDate(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(window().statFireTime.text, "fire at: never");
    EXPECT_EQ(window().statSeconds.text, "( inf seconds after )");
}

// Instants written in UTC, so that each case says which pass of a repeated
// hour it means.
WallTime utc(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
    return static_cast<WallTime>(timegm(&t));
}

// The alarm as typed, in UTC: the hour is not reduced, PM (or no row) adds
// twelve hours.
TEST_F(SchedulingTest, AlarmIsTheNextTimeTheClockShowsTheTypedTime) {
    world.runLoop.jumpWallClock(utc(2027, 1, 20, 10, 15, 20) - world.runLoop.now());
    selectMode(2);
    const struct {
        const char *hour, *minute;
        int ampmRow;
        WallTime expected;
    } cases[] = {{"10", "16", 0, utc(2027, 1, 20, 10, 16)},
                 {"10", "15", 0, utc(2027, 1, 21, 10, 15)}, // the present minute is tomorrow
                 {"9", "0", 1, utc(2027, 1, 20, 21, 0)},
                 {"12", "0", 1, utc(2027, 1, 21, 0, 0)},  // 12 PM is the coming midnight
                 {"12", "0", 0, utc(2027, 1, 20, 12, 0)}, // and 12 AM noon
                 {"1", "0", -1, utc(2027, 1, 20, 13, 0)},
                 {"10.5", "", 0, utc(2027, 1, 20, 10, 30)}};
    for (const auto& c : cases) {
        window().modeAlcHour.text = c.hour;
        window().modeAlcMin.text = c.minute;
        window().modeAlcAMPMSelecter.row = c.ampmRow;
        press();
        EXPECT_EQ(scheduledInterval(), c.expected - world.runLoop.now())
            << c.hour << ":" << c.minute << " row " << c.ampmRow;
        press(); // CLEAR
    }
}

// Through the zone's rules around its changes: a time that shows twice fires
// in the first pass still to come, a skipped time at the change.
TEST(AlarmIntervalTest, IsTheNextTimeTheLocalClockShowsTheTypedTime) {
    const char *newYork = "America/New_York", *berlin = "Europe/Berlin", *lordHowe = "Australia/Lord_Howe";
    const struct {
        const char* zone;
        WallTime now;
        int hour, minute;
        WallTime expected;
    } cases[] = {// New York falls back at 06:00 UTC on 1 November 2026: 01:00-02:00
                 // twice. Later in the second pass, later in the first, earlier in the
                 // second, both passes gone.
                 {newYork, utc(2026, 11, 1, 6, 30), 1, 45, utc(2026, 11, 1, 6, 45)},
                 {newYork, utc(2026, 11, 1, 5, 30), 1, 45, utc(2026, 11, 1, 5, 45)},
                 {newYork, utc(2026, 11, 1, 5, 30), 1, 15, utc(2026, 11, 1, 6, 15)},
                 {newYork, utc(2026, 11, 1, 6, 30), 1, 15, utc(2026, 11, 2, 6, 15)},
                 // Berlin falls back at 01:00 UTC on 25 October 2026: 02:00-03:00 twice.
                 {berlin, utc(2026, 10, 25, 0, 30), 2, 45, utc(2026, 10, 25, 0, 45)},
                 // Lord Howe Island goes back half an hour: 01:30-02:00 twice.
                 {lordHowe, utc(2026, 4, 4, 15, 10), 1, 50, utc(2026, 4, 4, 15, 20)},
                 // New York springs forward at 07:00 UTC on 8 March 2026: 02:00-03:00
                 // never shows, and a time in it fires as the clock jumps past it;
                 // once that is past, tomorrow. Just past the skipped hour.
                 {newYork, utc(2026, 3, 8, 6, 50), 2, 30, utc(2026, 3, 8, 7, 0)},
                 {newYork, utc(2026, 3, 8, 7, 10), 2, 30, utc(2026, 3, 9, 6, 30)},
                 {newYork, utc(2026, 3, 8, 6, 50), 3, 15, utc(2026, 3, 8, 7, 15)},
                 // Set at 21:00 the evening before a change, 06:00 tomorrow is in
                 // tomorrow's offset: eight hours away in spring, ten in autumn.
                 {newYork, utc(2026, 3, 8, 2, 0), 6, 0, utc(2026, 3, 8, 10, 0)},
                 {newYork, utc(2026, 11, 1, 1, 0), 6, 0, utc(2026, 11, 1, 11, 0)},
                 // Berlin springs forward at 01:00 UTC on 29 March 2026: 02:00-03:00.
                 // Hours beyond a day are local time too: 31 is 07:00 CEST tomorrow.
                 {berlin, utc(2026, 3, 29, 0, 59), 2, 15, utc(2026, 3, 29, 1, 0)},
                 {berlin, utc(2026, 3, 28, 21, 0), 31, 0, utc(2026, 3, 29, 5, 0)},
                 // Lord Howe Island goes forward half an hour: 02:00-02:30.
                 {lordHowe, utc(2026, 10, 3, 15, 0), 2, 10, utc(2026, 10, 3, 15, 30)}};
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        const WallTime fireDate = c.now + alarmInterval(c.now, c.hour * 60 + c.minute);
        EXPECT_EQ(fireDate, c.expected) << c.zone << " at " << describeWallTime(c.now) << ", alarm " << c.hour
                                        << ":" << c.minute << ", fires at " << describeWallTime(fireDate);
    }
}

// Next and previous wrap at both ends of the tabs there are now.
TEST_F(SchedulingTest, ModeStepsWrapAtBothEndsOfTheTabsThereAreNow) {
    window().modeTab.count = 5;
    // From the first and from the last tab: the next, the previous.
    for (const auto& [from, next, previous] : {std::array{0, 1, 4}, std::array{4, 0, 3}}) {
        selectMode(from);
        master->nextMode(nullptr);
        EXPECT_EQ(window().modeTab.index, next) << from;
        selectMode(from);
        master->prevMode(nullptr);
        EXPECT_EQ(window().modeTab.index, previous) << from;
    }
}

TEST_F(SchedulingTest, TheSendersTagSelectsTheTabAndARunningTimerIsLeftAlone) {
    press();
    const WallTime fireDate = master->mainTimer()->fireDate();
    const std::string fireTime = window().statFireTime.text;
    fake::FakeButton preset("preset", journal(), 0), alarm("alarm", journal(), 2),
        bogus("bogus", journal(), 7);
    master->changeModeWithSenderTag(&alarm);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&bogus);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&preset);
    EXPECT_EQ(window().modeTab.index, 0);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(master->mainTimer()->fireDate(), fireDate);
    EXPECT_EQ(window().statFireTime.text, fireTime);
    EXPECT_EQ(master->status(), TimerStatusRunning);
}

} // namespace
} // namespace eggtimer::test
