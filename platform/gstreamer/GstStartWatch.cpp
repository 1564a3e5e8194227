#include "platform/gstreamer/GstStartWatch.h"

#include <gst/audio/gstaudioclock.h>

#include <mutex>
#include <optional>
#include <utility>

namespace eggtimer::gst {

namespace {

// How far the sink's time must have run past where it first stood. Waiting on
// the server it stands still (it crept less than a millisecond in every run
// measured); 3 ms more say that it plays, and make the report 3 ms late.
constexpr GstClockTimeDiff kRunning = 3 * GST_MSECOND;
// How often the sink's time is read while a start is awaited.
constexpr GstClockTime kPoll = GST_MSECOND;
// A reading that ran further than this past the time that went by since the
// first one is a failure's, not the stream's.
constexpr GstClockTimeDiff kSlack = 5 * GST_MSECOND;

// Negative as a signed time: a failure's.
bool isPlausible(GstClockTime reading) {
    return GST_CLOCK_TIME_IS_VALID(reading) && reading <= static_cast<GstClockTime>(G_MAXINT64);
}

} // namespace

struct StartWatch::Shared {
    std::mutex mutex;
    std::function<void(const Start&)> report;
    // The poll in force, one reference held; a poll that is no longer this
    // one reports nothing.
    GstClockID polling = nullptr;
    bool closed = false;
};

struct StartWatch::Wait {
    std::shared_ptr<Shared> shared;
    unsigned token;
    Clock::duration limit;
    GstAudioClock* sinkClock; // one reference
    Clock::time_point watched;
    // The first plausible reading and when it was read; touched only by the
    // poll, on the system clock's thread.
    GstClockTime stood = GST_CLOCK_TIME_NONE;
    Clock::time_point stoodAt;

    ~Wait() { gst_object_unref(sinkClock); }
};

StartWatch::StartWatch(std::function<void(const Start&)> report, Clock::duration limit)
    : shared(std::make_shared<Shared>())
    , limit(limit) {
    shared->report = std::move(report);
}

StartWatch::~StartWatch() {
    cancel();
    const std::lock_guard lock(shared->mutex);
    shared->closed = true;
}

void StartWatch::watch(GstElement* pipeline, unsigned token) {
    cancel();
    const Clock::time_point watched = Clock::now();
    GstClock* clock = gst_element_get_clock(pipeline);
    if (!clock || !GST_IS_AUDIO_CLOCK(clock)) {
        // Without an audio sink the clock is the system's: it plays now.
        if (clock)
            gst_object_unref(clock);
        const std::lock_guard lock(shared->mutex);
        if (!shared->closed)
            shared->report(Start{token, watched, false});
        return;
    }
    GstClock* system = gst_system_clock_obtain();
    GstClockID poll = gst_clock_new_periodic_id(system, gst_clock_get_time(system), kPoll);
    gst_object_unref(system);
    GstClockID replaced = nullptr;
    {
        const std::lock_guard lock(shared->mutex);
        replaced = std::exchange(shared->polling, gst_clock_id_ref(poll));
    }
    if (replaced) { // a watch begun meanwhile on another thread
        gst_clock_id_unschedule(replaced);
        gst_clock_id_unref(replaced);
    }
    // The entry owns `wait` and frees it when it is freed, reported or not.
    gst_clock_id_wait_async(
        poll, &StartWatch::onPoll,
        new Wait{shared, token, limit, GST_AUDIO_CLOCK(clock), watched, GST_CLOCK_TIME_NONE, {}},
        [](gpointer data) { delete static_cast<Wait*>(data); });
    gst_clock_id_unref(poll);
}

void StartWatch::cancel() {
    GstClockID poll = nullptr;
    {
        const std::lock_guard lock(shared->mutex);
        poll = std::exchange(shared->polling, nullptr);
    }
    // Outside the lock: a report waiting for it must not hold up the clock.
    if (poll) {
        gst_clock_id_unschedule(poll);
        gst_clock_id_unref(poll);
    }
}

gboolean StartWatch::onPoll(GstClock*, GstClockTime, GstClockID id, gpointer data) {
    auto* wait = static_cast<Wait*>(data);
    // The sink's own time, read without the clock's guard against running
    // backwards, which would keep a failed reading for good.
    const GstClockTime reading = gst_audio_clock_get_time(wait->sinkClock);
    const Clock::time_point now = Clock::now();
    std::optional<Start> start;
    if (now - wait->watched >= wait->limit) {
        start = Start{wait->token, wait->watched, true};
    } else if (isPlausible(reading)) {
        if (!GST_CLOCK_TIME_IS_VALID(wait->stood)) {
            wait->stood = reading;
            wait->stoodAt = now;
            return TRUE;
        }
        const GstClockTimeDiff ran = GST_CLOCK_DIFF(wait->stood, reading);
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::nanoseconds>(now - wait->stoodAt).count();
        if (ran < 0) { // the stream's time began anew: count from there
            wait->stood = reading;
            wait->stoodAt = now;
        } else if (ran >= kRunning && ran <= elapsed + kSlack) {
            start = Start{wait->token, now - std::chrono::nanoseconds(ran), false};
        }
    }
    if (!start)
        return TRUE;
    Shared& shared = *wait->shared;
    {
        const std::lock_guard lock(shared.mutex);
        if (shared.closed || shared.polling != id)
            return TRUE;
        shared.polling = nullptr;
        shared.report(*start);
    }
    gst_clock_id_unschedule(id);
    gst_clock_id_unref(id); // the reference `polling` held
    return TRUE;
}

} // namespace eggtimer::gst
