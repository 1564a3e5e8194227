#include "platform/gstreamer/GstStartWatch.h"

#include <gst/audio/gstaudiobasesink.h>
#include <gst/audio/gstaudioclock.h>

#include <mutex>
#include <optional>
#include <utility>

namespace eggtimer::gst {

namespace {

// How far the sink's time must have run past where it stood to say that the
// server plays the stream: while it waits, the time stands still or creeps.
constexpr GstClockTimeDiff kRunning = 3 * GST_MSECOND;
// How often the watch looks while a start is awaited.
constexpr GstClockTime kPoll = GST_MSECOND;
// How often the count of played segments must have moved before the sink's
// time is read: the first move may come with the very news that resumes
// libpulse's reckoning, the second comes after it.
constexpr int kMovesBeforeReading = 2;
// The pipeline's base time is taken before the sink goes to PLAYING, and the
// watch begins once the whole pipeline has, later on a busy machine. A
// reading that ran further than this past the time since the watch began is a
// failure's, not the stream's.
constexpr GstClockTimeDiff kSlack = 200 * GST_MSECOND;

// Negative as a signed time: a failure's.
bool isPlausible(GstClockTime reading) {
    return GST_CLOCK_TIME_IS_VALID(reading) && reading <= static_cast<GstClockTime>(G_MAXINT64);
}

// The ring buffer of the audio sink in `pipeline` whose clock `clock` is, one
// reference; null when none is.
GstAudioRingBuffer* ringBufferProviding(GstElement* pipeline, GstClock* clock) {
    if (!GST_IS_BIN(pipeline))
        return nullptr;
    GstAudioRingBuffer* found = nullptr;
    GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    bool done = false;
    while (!done && !found) {
        switch (gst_iterator_next(elements, &item)) {
        case GST_ITERATOR_OK: {
            auto* element = GST_ELEMENT(g_value_get_object(&item));
            if (GST_IS_AUDIO_BASE_SINK(element)) {
                GstAudioBaseSink* sink = GST_AUDIO_BASE_SINK(element);
                GST_OBJECT_LOCK(sink);
                if (sink->provided_clock == clock && sink->ringbuffer)
                    found = GST_AUDIO_RING_BUFFER(gst_object_ref(sink->ringbuffer));
                GST_OBJECT_UNLOCK(sink);
            }
            g_value_reset(&item);
            break;
        }
        case GST_ITERATOR_RESYNC:
            gst_iterator_resync(elements);
            break;
        default:
            done = true;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    return found;
}

// The pipeline's clock when it went to PLAYING: where its sink's time stands
// until the first sample is played.
GstClockTime timeAtPlaying(GstElement* pipeline) {
    const GstClockTime base = gst_element_get_base_time(pipeline);
    const GstClockTime from = gst_element_get_start_time(pipeline);
    return GST_CLOCK_TIME_IS_VALID(from) ? base + from : base;
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
    // The sink's, one reference; without it the time is read at once.
    GstAudioRingBuffer* played;
    GstClockTime stood;
    Clock::time_point watched;
    // Touched only by the poll, on the system clock's thread.
    gint segmentsSeen = 0;
    int moves = 0;

    ~Wait() {
        gst_object_unref(sinkClock);
        if (played)
            gst_object_unref(played);
    }
    // Whether the sink's time may be read now.
    bool serverHasPlayed() {
        if (!played)
            return true;
        const gint segments = g_atomic_int_get(&played->segdone);
        if (segments != segmentsSeen) {
            segmentsSeen = segments;
            ++moves;
        }
        return moves >= kMovesBeforeReading;
    }
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
    GstAudioRingBuffer* played = ringBufferProviding(pipeline, clock);
    const gint segments = played ? g_atomic_int_get(&played->segdone) : 0;
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
    gst_clock_id_wait_async(poll, &StartWatch::onPoll,
                            new Wait{shared, token, limit, GST_AUDIO_CLOCK(clock), played,
                                     timeAtPlaying(pipeline), watched, segments},
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
    const Clock::time_point now = Clock::now();
    std::optional<Start> start;
    if (now - wait->watched >= wait->limit) {
        start = Start{wait->token, wait->watched, true};
    } else if (wait->serverHasPlayed()) {
        // The sink's own time, past its clock's guard against running
        // backwards, which would hide a reading that fell back.
        const GstClockTime reading = gst_audio_clock_get_time(wait->sinkClock);
        const GstClockTimeDiff ran = GST_CLOCK_DIFF(wait->stood, reading);
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::nanoseconds>(now - wait->watched).count();
        if (isPlausible(reading) && ran >= kRunning && ran <= elapsed + kSlack)
            start = Start{wait->token, now - std::chrono::nanoseconds(ran), false};
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
