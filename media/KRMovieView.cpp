#include "media/KRMovieView.h"

namespace eggtimer {
namespace {

constexpr double kPauseAfterEnd = 1.0;

} // namespace

KRMovieView::KRMovieView(RunLoop& loop)
    : runLoop(loop) {}

KRMovieView::~KRMovieView() {
    // No loop timer may outlive the view it would restart.
    if (auto pending = looptimer.lock())
        pending->invalidate();
}

void KRMovieView::setMovie(std::unique_ptr<Movie> movie) {
    movie_ = std::move(movie);
    if (movie_)
        movie_->setDelegate(this);
}

bool KRMovieView::isPlaying() const {
    return movie_ && movie_->isPlaying();
}

std::optional<double> KRMovieView::loopInterval(std::int32_t duration, std::int32_t timeScale) {
    // A movie without a positive time scale has no length to wait for; it
    // plays once and is not restarted.
    if (timeScale <= 0 || duration < 0)
        return std::nullopt;
    return static_cast<double>(duration) / static_cast<double>(timeScale) + kPauseAfterEnd;
}

void KRMovieView::start(const void*) {
    if (isPlaying() || !movie_)
        return;
    // The loop timer waits for the movie to say it began: a pipeline's first
    // start can come a quarter of a second after play() on a busy machine,
    // and timing from play() cut the first pause short by as much. The movie
    // tells a play's start once, and never a stopped play's.
    movie_->play();
}

void KRMovieView::movieDidStartPlaying(Movie& movie, double secondsHeard) {
    if (&movie != movie_.get())
        return;
    std::optional<double> interval = loopInterval(movie_->duration(), movie_->timeScale());
    if (!interval)
        return;
    if (auto pending = looptimer.lock())
        pending->invalidate();
    // Timed from the first sample, not from the news of it, which a busy
    // machine can hold up by tens of milliseconds.
    const double sinceStart = secondsHeard > 0.0 ? secondsHeard : 0.0;
    looptimer = runLoop.scheduleTimer(*interval - sinceStart, false, [this](Timer&) { KRreplay(); });
}

void KRMovieView::movieCouldNotPlay(Movie& movie, const std::string& why) {
    if (&movie != movie_.get())
        return;
    if (auto pending = looptimer.lock())
        pending->invalidate();
    looptimer.reset();
    if (failureHandler)
        failureHandler(why);
}

void KRMovieView::stop(const void*) {
    if (auto pending = looptimer.lock())
        pending->invalidate();
    looptimer.reset();
    if (movie_)
        movie_->stop();
}

void KRMovieView::gotoBeginning(const void*) {
    if (movie_)
        movie_->gotoBeginning();
}

void KRMovieView::KRreplay() {
    if (isPlaying())
        stop(this);
    gotoBeginning(this);
    start(this);
}

} // namespace eggtimer
