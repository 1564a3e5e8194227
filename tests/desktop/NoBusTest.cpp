// Without a session bus the attention request still returns at once, says
// so on the log once, and nothing else changes, even before the window
// exists.

#include "platform/desktop/QtDesktop.h"

#include "tests/support/CapturedStderr.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

TEST(NoSessionBus, AttentionIsAskedWithoutNotificationsAndOneLogLine) {
    std::optional<QWidget> window;
    int stops = 0;
    QtDesktop desktop{[&] { return window ? &*window : nullptr; }, [] {}};
    test::CapturedStderr captured;
    desktop.requestUserAttention("[Alert] Tea", [&] { ++stops; });
    window.emplace();
    window->show();
    desktop.requestUserAttention("[Sound] Chime", [&] { ++stops; });
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_EQ(stops, 0);
}

} // namespace
} // namespace eggtimer::test
