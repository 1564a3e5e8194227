#pragma once
// A movie player that plays its movie over and over: each start measures the
// movie and, once the movie reports that its sound has really begun, schedules
// its own one-shot timer for one second after the end, which rewinds and
// starts it again. Timing from the real beginning, not from the asking, keeps
// the first pause as long as the others when a first start is slow. stop()
// cancels the pending timer and stops the movie, which never tells the
// beginning of a stopped play: the loop ends. A play that never begins is
// not repeated. A play that cannot be
// heard, or breaks off, ends the loop too, and the owner's failure handler
// is told why. Nothing of it is ever shown; only what it plays is heard.

#include "platform/Media.h"
#include "platform/RunLoop.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace eggtimer {

class KRMovieView : private MovieDelegate {
public:
    explicit KRMovieView(RunLoop& runLoop);
    ~KRMovieView() override;
    KRMovieView(const KRMovieView&) = delete;
    KRMovieView& operator=(const KRMovieView&) = delete;

    void setMovie(std::unique_ptr<Movie> movie);
    Movie* movie() const { return movie_.get(); }
    // Told, on the main loop, when the movie could not play or broke off. It
    // may stop the view, but not destroy it: the movie is still reporting.
    void setFailureHandler(std::function<void(const std::string& why)> handler) {
        failureHandler = std::move(handler);
    }
    bool isPlaying() const;

    // Does nothing while playing or without a movie.
    void start(const void* sender);
    void stop(const void* sender);
    void gotoBeginning(const void* sender);
    void KRreplay();

    // The pending loop timer, or nothing. Not owned: the run loop holds it.
    std::shared_ptr<Timer> pendingLoopTimer() const { return looptimer.lock(); }

    // Seconds from the first sample of a play to the next restart; nothing when the
    // movie's time scale gives it no finite length.
    static std::optional<double> loopInterval(std::int32_t duration, std::int32_t timeScale);

private:
    void movieDidStartPlaying(Movie& movie, double secondsHeard) override;
    void movieCouldNotPlay(Movie& movie, const std::string& why) override;

    RunLoop& runLoop;
    std::function<void(const std::string& why)> failureHandler;
    std::unique_ptr<Movie> movie_;
    std::weak_ptr<Timer> looptimer;
};

} // namespace eggtimer
