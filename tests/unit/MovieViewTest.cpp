// The looping movie view: its timer arithmetic and its states.

#include "media/KRMovieView.h"
#include "support/fake/FakeServices.h"

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

class MovieViewTest : public ::testing::Test {
protected:
    fake::FakeMovie* load(std::int32_t duration, std::int32_t timeScale, double startDelay = 0.0) {
        auto movie = std::make_unique<fake::FakeMovie>(duration, timeScale, journal, loop);
        fake::FakeMovie* raw = movie.get();
        raw->startDelay = startDelay;
        view.setMovie(std::move(movie));
        return raw;
    }

    fake::Journal journal;
    fake::FakeRunLoop loop{1'800'000'000.0};
    KRMovieView view{loop};
};

TEST(MovieViewLoopInterval, IsTheLengthPlusOneSecondUnroundedOrNoneWithoutALength) {
    EXPECT_NEAR(KRMovieView::loopInterval(100, 60).value(), 100.0 / 60.0 + 1.0, 1e-9);
    EXPECT_EQ(KRMovieView::loopInterval(0, 600), 1.0);
    EXPECT_EQ(KRMovieView::loopInterval(2147483647, 1), 2147483648.0);
    EXPECT_EQ(KRMovieView::loopInterval(100, 0), std::nullopt);
    EXPECT_EQ(KRMovieView::loopInterval(-5, 30), std::nullopt);
}

TEST_F(MovieViewTest, ReplaysOneSecondAfterEachEndAlsoWhenTheFirstStartIsLateUntilStopped) {
    fake::FakeMovie* movie = load(90, 30, 0.3); // a pipeline's first start on a busy machine
    movie->reportLatency = 0.04;                // the news of each start reaches the loop late
    const WallTime asked = loop.now();
    view.start(this);
    view.start(this); // ignored while playing
    loop.advanceBy(0.1);
    movie->startDelay = 0.0; // later starts, from a pipeline kept ready
    loop.advanceBy(16.6);
    ASSERT_EQ(movie->endedAt.size(), 4u);
    ASSERT_EQ(movie->startedAt.size(), 5u);
    EXPECT_NEAR(movie->startedAt[0] - asked, 0.3, 1e-6);
    for (std::size_t end = 0; end < movie->endedAt.size(); ++end)
        EXPECT_NEAR(movie->startedAt[end + 1] - movie->endedAt[end], 1.0, 1e-6) << "pause " << end + 1;

    view.stop(this);
    loop.advanceBy(60.0);
    EXPECT_EQ(movie->plays, 5);
    EXPECT_FALSE(view.isPlaying());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(MovieViewTest, AStopBeforeTheMovieBeginsLeavesNoTimerAndTheNextStartIsTimedFromItsOwnBeginning) {
    fake::FakeMovie* movie = load(90, 30, 0.5);
    view.start(this);
    loop.advanceBy(0.2);
    view.stop(this);
    loop.advanceBy(1.0);
    EXPECT_EQ(loop.pendingCount(), 0u);
    EXPECT_TRUE(movie->startedAt.empty());

    view.start(this);
    loop.advanceBy(0.5);
    ASSERT_EQ(movie->startedAt.size(), 1u);
    ASSERT_NE(view.pendingLoopTimer(), nullptr);
    EXPECT_NEAR(view.pendingLoopTimer()->fireDate() - movie->startedAt[0], 4.0, 1e-6);
}

// Before it begins as after, a play that fails ends the loop, and the owner
// hears why.
TEST_F(MovieViewTest, AFailedPlayIsToldAndNotRepeated) {
    std::vector<std::string> told;
    view.setFailureHandler([&](const std::string& why) { told.push_back(why); });
    fake::FakeMovie* movie = load(90, 30, 0.5);
    for (double failAfter : {0.2, 2.0}) {
        view.start(this);
        loop.advanceBy(failAfter);
        movie->fail("no decoder");
        loop.advanceBy(10.0);
        EXPECT_EQ(loop.pendingCount(), 0u) << failAfter;
    }
    EXPECT_EQ(told, (std::vector<std::string>{"no decoder", "no decoder"}));
    EXPECT_EQ(movie->plays, 2);
}

TEST_F(MovieViewTest, ReplayWhileStillPlayingStopsRewindsAndStartsWithOneTimer) {
    fake::FakeMovie* movie = load(90, 30);
    movie->heardFor = 10.0; // sounds on past its length
    view.start(this);
    loop.runDue();
    for (int replay = 1; replay <= 2; ++replay) {
        journal.clear();
        loop.advanceBy(4.0);
        EXPECT_EQ(journal, (fake::Journal{"movie.stop", "movie.rewind", "movie.play"})) << replay;
        EXPECT_TRUE(movie->playing);
    }
}

TEST_F(MovieViewTest, StartAndStopWithoutAMovieAreHarmless) {
    view.start(this);
    loop.runDue();
    view.stop(this);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(MovieViewTest, ADestroyedViewLeavesNoTimerBehind) {
    for (double startDelay : {0.0, 0.5}) {
        {
            KRMovieView doomed(loop);
            auto movie = std::make_unique<fake::FakeMovie>(90, 30, journal, loop);
            movie->startDelay = startDelay;
            doomed.setMovie(std::move(movie));
            doomed.start(this);
            loop.advanceBy(0.1); // begun, or still on its way
            EXPECT_EQ(doomed.pendingLoopTimer() != nullptr, startDelay == 0.0);
        }
        EXPECT_EQ(loop.pendingCount(), 0u);
        loop.advanceBy(10.0); // would run on a freed view under ASan if it were left
    }
}

} // namespace
} // namespace eggtimer::test
