#include "GstStartWatch.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace eggtimer::gst {

namespace {

// How far the clock must have run past where it stood at PLAYING. Waiting on
// the server it stands still (it crept less than a millisecond in every run
// measured); 3 ms more say that it plays, and make the report 3 ms late.
constexpr GstClockTime kRunning = 3 * GST_MSECOND;

} // namespace

struct StartWatch::Shared {
    std::mutex mutex;
    std::function<void(unsigned, Clock::time_point)> report;
    // The wait in force, one reference held; a wait that is no longer this
    // one reports nothing.
    GstClockID pending = nullptr;
    bool closed = false;
};

struct StartWatch::Wait {
    std::shared_ptr<Shared> shared;
    unsigned token;
    // Where the clock stood when the pipeline went to PLAYING.
    GstClockTime stood;
};

StartWatch::StartWatch(std::function<void(unsigned token, Clock::time_point began)> report)
    : shared(std::make_shared<Shared>()) {
    shared->report = std::move(report);
}

StartWatch::~StartWatch() {
    cancel();
    const std::lock_guard lock(shared->mutex);
    shared->closed = true;
}

void StartWatch::watch(GstElement* pipeline, unsigned token) {
    cancel();
    GstClock* clock = gst_element_get_clock(pipeline);
    const GstClockTime now = clock ? gst_clock_get_time(clock) : GST_CLOCK_TIME_NONE;
    if (!GST_CLOCK_TIME_IS_VALID(now)) {
        // Nothing to wait on: nothing syncs to a clock, so it plays now.
        if (clock)
            gst_object_unref(clock);
        const std::lock_guard lock(shared->mutex);
        if (!shared->closed)
            shared->report(token, Clock::now());
        return;
    }
    GstClockID id = gst_clock_new_single_shot_id(clock, now + kRunning);
    gst_object_unref(clock);
    GstClockID replaced = nullptr;
    {
        const std::lock_guard lock(shared->mutex);
        replaced = std::exchange(shared->pending, gst_clock_id_ref(id));
    }
    if (replaced) { // a watch begun meanwhile on another thread
        gst_clock_id_unschedule(replaced);
        gst_clock_id_unref(replaced);
    }
    // The entry owns `wait` and frees it when it is freed, reported or not.
    gst_clock_id_wait_async(id, &StartWatch::onClockReached, new Wait{shared, token, now},
                            [](gpointer data) { delete static_cast<Wait*>(data); });
    gst_clock_id_unref(id);
}

void StartWatch::cancel() {
    GstClockID id = nullptr;
    {
        const std::lock_guard lock(shared->mutex);
        id = std::exchange(shared->pending, nullptr);
    }
    // Outside the lock: a report waiting for it must not hold up the clock.
    if (id) {
        gst_clock_id_unschedule(id);
        gst_clock_id_unref(id);
    }
}

gboolean StartWatch::onClockReached(GstClock* clock, GstClockTime, GstClockID id, gpointer data) {
    const auto* wait = static_cast<Wait*>(data);
    // Read together, before anything else: the clock has run `ran` by `now`.
    const GstClockTime reached = gst_clock_get_time(clock);
    const Clock::time_point now = Clock::now();
    const GstClockTimeDiff ran = GST_CLOCK_TIME_IS_VALID(reached) ? GST_CLOCK_DIFF(wait->stood, reached) : 0;
    Shared& shared = *wait->shared;
    const std::lock_guard lock(shared.mutex);
    if (shared.closed || shared.pending != id)
        return TRUE;
    shared.pending = nullptr;
    gst_clock_id_unref(id);
    shared.report(wait->token, now - std::chrono::nanoseconds(std::max<GstClockTimeDiff>(ran, 0)));
    return TRUE;
}

} // namespace eggtimer::gst
