#include "platform/gstreamer/GstPlayer.h"

#include "formats/AiffHeader.h"
#include "platform/LastPathComponent.h"
#include "platform/mediafiles/GstAiff.h"
#include "platform/mediafiles/GstSupport.h"

#include <gst/pbutils/missing-plugins.h>

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace eggtimer {

namespace {

// Values of playbin's "flags" property (GstPlayFlags, not in a public header).
constexpr unsigned kPlayVideo = 0x1;
constexpr unsigned kPlayAudio = 0x2;

// fluidsynth's default gain leaves MIDI far quieter than other media; at 1.0
// a single note is about as loud as they are, and a full arrangement still
// has headroom before it clips.
constexpr double kMidiGain = 1.0;

// A local file prerolls in milliseconds. A pipeline that has not after this
// long is stuck (an element's error lost inside decodebin, say): give up on
// it rather than leave the caller playing forever in silence.
constexpr int kPrerollLimitMs = 5000;

// A play is heard well within this of PLAYING: a clock that has not run by
// then has failed. The sound itself plays on, so the play is reported as
// begun at PLAYING, and a loop that restarts it one second after its end
// still does so on time.
constexpr std::chrono::seconds kStartLimit{1};

// A play is heard well within this of going to PLAYING, and its end is told
// that long after its last sample: one still playing this long after its
// remaining length will not end by itself.
constexpr std::chrono::milliseconds kEndSlack{2000};

void onElementSetup(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory && std::strcmp(GST_OBJECT_NAME(factory), "fluiddec") == 0)
        g_object_set(element, "synth-gain", kMidiGain, nullptr);
}

GstElement* makeAudioSink(GstPlayer::Role role) {
    // pulsesink speaks to PulseAudio and to PipeWire's pulse server alike and
    // fails with one clear error when there is no server; autoaudiosink would
    // try ALSA devices and print a screenful first.
    if (GstElement* sink = gst_element_factory_make("pulsesink", nullptr)) {
        GstStructure* properties =
            gst_structure_new("properties", "media.role", G_TYPE_STRING,
                              role == GstPlayer::Role::Event ? "event" : "music", nullptr);
        g_object_set(sink, "stream-properties", properties, nullptr);
        gst_structure_free(properties);
        return sink;
    }
    return gst_element_factory_make("autoaudiosink", nullptr);
}

} // namespace

GstPlayer::GstPlayer(std::string path, Role role, bool hasAudio, Callbacks callbacks)
    : path(std::move(path))
    , role(role)
    , hasAudio(hasAudio)
    , callbacks(std::move(callbacks))
    , mainThread(std::make_unique<QObject>())
    , prerollWatch(new QTimer(mainThread.get()))
    , endWatch(new QTimer(mainThread.get()))
    , startWatch(
          [this](const gst::StartWatch::Start& start) {
              QMetaObject::invokeMethod(
                  mainThread.get(), [this, start] { reportStarted(start); }, Qt::QueuedConnection);
          },
          kStartLimit) {
    prerollWatch->setSingleShot(true);
    prerollWatch->setInterval(kPrerollLimitMs);
    QObject::connect(prerollWatch, &QTimer::timeout, mainThread.get(), [this] {
        fail("did not start within " + std::to_string(kPrerollLimitMs / 1000) + " seconds");
    });
    endWatch->setSingleShot(true);
    QObject::connect(endWatch, &QTimer::timeout, mainThread.get(), [this] { endStalledPlay(); });
}

GstPlayer::~GstPlayer() {
    release();
    // Deleting mainThread drops the messages still queued for it.
}

bool GstPlayer::prepare(std::string* whyNot) {
    if (pipeline)
        return true;
    if (!gst::start()) {
        if (whyNot)
            *whyNot = "GStreamer cannot start";
        return false;
    }
    GstElement* built = nullptr;
    if (aiff::isAiffFile(path) && gst::aiffParserAvailable())
        built = gst::makeAiffPipeline(path, makeAudioSink(role));
    if (!built)
        built = makePlaybin(whyNot);
    if (!built)
        return false;

    GstBus* bus = gst_element_get_bus(built);
    gst_bus_set_sync_handler(bus, &GstPlayer::onBusMessage, this, nullptr);
    gst_object_unref(bus);

    pipeline = built;
    state = State::Kept;
    missingPlugin.clear();
    changeState(GST_STATE_PAUSED);
    prerollWatch->start();
    return true;
}

