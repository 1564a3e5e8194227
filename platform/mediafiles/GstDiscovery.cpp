#include "platform/mediafiles/GstDiscovery.h"

#include "formats/AiffHeader.h"
#include "formats/MpegAudioGapless.h"
#include "platform/LastPathComponent.h"
#include "platform/mediafiles/GstAiff.h"
#include "platform/mediafiles/GstSupport.h"

#include <gst/pbutils/pbutils.h>

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace eggtimer::gst {

namespace {

// Without its decoder a file may not even be measured: say what is missing,
// and return it.
std::string reportMissing(const std::string& path, GstDiscovererInfo* info) {
    std::string missing;
    // Installer details read "gstreamer|1.0|<program>|<description>|<detail>".
    const gchar** details = gst_discoverer_info_get_missing_elements_installer_details(info);
    for (const gchar** detail = details; detail && *detail; ++detail) {
        gchar** fields = g_strsplit(*detail, "|", 5);
        if (g_strv_length(fields) >= 4 && !missing.empty())
            missing += ", ";
        if (g_strv_length(fields) >= 4)
            missing += fields[3];
        g_strfreev(fields);
    }
    const std::string why =
        "missing GStreamer plug-in: " + (missing.empty() ? std::string("unknown") : missing);
    reportOnce("cannot play " + lastPathComponent(path), why);
    return why;
}

// GStreamer's messages are sentences; ours are put in parentheses.
std::string reasonOf(const GError* error, const char* otherwise) {
    std::string reason = error && error->message && *error->message ? error->message : otherwise;
    if (reason.ends_with('.'))
        reason.pop_back();
    return reason;
}

bool isProgramStream(GstDiscovererInfo* info) {
    GstDiscovererStreamInfo* top = gst_discoverer_info_get_stream_info(info);
    GstCaps* caps = top ? gst_discoverer_stream_info_get_caps(top) : nullptr;
    gboolean systemStream = FALSE;
    if (caps && !gst_caps_is_empty(caps)) {
        const GstStructure* structure = gst_caps_get_structure(caps, 0);
        if (gst_structure_has_name(structure, "video/mpeg"))
            gst_structure_get_boolean(structure, "systemstream", &systemStream);
    }
    if (caps)
        gst_caps_unref(caps);
    if (top)
        gst_discoverer_stream_info_unref(top);
    return systemStream;
}

// MPEG program streams (.mpg) carry no length, and the demuxer's estimate
// from their clock references falls short, which would shorten every pause of
// a looping movie: their MPEG audio is parsed to the end instead, without
// decoding. Nothing when that fails or the file is too large to parse at once.
std::optional<GstClockTime> parsedLength(const std::string& path) {
    constexpr off_t kLargestParsed = 64 * 1024 * 1024;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_size > kLargestParsed)
        return std::nullopt;
    GstElement* pipeline = gst_parse_launch(
        "filesrc name=source ! mpegpsdemux ! mpegaudioparse ! fakesink name=sink sync=false", nullptr);
    if (!pipeline)
        return std::nullopt;
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
    g_object_set(source, "location", path.c_str(), nullptr);
    gst_object_unref(source);
    // The first timestamp need not be 0: measure from it to the last end.
    struct Span {
        GstClockTime first = GST_CLOCK_TIME_NONE;
        GstClockTime end = 0;
    } span;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(
        sinkPad, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo* probe, gpointer data) {
            auto* span = static_cast<Span*>(data);
            GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(probe);
            if (GST_BUFFER_PTS_IS_VALID(buffer)) {
                if (!GST_CLOCK_TIME_IS_VALID(span->first))
                    span->first = GST_BUFFER_PTS(buffer);
                const GstClockTime duration =
                    GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0;
                span->end = std::max(span->end, GST_BUFFER_PTS(buffer) + duration);
            }
            return GST_PAD_PROBE_OK;
        },
        &span, nullptr);
    gst_object_unref(sinkPad);
    gst_object_unref(sink);
    std::optional<GstClockTime> length;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(bus, kDiscoveryTimeout,
                                                 GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool complete = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    // Stopping joins the streaming thread: span is settled after it.
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (complete && GST_CLOCK_TIME_IS_VALID(span.first) && span.end > span.first)
        length = span.end - span.first;
    return length;
}

bool isMpegAudio(GList* audioStreams) {
    for (GList* stream = audioStreams; stream; stream = stream->next) {
        GstCaps* caps = gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(stream->data));
        int version = 0;
        if (caps && !gst_caps_is_empty(caps)) {
            const GstStructure* structure = gst_caps_get_structure(caps, 0);
            if (gst_structure_has_name(structure, "audio/mpeg"))
                gst_structure_get_int(structure, "mpegversion", &version);
        }
        if (caps)
            gst_caps_unref(caps);
        if (version == 1)
            return true;
    }
    return false;
}

