// A play is reported once, from the audio sink's time, read only once the
// sink has played two segments (libpulse answers nonsense for a resumed
// stream's time until then, and keeps it). A real audio sink stands in, its
// clock replaced as pulsesink replaces its own, its time and its count of
// played segments scripted by the test.

#include "platform/gstreamer/GstStartWatch.h"
#include "platform/mediafiles/GstSupport.h"

#include <gst/audio/gstaudioclock.h>
#include <gst/audio/gstaudiosink.h>
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
constexpr GstClockTime kStood = 5 * GST_SECOND;

// A type of its own, adding nothing to the audio sink's instance or class.
using ScriptedSink = GstAudioSink;
using ScriptedSinkClass = GstAudioSinkClass;
G_DEFINE_TYPE(ScriptedSink, scripted_sink, GST_TYPE_AUDIO_SINK)
void scripted_sink_class_init(ScriptedSinkClass* sinkClass) {
    static GstStaticPadTemplate pads =
        GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw"));
    gst_element_class_add_static_pad_template(GST_ELEMENT_CLASS(sinkClass), &pads);
    auto* audio = GST_AUDIO_SINK_CLASS(sinkClass);
    audio->open = [](GstAudioSink*) -> gboolean { return TRUE; };
    audio->close = [](GstAudioSink*) -> gboolean { return TRUE; };
}
void scripted_sink_init(ScriptedSink*) {}

class StartWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gst::start());
        pipeline = gst_pipeline_new(nullptr);
        sink = GST_AUDIO_BASE_SINK(g_object_new(scripted_sink_get_type(), nullptr));
        gst_object_unref(sink->provided_clock);
        sink->provided_clock = gst_audio_clock_new("sink", &StartWatchTest::sinkTime, this, nullptr);
        gst_bin_add(GST_BIN(pipeline), GST_ELEMENT(sink));
        // READY makes its ring buffer; the pipeline is as at PLAYING, its
        // sink's time standing where the pipeline's clock was then.
        ASSERT_EQ(gst_element_set_state(GST_ELEMENT(sink), GST_STATE_READY), GST_STATE_CHANGE_SUCCESS);
        gst_element_set_clock(pipeline, sink->provided_clock);
        gst_element_set_base_time(pipeline, kStood);
    }
    void TearDown() override {
        watch.reset(); // before the clock it reads
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
    static GstClockTime sinkTime(GstClock*, gpointer self) {
        auto* test = static_cast<StartWatchTest*>(self);
        ++test->reads;
        return test->time.load();
    }
    // The server's news that it has played one more segment; news that
    // comes between two looks of the watch counts once.
    void playSegment() {
        g_atomic_int_inc(&sink->ringbuffer->segdone);
        std::this_thread::sleep_for(10ms);
    }

    // Reports seen so far, waiting up to `within` for at least `count`.
    std::vector<StartWatch::Start> reports(std::size_t count, std::chrono::milliseconds within) {
        std::unique_lock lock(mutex);
        reported.wait_for(lock, within, [&] { return starts.size() >= count; });
        return starts;
    }

    GstElement* pipeline = nullptr;
    GstAudioBaseSink* sink = nullptr;
    std::atomic<GstClockTime> time{kStood};
    std::atomic<int> reads{0};
    std::mutex mutex;
    std::condition_variable reported;
    std::vector<StartWatch::Start> starts;
    std::vector<StartWatch::Clock::time_point> arrivals; // when each report came
    std::optional<StartWatch> watch{std::in_place,
                                    [this](const StartWatch::Start& start) {
                                        const std::lock_guard lock(mutex);
                                        starts.push_back(start);
                                        arrivals.push_back(StartWatch::Clock::now());
                                        reported.notify_all();
                                    },
                                    kLimit};
};

// Only the latest watch reports: one cancelled or replaced reports nothing.
// The sink's time is not read before it has played two segments.
TEST_F(StartWatchTest, ATimeThatRunsIsReportedOnceFromWhenItBeganByTheLatestWatch) {
    watch->watch(pipeline, 1);
    watch->cancel();
    watch->watch(pipeline, 2);
    watch->watch(pipeline, 7);
    playSegment();
    EXPECT_TRUE(reports(1, 50ms).empty());
    EXPECT_EQ(reads.load(), 0) << "read before the server's news of its playing could come";
    playSegment();
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

// A time that stands still, or that libpulse has stuck centuries ahead, or a
// server that never plays the stream: a failed clock at the limit, reported
// as begun when the watch began.
struct Failure {
    const char* name;
    GstClockTime time;
    bool played;
    friend void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }
};

class FailedStartWatchTest : public StartWatchTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailedStartWatchTest, IsReportedAtTheLimitAsBegunAtTheWatch) {
    time = GetParam().time;
    const auto watched = StartWatch::Clock::now();
    watch->watch(pipeline, 4);
    if (GetParam().played) {
        playSegment();
        playSegment();
    }
    const auto seen = reports(2, kLimit * 3);
    ASSERT_EQ(seen.size(), 1u);
    {
        const std::lock_guard lock(mutex);
        EXPECT_GE(arrivals[0] - watched, kLimit) << "reported before the limit";
    }
    EXPECT_TRUE(seen[0].clockFailed);
    EXPECT_LT(seen[0].began - watched, 20ms);
}

INSTANTIATE_TEST_SUITE_P(Clocks, FailedStartWatchTest,
                         ::testing::Values(Failure{"StandsStill", kStood, true},
                                           // What libpulse answered, times 1000 as pulsesink
                                           // turns microseconds into nanoseconds.
                                           Failure{"CenturiesAhead", 11910378098292719616u, true},
                                           Failure{"NeverPlayed", kStood + GST_SECOND, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
