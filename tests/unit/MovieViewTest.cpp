// The looping movie view: its timer arithmetic and its states.

#include "media/KRMovieView.h"
#include "support/fake/FakeServices.h"

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

class MovieViewTest : public ::testing::Test {
protected:
    fake::FakeMovie* load(std::int32_t duration, std::int32_t timeScale) {
        auto movie = std::make_unique<fake::FakeMovie>(duration, timeScale, journal);
        fake::FakeMovie* raw = movie.get();
        view.setMovie(std::move(movie));
        return raw;
    }
    double pendingInterval() const {
        auto timer = view.pendingLoopTimer();
        return timer ? timer->fireDate() - loop.now() : -1.0;
    }

    fake::Journal journal;
    fake::FakeRunLoop loop{1'800'000'000.0};
    KRMovieView view{loop};
};

TEST_F(MovieViewTest, LoopTimerIsTheLengthPlusOneSecondUnrounded) {
    const struct {
        std::int32_t duration, timeScale;
        double interval;
    } cases[] = {{90, 30, 4.0}, {100, 60, 100.0 / 60.0 + 1.0}, {0, 600, 1.0}, {2147483647, 1, 2147483648.0}};
    for (const auto& c : cases) {
        view.stop(this);
        load(c.duration, c.timeScale);
        view.start(this);
        EXPECT_NEAR(pendingInterval(), c.interval, 1e-6) << c.duration << "/" << c.timeScale;
    }
}

TEST_F(MovieViewTest, ReplaysOneSecondAfterEachEndUntilStopped) {
    fake::FakeMovie* movie = load(90, 30);
    view.start(this);
    for (int play = 1; play <= 3; ++play) {
        EXPECT_EQ(movie->plays, play);
        movie->playing = false; // reaches its end
        loop.advanceBy(4.0);
    }
    EXPECT_EQ(loop.pendingCount(), 1u);
    view.stop(this);
    EXPECT_EQ(view.pendingLoopTimer(), nullptr);
    loop.advanceBy(60.0);
    EXPECT_EQ(movie->plays, 4);
    EXPECT_FALSE(view.isPlaying());
}

TEST_F(MovieViewTest, ReplayWhileStillPlayingStopsRewindsAndStartsWithOneTimer) {
    fake::FakeMovie* movie = load(90, 30);
    view.start(this);
    journal.clear();
    loop.advanceBy(4.0); // still reports playing
    EXPECT_EQ(journal, (fake::Journal{"movie.stop", "movie.rewind", "movie.play"}));
    EXPECT_EQ(loop.pendingCount(), 1u);
    EXPECT_TRUE(movie->playing);
}

TEST_F(MovieViewTest, StartIsIgnoredWhilePlayingOrWithoutAMovie) {
    view.start(this);
    EXPECT_EQ(view.pendingLoopTimer(), nullptr);
    view.stop(this); // no timer, no movie: harmless

    fake::FakeMovie* movie = load(90, 30);
    view.start(this);
    view.start(this);
    EXPECT_EQ(movie->plays, 1);
    EXPECT_EQ(loop.pendingCount(), 1u);
}

TEST_F(MovieViewTest, AZeroTimeScalePlaysOnceWithoutLooping) {
    fake::FakeMovie* movie = load(100, 0);
    view.start(this);
    EXPECT_EQ(movie->plays, 1);
    EXPECT_EQ(view.pendingLoopTimer(), nullptr);
    EXPECT_EQ(KRMovieView::loopInterval(100, 0), std::nullopt);
    EXPECT_EQ(KRMovieView::loopInterval(-5, 30), std::nullopt);
}

TEST_F(MovieViewTest, ADestroyedViewLeavesNoTimerBehind) {
    {
        KRMovieView doomed(loop);
        doomed.setMovie(std::make_unique<fake::FakeMovie>(90, 30, journal));
        doomed.start(this);
        EXPECT_EQ(loop.pendingCount(), 1u);
    }
    EXPECT_EQ(loop.pendingCount(), 0u);
    loop.advanceBy(10.0); // would run on a freed view under ASan if it were left
}

} // namespace
} // namespace eggtimer::test