// What is heard of an MPEG audio file: without the encoder's delay and
// padding, when its header frame says how long they are.
std::optional<GstClockTime> audibleLength(const std::string& path) {
    const std::optional<mpeg::GaplessInfo> gapless = mpeg::readGaplessInfo(path);
    if (!gapless)
        return std::nullopt;
    return gst_util_uint64_scale(gapless->audibleSamples(), GST_SECOND, gapless->sampleRate);
}

} // namespace

std::optional<MediaFacts> discover(const std::string& path, std::string* whyNot) {
    std::string ignored;
    std::string& why = whyNot ? *whyNot : ignored;
    const GstClockTime limit = std::numeric_limits<std::int32_t>::max();
    if (aiff::isAiffFile(path) && aiffParserAvailable()) {
        const std::optional<GstClockTime> length = aiffLength(path, kAiffReadTimeout);
        if (!length) {
            why = "its AIFF sound cannot be read";
            return std::nullopt;
        }
        return MediaFacts{static_cast<std::int32_t>(std::min(*length / GST_MSECOND, limit)), true};
    }
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(kDiscoveryTimeout, &error);
    if (!discoverer) {
        why = reasonOf(error, "GStreamer's discoverer cannot start");
        reportOnce("cannot read movies", why);
        g_clear_error(&error);
        return std::nullopt;
    }
    const std::string uri = fileUri(path);
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri.c_str(), &error);
    why = reasonOf(error, "it cannot be read as media");
    g_clear_error(&error);
    std::optional<MediaFacts> facts;
    if (info) {
        const GstDiscovererResult result = gst_discoverer_info_get_result(info);
        const GstClockTime duration = gst_discoverer_info_get_duration(info);
        GList* audio = gst_discoverer_info_get_audio_streams(info);
        GList* video = gst_discoverer_info_get_video_streams(info);
        // A missing decoder is left to playing, which reports it: the sound
        // of a movie whose video cannot be decoded still plays. Streams not
        // decoded yet count as neither audio nor video.
        const bool readable =
            (result == GST_DISCOVERER_OK && (audio || video)) || result == GST_DISCOVERER_MISSING_PLUGINS;
        const bool measured = GST_CLOCK_TIME_IS_VALID(duration) && duration > 0;
        if (result == GST_DISCOVERER_MISSING_PLUGINS && !measured)
            why = reportMissing(path, info);
        else if (result == GST_DISCOVERER_TIMEOUT)
            why =
                "it could not be read within " + std::to_string(kDiscoveryTimeout / GST_SECOND) + " seconds";
        else if (result == GST_DISCOVERER_OK && !readable)
            why = "it holds neither sound nor video";
        else if (readable && !measured)
            why = "its length is unknown";
        if (readable && measured) {
            GstClockTime length = duration;
            if (isProgramStream(info))
                length = parsedLength(path).value_or(duration);
            else if (isMpegAudio(audio))
                length = audibleLength(path).value_or(duration);
            facts = MediaFacts{static_cast<std::int32_t>(std::min(length / GST_MSECOND, limit)),
                               audio != nullptr};
        }
        gst_discoverer_stream_info_list_free(audio);
        gst_discoverer_stream_info_list_free(video);
        gst_discoverer_info_unref(info);
    }
    g_object_unref(discoverer);
    return facts;
}

} // namespace eggtimer::gst
