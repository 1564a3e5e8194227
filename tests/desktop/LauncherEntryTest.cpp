// The timer's progress as a dock draws it from the program's launcher-entry
// signals (a listener of its own on the session's private bus records them),
// and as the window's indicator shows it. What the controller tells and when
// is tested in tests/unit.

#include "platform/desktop/QtDesktop.h"

#include "tests/support/StandInServices.h"

#include <QGuiApplication>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <memory>

namespace eggtimer::test {
namespace {

using State = TimerProgress::State;
using Drawn = StandInDock::Drawn;

TEST(LauncherEntry, ShowsTheBarAndMinutesWhileRunningAndAttentionWhileFiringUntilTheProgramEnds) {
    StandInDock dock(QStringLiteral("application://") + QGuiApplication::desktopFileName() +
                     QStringLiteral(".desktop"));
    ASSERT_TRUE(dock.start()) << "run through with-session.sh --dbus";
    QWidget window;
    auto* indicator = new QProgressBar(&window);
    indicator->setObjectName(QStringLiteral("timerProgress"));
    auto desktop = std::make_unique<QtDesktop>([&] { return &window; }, [] {});
    const auto show = [&](const TimerProgress& progress) {
        desktop->showProgress(progress);
        settleBus({QDBusConnection::sessionBus(), dock.bus});
    };

    show({State::Running, 0.0, 3});
    show({State::Running, 0.004, 3}); // too little to see
    show({State::Running, 0.5, 2});
    EXPECT_EQ(indicator->value(), indicator->maximum() / 2);
    show({State::Running, 0.995, 1});
    show({State::Running, 1.0, 1}); // a full bar must not stop at 99%
    show({State::Firing, 0.0, 0});
    EXPECT_EQ(indicator->value(), 0) << "the window's indicator is not empty while firing";
    show({State::Idle, 0.0, 0});
    EXPECT_EQ(dock.drawn, (std::vector<Drawn>{{true, 0.0, true, 3, false},
                                              {true, 0.5, true, 2, false},
                                              {true, 0.995, true, 1, false},
                                              {true, 1.0, true, 1, false},
                                              {false, 0.0, false, 0, true},
                                              StandInDock::kNothing}));

    // The program ends while a timer runs: no bar is left on the icon.
    show({State::Running, 0.25, 1});
    desktop.reset();
    settleBus({dock.bus});
    EXPECT_EQ(dock.drawn.back(), StandInDock::kNothing) << "a bar left at quitting";
    EXPECT_EQ(dock.strangers, 0) << "signals for another desktop entry";
}

} // namespace
} // namespace eggtimer::test
