// Movies: measured once, then played by a kept, prerolled player.

#include "GstMedia.h"

#include "GstPlayer.h"
#include "GstSupport.h"

#include "GstDiscovery.h"

namespace eggtimer {

namespace {

class GstMovie final : public Movie {
public:
    GstMovie(const std::string& path, const gst::MediaFacts& facts)
        : milliseconds(facts.milliseconds)
        , player(path, GstPlayer::Role::Music, facts.hasAudio,
                 GstPlayer::Callbacks{[this] { reachedEnd(); }, [this] { playing = false; }}) {
        // Preroll now, and wait for it (a MIDI synthesizer loads its sound
        // font meanwhile): the caller plays at once and times the loop from
        // that moment.
        if (player.prepare())
            player.waitUntilPrerolled(gst::kDiscoveryTimeout);
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
    const std::optional<gst::MediaFacts> facts = gst::discover(path);
    if (!facts)
        return nullptr;
    return std::make_unique<GstMovie>(path, *facts);
}

} // namespace eggtimer
