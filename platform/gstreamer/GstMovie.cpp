// Movies: measured once, then played by a player built at the first play and
// kept, prerolled, for the next.

#include "platform/gstreamer/GstMedia.h"

#include "platform/gstreamer/GstPlayer.h"
#include "platform/mediafiles/GstDiscovery.h"
#include "platform/mediafiles/GstSupport.h"

#include <chrono>

namespace eggtimer {

namespace {

class GstMovie final : public Movie {
public:
    GstMovie(const std::string& path, const gst::MediaFacts& facts)
        : milliseconds(facts.milliseconds)
        , player(path, GstPlayer::Role::Music, facts.hasAudio,
                 GstPlayer::Callbacks{[this] { reachedEnd(); }, [this] { failed(); },
                                      [this](auto when) { began(when); }}) {}

    std::int32_t duration() const override { return milliseconds; }
    std::int32_t timeScale() const override { return 1000; }
    bool isPlaying() const override { return playing; }
    void setDelegate(MovieDelegate* newDelegate) override { delegate = newDelegate; }

    void play() override {
        // At the end there is nothing left to play until a rewind. The first
        // play builds the pipeline (see GstPlayer::prepare()).
        if (playing || atEnd || !player.prepare())
            return;
        playing = true;
        awaitingStart = true;
        player.play();
    }

    void stop() override {
        if (!playing)
            return;
        playing = false;
        awaitingStart = false;
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
    void began(std::chrono::steady_clock::time_point when) {
        // Once per play, and not for one that has ended meanwhile.
        if (!playing || !awaitingStart)
            return;
        awaitingStart = false;
        const std::chrono::duration<double> heard = std::chrono::steady_clock::now() - when;
        if (delegate)
            delegate->movieDidStartPlaying(*this, heard.count());
    }

    void failed() {
        playing = false;
        awaitingStart = false;
    }

    void reachedEnd() {
        if (!playing)
            return;
        playing = false;
        awaitingStart = false;
        atEnd = true;
        // Rewind now, so that the next play starts without a seek.
        player.pause();
        player.rewind();
    }

    std::int32_t milliseconds;
    MovieDelegate* delegate = nullptr;
    bool playing = false;
    bool awaitingStart = false;
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