GstElement* GstPlayer::makePlaybin(std::string* whyNot) const {
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) {
        const std::string why = "GStreamer's playbin is not installed";
        gst::reportOnce("cannot play " + lastPathComponent(path), why);
        if (whyNot)
            *whyNot = why;
        return nullptr;
    }
    // Video is never shown. A file with sound is decoded for its sound alone;
    // one without keeps its video running into a clocked fakesink, so that it
    // still lasts as long as it should. An automatic video sink may be one
    // that stalls without a display (DRM, DirectFB).
    GstElement* videoSink = gst_element_factory_make("fakesink", nullptr);
    if (videoSink)
        g_object_set(videoSink, "sync", TRUE, nullptr);
    const std::string uri = gst::fileUri(path);
    g_object_set(playbin, "uri", uri.c_str(), "flags", hasAudio ? kPlayAudio : kPlayVideo, nullptr);
    if (videoSink)
        g_object_set(playbin, "video-sink", videoSink, nullptr);
    if (GstElement* audioSink = makeAudioSink(role))
        g_object_set(playbin, "audio-sink", audioSink, nullptr);
    g_signal_connect(playbin, "element-setup", G_CALLBACK(onElementSetup), nullptr);
    return playbin;
}

void GstPlayer::play() {
    if (state == State::Released)
        return;
    changeState(GST_STATE_PLAYING);
    if (callbacks.started)
        startAwaited = std::chrono::steady_clock::now();
}

void GstPlayer::pause() {
    startAwaited.reset();
    changeState(GST_STATE_PAUSED);
}

void GstPlayer::rewind() {
    if (state == State::Released)
        return;
    if (state == State::Spent) {
        // Built anew at the next play, not now (see prepare()).
        release();
        return;
    }
    stopWatching();
    ++generation;
    gst_element_seek_simple(pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0);
}

void GstPlayer::release() {
    if (!pipeline)
        return;
    stopWatching();
    prerollWatch->stop();
    // Setting NULL joins the streaming threads: no message is posted after it.
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    pipeline = nullptr;
    state = State::Released;
    startAwaited.reset();
    ++pipelineNumber;
}

void GstPlayer::stopWatching() {
    startWatch.cancel();
    endWatch->stop();
}

void GstPlayer::changeState(GstState target) {
    if (!pipeline)
        return;
    stopWatching();
    ++generation;
    // A failure here is also posted as an error message, handled below.
    gst_element_set_state(pipeline, target);
}

