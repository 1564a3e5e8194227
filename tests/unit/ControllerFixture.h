#pragma once
// A controller in a fake world, with helpers to drive it as a user would.

#include "controller/KRMaster.h"
#include "support/fake/FakeServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace eggtimer::test {

// Sets the local time zone for a scope; UTC, the zone of every test, after it.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) { set(zone); }
    ~ScopedTimeZone() { set("UTC0"); }

private:
    static void set(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
};

class ControllerTest : public ::testing::Test {
protected:
    // A controller over a window whose sound list holds a playable Chime.
    void SetUp() override {
        master = std::make_unique<KRMaster>(world.services(), world.window.outlets());
        world.window.targetSoundPopup.addItemWithTitle("Chime");
        chime = &world.sounds.add("Chime");
    }

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
    double scheduledInterval() const {
        return master->mainTimer() ? master->mainTimer()->fireDate() - world.runLoop.now() : NAN;
    }
    // Position of an entry in the journal, or -1.
    long journalIndex(const std::string& entry) const {
        auto found = std::find(world.window.journal.begin(), world.window.journal.end(), entry);
        return found == world.window.journal.end() ? -1 : found - world.window.journal.begin();
    }
    bool journalHas(const std::string& entry) const { return journalIndex(entry) >= 0; }

    ScopedTimeZone zone{"UTC0"};
    fake::FakeWorld world;
    std::unique_ptr<KRMaster> master;
    fake::FakeSound* chime = nullptr;
};

} // namespace eggtimer::test
