#pragma once
// A controller in a fake world, with helpers to drive it as a user would.

#include "controller/KRMaster.h"
#include "support/fake/FakeServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace eggtimer::test {

// Local time zones given as POSIX rules, so no zone database is needed.
inline constexpr const char* kUtc = "UTC0";
inline constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous.empty())
            unsetenv("TZ");
        else
            setenv("TZ", previous.c_str(), 1);
        tzset();
    }

private:
    std::string previous;
};

// The instant of a local date and time in the present zone.
inline WallTime localInstant(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<WallTime>(std::mktime(&t));
}

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest()
        : zone(kUtc)
        , world(localInstant(2027, 3, 10, 10, 0, 0)) {}

    void makeController() { master = std::make_unique<KRMaster>(world.services(), world.window.outlets()); }
    void SetUp() override { makeController(); }

    fake::FakeWindow& window() { return world.window; }
    fake::Journal& journal() { return world.window.journal; }

    void press() { master->startStopButton(&world.window.timerButton); }
    void selectTarget(int row) { world.window.targetSelecter.row = row; }
    void selectMode(int tab) { world.window.modeTab.index = tab; }
    void typeDuration(const char* days, const char* hours, const char* minutes) {
        selectMode(1);
        world.window.modeDhmDay.text = days;
        world.window.modeDhmHour.text = hours;
        world.window.modeDhmMin.text = minutes;
    }
    // Seconds from now to the main timer's fire date.
    double scheduledInterval() const { return master->mainTimer()->fireDate() - world.runLoop.now(); }
    bool journalHas(const std::string& entry) const {
        return std::find(world.window.journal.begin(), world.window.journal.end(), entry) !=
               world.window.journal.end();
    }
    // Position of an entry in the journal, or -1.
    long journalIndex(const std::string& entry) const {
        auto found = std::find(world.window.journal.begin(), world.window.journal.end(), entry);
        return found == world.window.journal.end() ? -1 : found - world.window.journal.begin();
    }

    ScopedTimeZone zone;
    fake::FakeWorld world;
    std::unique_ptr<KRMaster> master;
};

} // namespace eggtimer::test
