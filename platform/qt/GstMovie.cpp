// Movies: measured once by the discoverer, then played by a kept player.

#include "GstMedia.h"

#include "GstPlayer.h"
#include "GstSupport.h"

#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace eggtimer {

namespace {

// Long enough for any sound file on a local disk, short enough that a file
// that makes a demuxer search does not freeze the window for long.
constexpr GstClockTime kDiscoveryTimeout = 2 * GST_SECOND;

struct MediaFacts {
    std::int32_t milliseconds = 0;
    bool hasAudio = false;
};

// Without its decoder a file may not even be measured: say what is missing.
void reportMissing(const std::string& path, GstDiscovererInfo* info) {
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
    const auto slash = path.find_last_of('/');
    gst::reportOnce("cannot play " + path.substr(slash == std::string::npos ? 0 : slash + 1),
                    "missing GStreamer plug-in: " + (missing.empty() ? std::string("unknown") : missing));
}

std::optional<MediaFacts> discover(const std::string& path) {
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(kDiscoveryTimeout, &error);
    if (!discoverer) {
        gst::reportOnce("cannot read movies", error ? error->message : "no discoverer");
        g_clear_error(&error);
        return std::nullopt;
    }
    const std::string uri = gst::fileUri(path);
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri.c_str(), &error);
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
        if (result == GST_DISCOVERER_MISSING_PLUGINS && !(GST_CLOCK_TIME_IS_VALID(duration) && duration > 0))
            reportMissing(path, info);
        if (readable && GST_CLOCK_TIME_IS_VALID(duration) && duration > 0) {
            const GstClockTime limit = std::numeric_limits<std::int32_t>::max();
            facts = MediaFacts{static_cast<std::int32_t>(std::min(duration / GST_MSECOND, limit)),
                               audio != nullptr};
        }
        gst_discoverer_stream_info_list_free(audio);
        gst_discoverer_stream_info_list_free(video);
        gst_discoverer_info_unref(info);
    }
    g_object_unref(discoverer);
    return facts;
}

class GstMovie final : public Movie {
public:
    GstMovie(const std::string& path, const MediaFacts& facts)
        : milliseconds(facts.milliseconds)
        , player(path, GstPlayer::Role::Music, facts.hasAudio,
                 GstPlayer::Callbacks{[this] { reachedEnd(); }, [this] { playing = false; }}) {
        // Preroll now: the first play follows at once.
        player.prepare();
    }

    std::int32_t duration() const override { return milliseconds; }
    std::int32_t timeScale() const override { return 1000; }
    bool isPlaying() const override { return playing; }

    void play() override {
        // At the end there is nothing left to play until a rewind.
        if (playing || atEnd || !player.prepare())
            return;
        playing = true;
        player.play();
    }

    void stop() override {
        if (!playing)
            return;
        playing = false;
        player.pause();
    }

    void gotoBeginning() override {
        if (atEnd) {
            // Already rewound when the end was reached.
            atEnd = false;
            return;
        }
        player.rewind();
    }

private:
    void reachedEnd() {
        if (!playing)
            return;
        playing = false;
        atEnd = true;
        // Rewind now, so that the next play starts without a seek.
        player.pause();
        player.rewind();
    }

    std::int32_t milliseconds;
    bool playing = false;
    bool atEnd = false;
    GstPlayer player;
};

} // namespace

std::unique_ptr<Movie> GstMediaLibrary::movieWithPath(const std::string& path) {
    if (!gst::isPlayableFile(path) || !gst::start())
        return nullptr;
    const std::optional<MediaFacts> facts = discover(path);
    if (!facts)
        return nullptr;
    return std::make_unique<GstMovie>(path, *facts);
}

} // namespace eggtimer
