// Without a session bus the attention request still returns at once, says
// so on the log at most once, and nothing else changes.

#include "platform/qt/QtDesktop.h"

#include "tests/desktop/Support.h"

#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace eggtimer {
namespace {

TEST(NoSessionBus, AttentionIsAskedWithoutNotificationsAndOneLogLine) {
    QWidget window;
    window.show();
    int stops = 0;
    QtDesktop desktop{[&] { return &window; }, [] {}};
    test::CapturedStderr captured;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < 3; ++i)
        desktop.requestUserAttention("[Sound] Chime", [&] { ++stops; });
    EXPECT_LT(elapsed.elapsed(), 2000);
    test::waitFor([] { return false; }, 0.5);
    const std::string log = captured.text();
    EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(stops, 0);
}

TEST(NoSessionBus, AttentionBeforeTheWindowExists) {
    int stops = 0;
    QtDesktop desktop{[] { return nullptr; }, [] {}};
    desktop.requestUserAttention("[Alert] Tea", [&] { ++stops; });
    desktop.requestUserAttention("[File] notes.txt", nullptr);
    test::waitFor([] { return false; }, 0.2);
    EXPECT_EQ(stops, 0);
}

} // namespace
} // namespace eggtimer
