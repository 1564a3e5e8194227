// The program ended by its session (SIGTERM at a logout, SIGHUP when its
// terminal goes, SIGINT for Ctrl+C) while a sound rings quits as its Quit menu
// does: the notification, the launcher icon's state and the inhibition of
// sleep are all taken back, and it exits normally. Run as its own process,
// started from the keyboard, against stand-in desktop services.

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

class QuitOnSignal : public ::testing::TestWithParam<int> {};

// Presses START with the keyboard in the program's window (X only).
bool pressStart(qint64 pid) {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {"search", "--sync", "--onlyvisible", "--pid", QString::number(pid)});
    if (!search.waitForFinished(10000))
        return false;
    const QString window = QString::fromLatin1(search.readAllStandardOutput()).section('\n', 0, 0);
    return !window.isEmpty() &&
           QProcess::execute(QStringLiteral("xdotool"), {"windowfocus", "--sync", window}) == 0 &&
           QProcess::execute(QStringLiteral("xdotool"), {"key", "ctrl+Return"}) == 0;
}

TEST_P(QuitOnSignal, WhileASoundRingsTakesBackWhatItShowsOnTheDesktop) {
    test::StandInPortal portal;
    test::StandInNotificationServer notifications;
    test::StandInDock dock(QStringLiteral("application://" EGGTIMER_APP_ID ".desktop"));
    ASSERT_TRUE(portal.start() && notifications.start() && dock.start()) << "no session bus";
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0.02"}});

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    // As from a terminal: a test run in the background has SIGINT ignored,
    // and the program would rightly leave it so.
    program.setChildProcessModifier([number = GetParam()] { ::signal(number, SIG_DFL); });
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/eggtimer"), QStringList{});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(pressStart(program.processId()));
    ASSERT_TRUE(test::waitUntil([&] { return !notifications.notifications.empty(); }, 10s)) << "never rang";
    ASSERT_TRUE(test::waitUntil([&] { return portal.held() == 1 && !dock.drawn.empty(); }, 5s));

    ::kill(static_cast<pid_t>(program.processId()), GetParam());
    ASSERT_TRUE(test::waitUntil([&] { return program.state() == QProcess::NotRunning; }, 10s));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    test::settleBus({portal.bus, notifications.bus, dock.bus});
    EXPECT_EQ(notifications.closed, std::vector<uint>{notifications.notifications.front().id});
    EXPECT_EQ(dock.drawn.back(), test::StandInDock::kNothing) << "the icon still asks for attention";
    EXPECT_EQ(portal.held(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitOnSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

} // namespace
} // namespace eggtimer::test
