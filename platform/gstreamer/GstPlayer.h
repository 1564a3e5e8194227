#pragma once
// One file played through a GStreamer pipeline to the sound server, its video
// (if any) decoded nowhere or thrown away. The pipeline is kept prerolled
// between plays: play() is heard at once and a rewind costs no rebuild.
//
// Messages from the pipeline's threads are handled on the Qt event loop of
// the thread that made the player, never inside a call to the player. A
// message from before the latest play, pause or rewind is dropped: a stale
// end of stream never ends a newer play, and a play paused before it was
// heard is never reported as begun.
//
// Two facts, apart from each other. The pipeline's state (`state`):
//   Released       no pipeline.
//   Kept           a pipeline, paused or playing, fit for the next play.
//   Spent          its sink's clock failed or a play stalled: it plays on,
//                  but the next rewind lets it go.
// And the start awaited (`startAwaited`): the latest play's, from play()
// until it is told, when `started` is watched for. It is kept here alone, for
// the movie and its loop too: a start is told at most once per play, never
// for a paused play, and never without a pipeline.
// Transitions:
//   prepare()         Released -> Kept, building the pipeline.
//   play()            awaits the play's start.
//   pause()           no start awaited: a paused play's start is never told.
//   rewind()          Spent -> Released; else a seek to 0 (a play goes on,
//                     its start still awaited).
//   start told        no start awaited; a failed clock -> Spent.
//   end of stream     a start awaited is told first, as a failed clock's,
//                     begun at play() (-> Spent); then the end.
//   end watch         -> Spent (a stall): the pipeline set to PAUSED, then
//                     as an end of stream.
//   error, preroll watch, release()   -> Released, no start awaited.
// Watches, each stopped by whatever makes it pointless:
//   preroll watch     from the build to the first preroll: fails a pipeline
//                     that has not prerolled within its limit.
//   start watch       from PLAYING to the start told (GstStartWatch.h).
//   end watch         from PLAYING: a play still playing well after its
//                     remaining length has stalled (the sound server stopped
//                     taking the stream; no end of stream comes).

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/gstreamer/GstStartWatch.h"

#include <gst/gst.h>

class QObject;
class QTimer;

namespace eggtimer {

class GstPlayer {
public:
    enum class Role { Event, Music };
    struct Callbacks {
        // The last sample has been played.
        std::function<void()> reachedEnd;
        // The pipeline failed (no sound server, missing plug-in, bad data, no
        // preroll within its limit) and has been released; `why` is what the
        // log has said once (GstSupport.h's reportOnce), in a few words.
        std::function<void(const std::string& why)> failed;
        // The latest play() is being heard: its first sample reached the
        // sound server's output at `began` (see GstStartWatch.h). Watched for
        // only when set.
        std::function<void(std::chrono::steady_clock::time_point began)> started;
    };

    GstPlayer(std::string path, Role role, bool hasAudio, Callbacks callbacks);
    ~GstPlayer();
    GstPlayer(const GstPlayer&) = delete;
    GstPlayer& operator=(const GstPlayer&) = delete;

    // Builds the pipeline and starts prerolling it, unless it is there: for
    // an AIFF file one of our own (see GstAiff.h), else a playbin. False when
    // GStreamer or its playbin is not available, with `whyNot` (when given)
    // saying which; the callbacks hear nothing of it. Called at the play,
    // not before: libpulse runs the time of a stream that has never played
    // while it waits, and a pipeline prerolled early is heard as late as it
    // waited.
    bool prepare(std::string* whyNot = nullptr);
    // These do nothing without a pipeline; see the transitions above.
    void play();
    void pause();
    void rewind();
    // Stops and frees the pipeline; prepare() builds a new one.
    void release();

private:
    enum class State { Released, Kept, Spent };

    GstElement* makePlaybin(std::string* whyNot) const;
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void handle(GstMessage* message, unsigned generationThen, unsigned pipelineThen);
    // On the main thread, once the pipeline plays: arms the end watch.
    void watchForTheEnd(unsigned generationThen, unsigned pipelineThen);
    void endStalledPlay();
    // Tells the end of the latest play, and its start first if not told yet.
    void finishPlay();
    void stopWatching();
    void changeState(GstState target);
    // On the main thread: the play of the start's token is heard.
    void reportStarted(const gst::StartWatch::Start& start);
    // Tells the owner; a failed clock makes the pipeline Spent.
    void began(std::chrono::steady_clock::time_point when, bool clockFailed);
    // Logs why (once), releases the pipeline, tells the owner.
    void fail(const std::string& why);

    std::string path;
    Role role;
    bool hasAudio;
    Callbacks callbacks;
    // Null exactly when Released.
    GstElement* pipeline = nullptr;
    State state = State::Released;
    // When the play whose start is awaited was asked: the start told for it
    // when its sink's time never tells.
    std::optional<std::chrono::steady_clock::time_point> startAwaited;
    std::string missingPlugin;
    // Read by the pipeline's threads when they post a message.
    std::atomic<unsigned> generation{0};
    std::atomic<unsigned> pipelineNumber{0};
    std::unique_ptr<QObject> mainThread;
    // Single-shot, children of mainThread.
    QTimer* prerollWatch = nullptr;
    QTimer* endWatch = nullptr;
    // After mainThread, so that it is gone, and no report on its way to the
    // main thread, before mainThread goes.
    gst::StartWatch startWatch;
};

} // namespace eggtimer
