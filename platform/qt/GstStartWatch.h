#pragma once
// Tells when a pipeline that was set playing is really heard.
//
// Why the clock: the state change to PLAYING, and the first buffer the audio
// sink takes after it, both come at once, while the sound server may begin
// playing the stream a quarter of a second later (a stream that waited,
// paused, since it was made starts late by about as long as it waited). The
// pipeline's clock is the audio sink's, which reads the sound server's
// playing position: it stands still until the first sample is played and
// then runs. Measured against a recording of the server's output, the moment
// it has run a few milliseconds matches the first audible sample to about
// 3 ms, for a slow first start and a quick later one alike. Without an audio
// sink the clock is the system's, which runs at once.
//
// The report comes a little after that moment (the clock's thread and then
// the main loop must be woken, which on a busy machine takes milliseconds,
// now and then tens of them), so it tells when the clock began to run: how
// far the clock has run by the report, taken from the time of the report.
//
// The sound server's clock can fail: read while the server resumes a stream,
// libpulse now and then answers a time centuries ahead, and the sink's clock,
// which never runs backwards, stands there for the rest of the pipeline's
// life. A reading that far off, or a clock that has not run by the time
// limit, is reported at once as a failed clock, so that a play is always
// reported and its owner can build a new pipeline before the next one.

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
        // When the first sample was heard. For a failed clock the best guess:
        // when the failure showed, or when the watch began if it never ran.
        Clock::time_point began;
        bool clockFailed;
    };

    // `report` is called once per watch, on GStreamer's clock thread or in
    // watch(), under a lock that cancel() and the destructor take as well:
    // once they return, no report is running or will run for an earlier
    // watch. A clock that has not run `limit` after watch() is failed.
    StartWatch(std::function<void(const Start&)> report, Clock::duration limit);
    ~StartWatch();
    StartWatch(const StartWatch&) = delete;
    StartWatch& operator=(const StartWatch&) = delete;

    // Watches `pipeline`, which has just gone to PLAYING, until its clock has
    // run; a pipeline without a clock is reported at once. Replaces an
    // earlier watch. Safe from any thread, the bus's sync handler included.
    void watch(GstElement* pipeline, unsigned token);
    // Forgets the present watch, if any. Safe from any thread.
    void cancel();

private:
    struct Shared;
    struct Wait;
    static gboolean onClockReached(GstClock* clock, GstClockTime time, GstClockID id, gpointer data);
    static gboolean onLimitReached(GstClock* clock, GstClockTime time, GstClockID id, gpointer data);
    std::shared_ptr<Shared> shared;
    Clock::duration limit;
};

} // namespace eggtimer::gst
