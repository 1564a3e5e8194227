#pragma once
// Tells when a pipeline that was set playing is really heard.
//
// Why the sink's time: the state change to PLAYING, and the first buffer the
// audio sink takes after it, both come at once, while the sound server may
// begin playing the stream a quarter of a second later (a stream that waited,
// paused, since it was made starts late by about as long as it waited). The
// audio sink's time is the sound server's playing position: it stands still
// until the first sample is played and then runs. Measured against a
// recording of the server's output, the moment it has run a few milliseconds
// matches the first audible sample to about 3 ms, for a slow first start and
// a quick later one alike. Without an audio sink the clock is the system's,
// which runs at once. The sink's time is read every millisecond from
// GStreamer's system clock thread while a start is awaited.
//
// The report comes a little after that moment (the main loop must be woken,
// which on a busy machine takes milliseconds, now and then tens of them), so
// it tells when the time began to run: how far it has run by the report,
// taken from the time of the report.
//
// Read while the server resumes a stream, libpulse now and then answers a
// time centuries ahead. Through the pipeline's clock, which never runs
// backwards, such a reading would stay for the rest of the pipeline's life;
// the sink's own time is read instead, and a reading that far off is passed
// over. A time that has not run by the limit is reported as a failed clock,
// so that a play is always reported and its owner can build a new pipeline
// before the next one.

#include <gst/gst.h>

#include <chrono>
#include <functional>
#include <memory>

namespace eggtimer::gst {

class StartWatch {
public:
    using Clock = std::chrono::steady_clock;
    struct Start {
        unsigned token;
        // When the first sample was heard; for a failed clock, when the watch
        // began, the best guess left.
        Clock::time_point began;
        bool clockFailed;
    };

    // `report` is called once per watch, on GStreamer's clock thread or in
    // watch(), under a lock that cancel() and the destructor take as well:
    // once they return, no report is running or will run for an earlier
    // watch. A sink whose time has not run `limit` after watch() has failed.
    StartWatch(std::function<void(const Start&)> report, Clock::duration limit);
    ~StartWatch();
    StartWatch(const StartWatch&) = delete;
    StartWatch& operator=(const StartWatch&) = delete;

    // Watches `pipeline`, which has just gone to PLAYING, until its audio
    // sink's time has run; a pipeline without one is reported at once. Replaces an
    // earlier watch. Safe from any thread, the bus's sync handler included.
    void watch(GstElement* pipeline, unsigned token);
    // Forgets the present watch, if any. Safe from any thread.
    void cancel();

private:
    struct Shared;
    struct Wait;
    static gboolean onPoll(GstClock* clock, GstClockTime time, GstClockID id, gpointer data);
    std::shared_ptr<Shared> shared;
    Clock::duration limit;
};

} // namespace eggtimer::gst
