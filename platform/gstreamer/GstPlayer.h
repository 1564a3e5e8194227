#pragma once
// One file played through a GStreamer playbin to the sound server, with its
// video (if any) decoded nowhere or thrown away. The pipeline is kept
// prerolled between plays, so that play() is heard at once and a rewind costs
// no rebuild.
//
// Messages from the pipeline's threads are handed to the Qt event loop of the
// thread that made the player; the callbacks run there, never inside a call
// to the player. A message from before the latest play, pause or rewind is
// dropped, so a stale end of stream never ends a newer play, and a play
// paused before it was heard is never reported as begun.
//
// A sound server that stops taking a stream in the middle (its device
// suspended or gone, its time stuck) leaves the sink waiting for good: no end
// of stream comes. A play still playing well after its remaining length is
// ended here instead, and the next play builds a new pipeline.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
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
        // The pipeline failed (no sound server, missing plug-in, bad data) and
        // has been released; one line in the log has said why.
        std::function<void()> failed;
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
    // GStreamer or its playbin is not available.
    bool prepare();
    // These do nothing without a pipeline. A rewind after a play whose clock
    // failed (see GstStartWatch.h) or that never ended by itself lets go of
    // the pipeline: prepare() at the next play builds it anew.
    void play();
    void pause();
    void rewind();
    // Stops and frees the pipeline; prepare() builds a new one.
    void release();

private:
    GstElement* makePlaybin() const;
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void handle(GstMessage* message, unsigned generationThen, unsigned pipelineThen);
    // On the main thread, once the pipeline plays: ends the play if it has
    // not ended by itself well after its remaining length.
    void watchForTheEnd(unsigned generationThen, unsigned pipelineThen);
    void endStalledPlay();
    // Reports the end of the latest play, and its start if that never was.
    void finishPlay();
    void stopWatching();
    void changeState(GstState state);
    // On the main thread: the play of the start's token is heard.
    void reportStarted(const gst::StartWatch::Start& start);
    // Tells the owner once per play; after a failed clock the rewind lets go
    // of the pipeline.
    void began(std::chrono::steady_clock::time_point when, bool timeFailed);
    // Logs why (once), releases the pipeline, tells the owner.
    void fail(const std::string& why);

    std::string path;
    Role role;
    bool hasAudio;
    Callbacks callbacks;
    GstElement* pipeline = nullptr;
    bool prerolled = false;
    // The sink's clock failed during a play, or a play never ended by
    // itself: the next rewind lets go of the pipeline, the next play builds
    // one.
    bool clockFailed = false;
    // The latest play has not been reported as heard; a play whose sink's
    // time never tells is reported at its end, as begun when it was asked.
    bool startUnreported = false;
    std::chrono::steady_clock::time_point playAskedAt;
    std::string missingPlugin;
    // Read by the pipeline's threads when they post a message.
    std::atomic<unsigned> generation{0};
    std::atomic<unsigned> pipelineNumber{0};
    std::unique_ptr<QObject> mainThread;
    // Single-shot, child of mainThread; armed by watchForTheEnd().
    QTimer* endWatch = nullptr;
    // After mainThread, so that it is gone, and no report on its way to the
    // main thread, before mainThread goes.
    gst::StartWatch startWatch;
};

} // namespace eggtimer
