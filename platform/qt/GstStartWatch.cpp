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

// A sink's clock counts up from zero when the sink starts: a reading that is
// negative as a signed time is a failed clock's.
bool isPlausible(GstClockTime reading) {
    return GST_CLOCK_TIME_IS_VALID(reading) && reading <= static_cast<GstClockTime>(G_MAXINT64);
}

void drop(GstClockID id) {
    if (id) {
        gst_clock_id_unschedule(id);
        gst_clock_id_unref(id);
    }
}

} // namespace

struct StartWatch::Shared {
    std::mutex mutex;
    std::function<void(const Start&)> report;
    // The waits in force, one reference held to each: on the pipeline's
    // clock running, and on the system clock for the limit. A wait that is
    // neither reports nothing; the first of the two to report ends both.
    GstClockID running = nullptr;
    GstClockID deadline = nullptr;
    bool closed = false;

    // Reports `start` if `id` is a wait in force, and ends both waits.
    void finish(GstClockID id, const Start& start) {
        GstClockID other = nullptr;
        {
            const std::lock_guard lock(mutex);
            if (closed || id == nullptr || (id != running && id != deadline))
                return;
            const bool byRunning = id == running;
            other = std::exchange(byRunning ? deadline : running, nullptr);
            (byRunning ? running : deadline) = nullptr;
            gst_clock_id_unref(id);
            report(start);
        }
        drop(other);
    }
};

struct StartWatch::Wait {
    std::shared_ptr<Shared> shared;
    unsigned token;
    // Where the clock stood when the pipeline went to PLAYING, and when.
    GstClockTime stood;
    Clock::time_point watched;
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
    const GstClockTime now = clock ? gst_clock_get_time(clock) : GST_CLOCK_TIME_NONE;
    if (!clock || !isPlausible(now)) {
        // Nothing syncs to a clock, so it plays now; or the clock has failed
        // and will not tell.
        if (clock)
            gst_object_unref(clock);
        const std::lock_guard lock(shared->mutex);
        if (!shared->closed)
            shared->report(Start{token, watched, clock != nullptr});
        return;
    }
    GstClockID running = gst_clock_new_single_shot_id(clock, now + kRunning);
    gst_object_unref(clock);
    GstClock* system = gst_system_clock_obtain();
    const auto limitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(limit).count();
    GstClockID deadline =
        gst_clock_new_single_shot_id(system, gst_clock_get_time(system) + static_cast<GstClockTime>(limitNs));
    gst_object_unref(system);

    GstClockID replacedRunning = nullptr, replacedDeadline = nullptr;
    {
        const std::lock_guard lock(shared->mutex);
        replacedRunning = std::exchange(shared->running, gst_clock_id_ref(running));
        replacedDeadline = std::exchange(shared->deadline, gst_clock_id_ref(deadline));
    }
    // A watch begun meanwhile on another thread.
    drop(replacedRunning);
    drop(replacedDeadline);
    // Each entry owns its `wait` and frees it when it is freed, reported or not.
    const auto free = [](gpointer data) { delete static_cast<Wait*>(data); };
    gst_clock_id_wait_async(running, &StartWatch::onClockReached, new Wait{shared, token, now, watched}, free);
    gst_clock_id_wait_async(deadline, &StartWatch::onLimitReached, new Wait{shared, token, now, watched}, free);
    gst_clock_id_unref(running);
    gst_clock_id_unref(deadline);
}

void StartWatch::cancel() {
    GstClockID running = nullptr, deadline = nullptr;
    {
        const std::lock_guard lock(shared->mutex);
        running = std::exchange(shared->running, nullptr);
        deadline = std::exchange(shared->deadline, nullptr);
    }
    // Outside the lock: a report waiting for it must not hold up the clock.
    drop(running);
    drop(deadline);
}

gboolean StartWatch::onClockReached(GstClock* clock, GstClockTime, GstClockID id, gpointer data) {
    const auto* wait = static_cast<Wait*>(data);
    // Read together, before anything else: the clock has run `ran` by `now`.
    const GstClockTime reached = gst_clock_get_time(clock);
    const Clock::time_point now = Clock::now();
    if (!isPlausible(reached)) {
        // It failed while it was waited on, as the server resumed the stream.
        wait->shared->finish(id, Start{wait->token, now, true});
        return TRUE;
    }
    const GstClockTimeDiff ran = GST_CLOCK_DIFF(wait->stood, reached);
    wait->shared->finish(id, Start{wait->token, now - std::chrono::nanoseconds(std::max<GstClockTimeDiff>(ran, 0)),
                                   false});
    return TRUE;
}

gboolean StartWatch::onLimitReached(GstClock*, GstClockTime, GstClockID id, gpointer data) {
    const auto* wait = static_cast<Wait*>(data);
    wait->shared->finish(id, Start{wait->token, wait->watched, true});
    return TRUE;
}

} // namespace eggtimer::gst
