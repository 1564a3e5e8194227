#pragma once
// Tells when a pipeline that was set playing is really heard: when its audio
// sink's time, the sound server's playing position, begins to run. The state
// change to PLAYING and the sink's first buffer come at once, while the server
// may begin to play the stream a good while later. Without an audio sink the
// clock is the system's, and the play is heard at once.
//
// - While a start is awaited the watch looks every millisecond, on
//   GStreamer's system clock thread. A report tells when the time began to
//   run (the report's time less how far the time has run by then), however
//   late it is.
// - The sink's time is read only once the ring buffer's count of played
//   segments has moved twice since the watch began: libpulse answers a
//   resumed stream's time with nonsense (just under 2^64 microseconds) until
//   the server's first news of its playing position, and keeps that answer
//   for the rest of the stream's life.
// - Where the time stood is known, not read: the pipeline's clock at
//   PLAYING, its base time plus the running time it went on from.
// - A reading negative as a signed time, or run further than the time since
//   the watch began allows, is passed over.
// - A time that has not run by the limit is reported as a failed clock: every
//   play is reported, and its owner can build a new pipeline before the next.

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
    // sink's time has run; a pipeline without one is reported at once.
    // Replaces an earlier watch. Safe from any thread, the bus's sync handler
    // included.
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
