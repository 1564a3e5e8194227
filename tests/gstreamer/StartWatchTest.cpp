// A play is reported once, from the audio sink's time, also when the sound
// server's time fails: libpulse has been seen to answer a time centuries
// ahead while it resumes a stream, and its time to stand still. A real audio
// clock stands in for the sink's, its time scripted by the test.

#include "platform/gstreamer/GstStartWatch.h"
#include "platform/gstreamer/GstSupport.h"

#include <gst/audio/gstaudioclock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;
using gst::StartWatch;

constexpr auto kLimit = 300ms;

class StartWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gst::start());
        pipeline = gst_pipeline_new(nullptr);
        clock = gst_audio_clock_new("sink", &StartWatchTest::sinkTime, this, nullptr);
        gst_element_set_clock(pipeline, clock);
    }
    void TearDown() override {
        watch.reset(); // before the clock it reads
        gst_object_unref(pipeline);
        gst_object_unref(clock);
    }
    static GstClockTime sinkTime(GstClock*, gpointer self) {
        return static_cast<StartWatchTest*>(self)->time.load();
    }

    // Reports seen so far, waiting up to `within` for at least `count`.
    std::vector<StartWatch::Start> reports(std::size_t count, std::chrono::milliseconds within) {
        std::unique_lock lock(mutex);
        reported.wait_for(lock, within, [&] { return starts.size() >= count; });
        return starts;
    }

    GstElement* pipeline = nullptr;
    GstClock* clock = nullptr;
    std::atomic<GstClockTime> time{5 * GST_SECOND};
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

// Only the latest watch reports: one cancelled or replaced reports nothing.
TEST_F(StartWatchTest, ATimeThatRunsIsReportedOnceFromWhenItBeganByTheLatestWatch) {
    watch->watch(pipeline, 1);
    watch->cancel();
    watch->watch(pipeline, 2);
    watch->watch(pipeline, 7);
    EXPECT_TRUE(reports(1, 50ms).empty()) << "reported while the time stood still";
    const auto ran = StartWatch::Clock::now();
    time += 5 * GST_MSECOND;
    const auto seen = reports(2, kLimit * 2);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].token, 7u);
    EXPECT_FALSE(seen[0].clockFailed);
    // It had run 5 ms when it was read: it began that long before.
    EXPECT_LT(seen[0].began, ran + 5ms);
    EXPECT_GT(seen[0].began, ran - 10ms);
}

TEST_F(StartWatchTest, AReadingCenturiesAheadIsPassedOverAndTheTimeStillTells) {
    // Negative as a signed time, then back, again, and far ahead, yet positive.
    constexpr GstClockTime kCenturies = G_MAXUINT64 - 418 * GST_SECOND;
    time = kCenturies;
    watch->watch(pipeline, 3);
    for (GstClockTime reading :
         std::initializer_list<GstClockTime>{kCenturies, 5 * GST_SECOND, kCenturies, 9 * GST_SECOND}) {
        time = reading;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(reports(1, 0ms).empty()) << "a failed reading was taken for the start";
    time = 5 * GST_SECOND + 4 * GST_MSECOND;
    const auto seen = reports(2, kLimit * 2);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].clockFailed);
    // Read through the pipeline's clock, which never runs backwards, the
    // first of them would have stayed for good.
    EXPECT_LT(gst_clock_get_time(clock), G_MAXINT64);
}

TEST_F(StartWatchTest, ATimeThatNeverRunsIsAFailedClockAtTheLimitReportedAsBegunAtTheWatch) {
    const auto watched = StartWatch::Clock::now();
    watch->watch(pipeline, 4);
    EXPECT_TRUE(reports(1, kLimit / 2).empty()) << "reported before the limit";
    const auto seen = reports(2, kLimit * 3);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].clockFailed);
    EXPECT_LT(seen[0].began - watched, 20ms);
}

} // namespace
} // namespace eggtimer::test
