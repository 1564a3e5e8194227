// A pipeline's clock that fails must not leave a play unreported: the sound
// server's clock has been seen to answer a time centuries ahead when read as
// it resumes a stream, and then to stand there. GStreamer's test clock stands
// in for the sink's clock, read and run when the test says.

#include "platform/qt/GstStartWatch.h"
#include "platform/qt/GstSupport.h"

#include <gst/check/gsttestclock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;
using gst::StartWatch;

constexpr auto kLimit = 100ms;

class StartWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gst::start());
        pipeline = gst_pipeline_new(nullptr);
        clock = gst_test_clock_new_with_start_time(5 * GST_SECOND);
        gst_element_set_clock(pipeline, clock);
    }
    void TearDown() override {
        watch.reset(); // before the clock and pipeline it may wait on
        gst_object_unref(pipeline);
        gst_object_unref(clock);
    }

    // Reports seen so far, waiting up to `within` for at least `count`.
    std::vector<StartWatch::Start> reports(std::size_t count, std::chrono::milliseconds within) {
        std::unique_lock lock(mutex);
        reported.wait_for(lock, within, [&] { return starts.size() >= count; });
        return starts;
    }

    GstElement* pipeline = nullptr;
    GstClock* clock = nullptr;
    std::mutex mutex;
    std::condition_variable reported;
    std::vector<StartWatch::Start> starts;
    std::optional<StartWatch> watch{std::in_place,
                                    [this](const StartWatch::Start& start) {
                                        const std::lock_guard lock(mutex);
                                        starts.push_back(start);
                                        reported.notify_all();
                                    },
                                    kLimit};
};

TEST_F(StartWatchTest, AClockThatRunsReportsWhenItBeganOnce) {
    watch->watch(pipeline, 7);
    ASSERT_EQ(gst_test_clock_peek_id_count(GST_TEST_CLOCK(clock)), 1u);
    const auto advanced = StartWatch::Clock::now();
    gst_test_clock_set_time(GST_TEST_CLOCK(clock), 5 * GST_SECOND + 40 * GST_MSECOND);
    ASSERT_NE(gst_test_clock_crank(GST_TEST_CLOCK(clock)), FALSE);

    // Past the limit too: the limit's wait ended with the report.
    const auto seen = reports(2, kLimit * 3);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].token, 7u);
    EXPECT_FALSE(seen[0].clockFailed);
    // The clock had run 40 ms when it was read: it began that long before.
    EXPECT_LT(seen[0].began, advanced - 30ms);
}

TEST_F(StartWatchTest, AReadingNegativeAsASignedTimeIsAFailedClockReportedAtOnce) {
    gst_test_clock_set_time(GST_TEST_CLOCK(clock), G_MAXUINT64 - 418 * GST_SECOND);
    const auto watched = StartWatch::Clock::now();
    watch->watch(pipeline, 3);
    EXPECT_EQ(reports(1, 0ms).size(), 1u) << "not reported at once";
    const auto seen = reports(2, kLimit * 3);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].token, 3u);
    EXPECT_TRUE(seen[0].clockFailed);
    EXPECT_GE(seen[0].began, watched);
}

TEST_F(StartWatchTest, AClockThatNeverRunsIsFailedAtTheLimitAndReportedAsBegunAtTheWatch) {
    const auto watched = StartWatch::Clock::now();
    watch->watch(pipeline, 4);
    EXPECT_TRUE(reports(1, kLimit / 2).empty()) << "reported before the limit";
    const auto seen = reports(2, kLimit * 5);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].clockFailed);
    EXPECT_LT(seen[0].began - watched, 20ms);
}

TEST_F(StartWatchTest, ACancelledOrReplacedWatchReportsNothing) {
    watch->watch(pipeline, 1);
    watch->cancel();
    watch->watch(pipeline, 2);
    watch->watch(pipeline, 3);
    const auto seen = reports(2, kLimit * 3);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].token, 3u);
}

} // namespace
} // namespace eggtimer::testing
