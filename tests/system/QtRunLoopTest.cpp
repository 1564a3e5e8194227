// The real run loop: kernel timers delivered by the Qt event loop (and the
// event loop's own timers, where KernelTimerFallbackTest.cpp runs these).

#include "platform/system/QtRunLoop.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace eggtimer::test {

using namespace std::chrono_literals;
namespace {

// Whether the loop still holds the timer once the test lets go of its own
// handle: it must until the timer fires or is invalidated, and not after, or
// every timer a run schedules would keep its kernel timer open.
bool loopHolds(std::shared_ptr<Timer>& timer) {
    const std::weak_ptr<Timer> watched = timer;
    timer.reset();
    return !watched.expired();
}

// The kernel timers this process holds, by descriptor.
std::set<std::string> kernelTimers() {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == "anon_inode:[timerfd]")
            found.insert(entry.path().filename());
    }
    return found;
}

// A one-shot timer is armed on the wall clock (clock 0) at its absolute date
// (flag 01), so that it fires at that date when the clock is set or the
// system slept through it; a repeating one counts elapsed time (clock 1).
TEST(QtRunLoopTest, TheKernelHoldsAOneShotAtItsWallClockDateAndARepeatingOneOnElapsedTime) {
    QtRunLoop loop;
    for (const auto& [repeats, clock, flags] : {std::tuple{false, "0", "01"}, std::tuple{true, "1", "00"}}) {
        const std::set<std::string> before = kernelTimers();
        auto timer = loop.scheduleTimer(3600, repeats, [](Timer&) {});
        std::set<std::string> added = kernelTimers();
        std::erase_if(added, [&](const std::string& fd) { return before.count(fd) != 0; });
        ASSERT_EQ(added.size(), 1U);
        std::stringstream info;
        info << std::ifstream("/proc/self/fdinfo/" + *added.begin()).rdbuf();
        EXPECT_NE(info.str().find(std::string("clockid: ") + clock + "\n"), std::string::npos) << info.str();
        EXPECT_NE(info.str().find(std::string("settime flags: ") + flags + "\n"), std::string::npos)
            << info.str();
    }
}

// A one-shot fires once, near its fire date, and is invalid in its action;
// past and zero intervals fire at the first opportunity. Actions may
// invalidate their own timer or another and schedule more. Invalidated and
// endless timers never fire, and their dates stay readable.
TEST(QtRunLoopTest, TimersFireOnceAtTheirDateAndTheirActionsMayInvalidateAndSchedule) {
    QtRunLoop loop;
    int calls = 0, past = 0, ticks = 0, scheduled = 0;
    for (double interval : {0.0, -1e9, -HUGE_VAL})
        loop.scheduleTimer(interval, false, [&](Timer&) { ++past; });
    double firedAt = 0;
    auto timer = loop.scheduleTimer(
        0.2, false,
        [&](Timer& t) {
            ++calls;
            firedAt = loop.now();
            EXPECT_FALSE(t.isValid());
            EXPECT_EQ(std::any_cast<int>(t.userInfo()), 42);
        },
        42);
    EXPECT_NEAR(timer->fireDate() - loop.now(), 0.2, 0.05);
    std::shared_ptr<Timer> victim =
        loop.scheduleTimer(0.3, false, [&](Timer&) { ADD_FAILURE() << "cancelled"; });
    auto ticker = loop.scheduleTimer(0.05, true, [&](Timer& t) {
        if (++ticks == 1) {
            victim->invalidate();
            loop.scheduleTimer(0.01, false, [&](Timer&) { ++scheduled; });
        }
        if (ticks == 3)
            t.invalidate();
    });
    auto cancelled = loop.scheduleTimer(0.05, false, [&](Timer&) { ADD_FAILURE() << "cancelled"; });
    cancelled->invalidate();
    const auto never = [](Timer&) { ADD_FAILURE() << "an endless timer fired"; };
    auto endless = loop.scheduleTimer(HUGE_VAL, false, never);
    auto notANumber = loop.scheduleTimer(NAN, false, never);
    auto farAway = loop.scheduleTimer(1e30 * 86400, false, never);
    const double scheduledAt = loop.now();
    auto beyond32Bits = loop.scheduleTimer(30.0 * 86400, false, never);
    ASSERT_TRUE(waitUntil([&] { return calls > 0 && ticks >= 3 && scheduled == 1; }, 5s));
    serveEventsFor(400ms);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(past, 3);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(scheduled, 1);
    EXPECT_GE(firedAt, timer->fireDate());
    EXPECT_LT(firedAt - timer->fireDate(), 0.5); // generous: this is not a benchmark
    EXPECT_TRUE(endless->isValid());
    EXPECT_EQ(endless->fireDate(), HUGE_VAL);
    EXPECT_EQ(notANumber->fireDate(), HUGE_VAL);
    EXPECT_TRUE(farAway->isValid());
    EXPECT_NEAR(beyond32Bits->fireDate() - scheduledAt, 30.0 * 86400, 1.0);
    // The loop lets go of a timer once it has fired or was invalidated, and not before.
    for (std::shared_ptr<Timer>* done : {&timer, &ticker, &cancelled}) {
        EXPECT_FALSE((*done)->isValid());
        EXPECT_FALSE(loopHolds(*done));
    }
    for (std::shared_ptr<Timer>* pending : {&endless, &notANumber, &farAway, &beyond32Bits})
        EXPECT_TRUE(loopHolds(*pending));
}

} // namespace
} // namespace eggtimer::test
