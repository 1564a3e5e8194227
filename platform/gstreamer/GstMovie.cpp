// Movies: measured once, then played by a player built at the first play and
// kept, prerolled, for the next.

#include "platform/gstreamer/GstMedia.h"

#include "platform/gstreamer/GstPlayer.h"
#include "platform/mediafiles/GstDiscovery.h"
#include "platform/mediafiles/GstSupport.h"

#include <QObject>

#include <chrono>

namespace eggtimer {

namespace {

class GstMovie final : public Movie {
public:
    GstMovie(const std::string& path, const gst::MediaFacts& facts)
        : milliseconds(facts.milliseconds)
        , mainThread(std::make_unique<QObject>())
        , player(path, GstPlayer::Role::Music, facts.hasAudio,
                 GstPlayer::Callbacks{[this] { reachedEnd(); },
                                      [this](const std::string& why) { failed(why); },
                                      [this](auto when) { began(when); }}) {}

    std::int32_t duration() const override { return milliseconds; }
    std::int32_t timeScale() const override { return 1000; }
    bool isPlaying() const override { return playing; }
    void setDelegate(MovieDelegate* newDelegate) override { delegate = newDelegate; }

    void play() override {
        // At the end there is nothing left to play until a rewind. The first
        // play builds the pipeline (see GstPlayer::prepare()).
        if (playing || atEnd)
            return;
        std::string why;
        if (!player.prepare(&why)) {
            // Told on the event loop, as a pipeline's failure is.
            QMetaObject::invokeMethod(
                mainThread.get(), [this, why] { tellCouldNotPlay(why); }, Qt::QueuedConnection);
            return;
        }
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
    // The player tells a play's start once, and never a stopped play's.
    void began(std::chrono::steady_clock::time_point when) {
        const std::chrono::duration<double> heard = std::chrono::steady_clock::now() - when;
        if (delegate)
            delegate->movieDidStartPlaying(*this, heard.count());
    }

    void failed(const std::string& why) {
        if (!playing)
            return;
        playing = false;
        tellCouldNotPlay(why);
    }

    void tellCouldNotPlay(const std::string& why) {
        if (delegate)
            delegate->movieCouldNotPlay(*this, why);
    }

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
    MovieDelegate* delegate = nullptr;
    bool playing = false;
    bool atEnd = false;
    // Carries reports to the event loop; those still on their way go with it.
    std::unique_ptr<QObject> mainThread;
    GstPlayer player;
};

} // namespace

std::unique_ptr<Movie> GstMediaLibrary::movieWithPath(const std::string& path, std::string* whyNot) {
    std::string why;
    std::optional<gst::MediaFacts> facts;
    if (!gst::isPlayableFile(path))
        why = "it is gone or cannot be read";
    else if (!gst::start())
        why = "GStreamer cannot start";
    else
        facts = gst::discover(path, &why);
    if (!facts) {
        if (whyNot)
            *whyNot = why;
        return nullptr;
    }
    return std::make_unique<GstMovie>(path, *facts);
}

} // namespace eggtimer
