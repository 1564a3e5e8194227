// The real run loop: kernel timers delivered by the Qt event loop.

#include "platform/qt/QtRunLoop.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace eggtimer::test {

using namespace std::chrono_literals;
using testing::serveEventsFor;
using testing::waitUntil;
namespace {

// Whether the loop still holds the timer once the test lets go of its own
// handle: it must until the timer fires or is invalidated, and not after, or
// every timer a run schedules would keep its kernel timer open.
bool loopHolds(std::shared_ptr<Timer>& timer) {
    const std::weak_ptr<Timer> watched = timer;
    timer.reset();
    return !watched.expired();
}

TEST(QtRunLoopTest, OneShotFiresOnceNearItsFireDateAndThenIsInvalid) {
    QtRunLoop loop;
    int calls = 0;
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
    EXPECT_TRUE(timer->isValid());
    EXPECT_NEAR(timer->fireDate() - loop.now(), 0.2, 0.05);
    ASSERT_TRUE(waitUntil([&] { return calls > 0; }, 5s));
    serveEventsFor(300ms);
    EXPECT_EQ(calls, 1);
    EXPECT_GE(firedAt, timer->fireDate());
    EXPECT_LT(firedAt - timer->fireDate(), 0.5); // generous: this is not a benchmark
    EXPECT_FALSE(timer->isValid());
    EXPECT_FALSE(loopHolds(timer));
}

TEST(QtRunLoopTest, PastAndZeroIntervalsFireAtTheFirstOpportunityInOrder) {
    QtRunLoop loop;
    std::vector<int> order;
    loop.scheduleTimer(0.0, false, [&](Timer&) { order.push_back(1); });
    loop.scheduleTimer(-1e9, false, [&](Timer&) { order.push_back(2); });
    loop.scheduleTimer(-HUGE_VAL, false, [&](Timer&) { order.push_back(3); });
    ASSERT_TRUE(waitUntil([&] { return order.size() == 3; }, 2s));
}

TEST(QtRunLoopTest, InvalidatedAndEndlessTimersNeverFireButStayReadable) {
    QtRunLoop loop;
    int calls = 0;
    auto cancelled = loop.scheduleTimer(0.05, false, [&](Timer&) { ++calls; });
    cancelled->invalidate();
    cancelled->invalidate();
    auto endless = loop.scheduleTimer(HUGE_VAL, false, [&](Timer&) { ++calls; });
    auto notANumber = loop.scheduleTimer(NAN, false, [&](Timer&) { ++calls; });
    auto farAway = loop.scheduleTimer(1e30 * 86400, false, [&](Timer&) { ++calls; });
    auto beyond32Bits = loop.scheduleTimer(30.0 * 86400, false, [&](Timer&) { ++calls; });
    serveEventsFor(300ms);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(cancelled->isValid());
    EXPECT_TRUE(endless->isValid());
    EXPECT_EQ(endless->fireDate(), HUGE_VAL);
    EXPECT_EQ(notANumber->fireDate(), HUGE_VAL);
    EXPECT_TRUE(farAway->isValid());
    EXPECT_NEAR(beyond32Bits->fireDate() - loop.now(), 30.0 * 86400, 1.0);
    EXPECT_FALSE(loopHolds(cancelled));
    for (std::shared_ptr<Timer>* pending : {&endless, &notANumber, &farAway, &beyond32Bits})
        EXPECT_TRUE(loopHolds(*pending));
}

TEST(QtRunLoopTest, RepeatingTimerTicksUntilInvalidatedFromItsOwnAction) {
    QtRunLoop loop;
    int ticks = 0;
    auto ticker = loop.scheduleTimer(0.05, true, [&](Timer& t) {
        if (++ticks == 3)
            t.invalidate();
    });
    ASSERT_TRUE(waitUntil([&] { return ticks >= 3; }, 5s));
    serveEventsFor(200ms);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(ticker->isValid());
    EXPECT_FALSE(loopHolds(ticker));
}

TEST(QtRunLoopTest, ActionsMayScheduleAndCancelOtherTimers) {
    QtRunLoop loop;
    int second = 0;
    std::shared_ptr<Timer> victim =
        loop.scheduleTimer(0.3, false, [&](Timer&) { ADD_FAILURE() << "cancelled"; });
    loop.scheduleTimer(0.01, false, [&](Timer&) {
        victim->invalidate();
        loop.scheduleTimer(0.01, false, [&](Timer&) { ++second; });
    });
    ASSERT_TRUE(waitUntil([&] { return second == 1; }, 2s));
    serveEventsFor(400ms);
}

TEST(QtRunLoopTest, ATimerDroppedByEveryoneIsStillHeldByTheLoopUntilItFires) {
    QtRunLoop loop;
    bool fired = false;
    loop.scheduleTimer(0.02, false, [&](Timer&) { fired = true; });
    EXPECT_TRUE(waitUntil([&] { return fired; }, 2s));
}

} // namespace
} // namespace eggtimer::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
