#pragma once
// Tells when a pipeline that was set playing is really heard.
//
// Why the sink's time: the state change to PLAYING, and the first buffer the
// audio sink takes after it, both come at once, while the sound server may
// begin playing the stream a quarter of a second later (a stream that waited,
// paused, since it was made starts late by about as long as it waited:
// libpulse lets the time of a stream that has never played run while it
// waits). The audio sink's time is the sound server's playing position: it
// stands still until the first sample is played and then runs. Measured
// against a recording of the server's output, the moment it has run a few
// milliseconds matches the first audible sample to about 3 ms, for a slow
// first start and a quick later one alike. Without an audio sink the clock is
// the system's, which runs at once. The watch looks every millisecond, from
// GStreamer's system clock thread, while a start is awaited.
//
// The report comes a while after that moment (the server's news of its
// position comes every 10 ms or more, and the main loop must be woken, which
// on a busy machine takes milliseconds, now and then tens of them), so it
// tells when the time began to run: how far it has run by the report, taken
// from the time of the report.
//
// The sink's time is read only once the sound server has played the stream
// for a while. libpulse (PulseAudio 16) answers a stream's time with
// nonsense, just under 2^64 microseconds, when asked within moments of the
// stream being resumed (until the server's first news of its playing
// position comes in), and since it never lets a stream's time run backwards
// it keeps answering that for the rest of the stream's life: the pipeline's
// clock stops, and its end never comes. The audio ring buffer's count of
// played segments moves only with such news, so the time is read once that
// count has moved twice since the watch began. Where the time stood is not
// read then but known: the pipeline's clock at PLAYING, its base time plus
// the running time it went on from. A reading negative as a signed time, or
// run further than the time since the watch began allows, is passed over. A
// time that has not run by the limit is reported as a failed clock, so that
// a play is always reported and its owner can build a new pipeline before
// the next one.

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