GstBusSyncReply GstPlayer::onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* self = static_cast<GstPlayer*>(data);
    // The whole pipeline (no parent) has gone to PLAYING, on whichever thread
    // finished the change: from now on its clock tells when it is heard.
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED &&
        GST_OBJECT_PARENT(GST_MESSAGE_SRC(message)) == nullptr) {
        GstState state = GST_STATE_VOID_PENDING;
        gst_message_parse_state_changed(message, nullptr, &state, nullptr);
        if (state == GST_STATE_PLAYING) {
            const unsigned generationThen = self->generation.load();
            const unsigned pipelineThen = self->pipelineNumber.load();
            if (self->callbacks.started)
                self->startWatch.watch(GST_ELEMENT(GST_MESSAGE_SRC(message)), generationThen);
            QMetaObject::invokeMethod(
                self->mainThread.get(),
                [self, generationThen, pipelineThen] { self->watchForTheEnd(generationThen, pipelineThen); },
                Qt::QueuedConnection);
        }
    }
    const bool wanted =
        GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS || GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR ||
        GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE || gst_is_missing_plugin_message(message);
    if (wanted) {
        const unsigned generationThen = self->generation.load();
        const unsigned pipelineThen = self->pipelineNumber.load();
        std::shared_ptr<GstMessage> held(gst_message_ref(message), gst_message_unref);
        QMetaObject::invokeMethod(
            self->mainThread.get(),
            [self, held, generationThen, pipelineThen] {
                self->handle(held.get(), generationThen, pipelineThen);
            },
            Qt::QueuedConnection);
    }
    // Nothing reads the bus's own queue: keep it empty. A sync handler that
    // drops a message owns it.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void GstPlayer::handle(GstMessage* message, unsigned generationThen, unsigned pipelineThen) {
    if (!pipeline || pipelineThen != pipelineNumber.load())
        return;
    if (gst_is_missing_plugin_message(message)) {
        gchar* description = gst_missing_plugin_message_get_description(message);
        if (description && missingPlugin.empty())
            missingPlugin = std::string("missing GStreamer plug-in: ") + description;
        g_free(description);
        return;
    }
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE) {
        prerollWatch->stop();
        return;
    }
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        std::string why = missingPlugin;
        if (why.empty())
            why = error ? error->message : "unknown error";
        g_clear_error(&error);
        fail(why);
        return;
    }
    if (generationThen != generation.load())
        return;
    endWatch->stop();
    finishPlay();
}

void GstPlayer::finishPlay() {
    if (startAwaited) {
        startWatch.cancel();
        began(*startAwaited, true);
    }
    if (callbacks.reachedEnd)
        callbacks.reachedEnd();
}

void GstPlayer::watchForTheEnd(unsigned generationThen, unsigned pipelineThen) {
    // The message may come after a pause that followed: the pipeline has
    // gone on to PAUSED since, and no play awaits an end.
    if (!pipeline || generationThen != generation.load() || pipelineThen != pipelineNumber.load() ||
        GST_STATE_TARGET(pipeline) != GST_STATE_PLAYING)
        return;
    gint64 length = 0;
    if (!gst_element_query_duration(pipeline, GST_FORMAT_TIME, &length) || length <= 0)
        return; // a stream of unknown length is left to end by itself
    // The play goes on from the running time the pipeline was paused at (a
    // rewind sets it back to 0). Not the position: in PLAYING, asking for it
    // reads the sound server's time, and read just as the server resumes the
    // stream that time is wrong for good (see GstStartWatch.h).
    GstClockTime from = gst_element_get_start_time(pipeline);
    if (!GST_CLOCK_TIME_IS_VALID(from))
        from = 0;
    const auto remaining = std::chrono::nanoseconds(std::max<gint64>(length - static_cast<gint64>(from), 0));
    endWatch->start(std::chrono::ceil<std::chrono::milliseconds>(remaining) + kEndSlack);
}

// The watch is stopped by every pause, rewind and release, and by the end of
// stream: when it goes off, the play is still running.
void GstPlayer::endStalledPlay() {
    gst::reportOnce("timing " + lastPathComponent(path),
                    "the sound server stopped playing it; the player is rebuilt");
    state = State::Spent;
    // Not pause(): a start still awaited is told with the end. Also drops an
    // end of stream that comes after all.
    changeState(GST_STATE_PAUSED);
    finishPlay();
}

// A report from before the latest pause or rewind is another play's.
void GstPlayer::reportStarted(const gst::StartWatch::Start& start) {
    if (startAwaited && start.token == generation.load())
        began(start.began, start.clockFailed);
}

void GstPlayer::began(std::chrono::steady_clock::time_point when, bool clockFailed) {
    if (clockFailed) {
        gst::reportOnce("timing " + lastPathComponent(path),
                        "the sound server's clock failed; the player is rebuilt");
        state = State::Spent;
    }
    startAwaited.reset();
    if (callbacks.started)
        callbacks.started(when);
}

void GstPlayer::fail(const std::string& why) {
    gst::reportOnce("cannot play " + lastPathComponent(path), why);
    release();
    if (callbacks.failed)
        callbacks.failed(why);
}

} // namespace eggtimer
