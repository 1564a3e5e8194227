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
    std::optional<double> interval = loopInterval(movie_->duration(), movie_->timeScale());
    movie_->play();
    if (interval)
        looptimer = runLoop.scheduleTimer(*interval, false, [this](Timer&) { KRreplay(); });
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
